#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "driver/platform.hpp"

namespace tarnvik {

namespace {

file_identity identity_from(const struct stat& st) {
    file_identity id;
    id.exists = true;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.regular = S_ISREG(st.st_mode);
    id.directory = S_ISDIR(st.st_mode);
    id.block_device = S_ISBLK(st.st_mode);
    id.permissions = static_cast<unsigned>(st.st_mode & 07777);
    id.size = static_cast<std::int64_t>(st.st_size);
    id.owner = static_cast<std::uint32_t>(st.st_uid);
    id.group = static_cast<std::uint32_t>(st.st_gid);
    return id;
}

io_result result_of(std::int64_t value) {
    return value < 0 ? io_result{-1, errno} : io_result{value, 0};
}

}  // namespace

bool is_terminal(std::FILE* stream) {
    const int fd = fileno(stream);
    return fd >= 0 && isatty(fd) == 1;
}

void clear_terminal(std::FILE* out) {
    // Cursor home, then erase the whole screen.
    std::fputs("\x1b[H\x1b[2J", out);
    std::fflush(out);
}

void prepare_console(std::FILE*, std::FILE*) {
    std::signal(SIGPIPE, SIG_IGN);
}

std::int64_t monotonic_milliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

file_identity identity_of_name(const char* name) {
    struct stat st {};
    if (stat(name, &st) != 0) {
        return {};
    }
    return identity_from(st);
}

file_identity identity_of_descriptor(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        return {};
    }
    return identity_from(st);
}

bool same_file(const file_identity& a, const file_identity& b) {
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

namespace {

// Reads and writes wait for data again once the file is open.
int made_blocking(int fd) {
    if (fd >= 0) {
        const int flags = fcntl(fd, F_GETFL);
        if (flags >= 0) {
            fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        }
    }
    return fd;
}

}  // namespace

io_result open_existing_for_reading(const char* name) {
    const int fd = made_blocking(open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd >= 0) {
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    return result_of(fd);
}

io_result open_for_appending(const char* name, bool& created) {
    int fd = open(name, O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC, 0666);
    created = fd >= 0;
    if (fd < 0 && errno == EEXIST) {
        fd = open(name, O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    }
    return result_of(made_blocking(fd));
}

io_result open_existing_for_writing(const char* name) {
    return result_of(open(name, O_WRONLY | O_CLOEXEC | O_NONBLOCK));
}

io_result read_some(int fd, void* into, std::size_t size) {
    for (;;) {
        const ssize_t got = read(fd, into, size);
        if (got >= 0 || errno != EINTR) {
            return result_of(got);
        }
    }
}

io_result write_some(int fd, const void* from, std::size_t size) {
    for (;;) {
        const ssize_t put = write(fd, from, size);
        if (put >= 0 || errno != EINTR) {
            return result_of(put);
        }
    }
}

io_result seek_to_end(int fd) {
    return result_of(lseek(fd, 0, SEEK_END));
}

int set_length(int fd, std::int64_t length) {
    return ftruncate(fd, static_cast<off_t>(length)) == 0 ? 0 : errno;
}

int sync_to_disk(int fd) {
    return fsync(fd) == 0 ? 0 : errno;
}

int close_descriptor(int fd) {
    // Linux releases the descriptor even when close reports an error, so
    // it is never retried.
    return close(fd) == 0 ? 0 : errno;
}

int remove_file(const char* name) {
    return unlink(name) == 0 ? 0 : errno;
}

bool resolve_path(const char* name, char* resolved, std::size_t size, int& error) {
    static char full[PATH_MAX];
    if (realpath(name, full) == nullptr) {
        error = errno;
        return false;
    }
    std::size_t used = 0;
    if (!append_text(resolved, size, used, full)) {
        error = ENAMETOOLONG;
        return false;
    }
    return true;
}

io_result create_file_beside(const char* target, const char* tag, const file_identity& like,
                             char* name, std::size_t size) {
    std::size_t used = 0;
    if (!append_text(name, size, used, target) || !append_text(name, size, used, tag) ||
        !append_text(name, size, used, "-XXXXXX")) {
        return {-1, ENAMETOOLONG};
    }
    const int fd = mkostemp(name, O_CLOEXEC);
    if (fd < 0) {
        return {-1, errno};
    }
    // The converted file takes the input's place: it keeps its owner where
    // the system allows it, and its permissions.
    if (fchown(fd, static_cast<uid_t>(like.owner), static_cast<gid_t>(like.group)) != 0) {
        // Only a privileged process may give a file away; others keep theirs.
    }
    if (fchmod(fd, static_cast<mode_t>(like.permissions)) != 0) {
        const int error = errno;
        close(fd);
        unlink(name);
        return {-1, error};
    }
    return {fd, 0};
}

int replace_file(const char* replacement, const char* target) {
    if (rename(replacement, target) != 0) {
        return errno;
    }
    // Make the new directory entry durable too.
    static char directory[PATH_MAX];
    std::size_t used = 0;
    if (append_text(directory, sizeof directory, used, target)) {
        char* slash = std::strrchr(directory, '/');
        if (slash != nullptr) {
            *(slash == directory ? slash + 1 : slash) = '\0';
            const int fd = open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd >= 0) {
                fsync(fd);
                close(fd);
            }
        }
    }
    return 0;
}

}  // namespace tarnvik
