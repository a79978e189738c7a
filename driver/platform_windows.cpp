// The system calls on Windows: C runtime descriptors over Win32 handles.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "driver/platform.hpp"

namespace tarnvik {

namespace {

// The system error number for the last Win32 failure.
int last_error_number() {
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        default:
            return EIO;
    }
}

io_result failed_with(int error) {
    return {-1, error};
}

file_identity identity_from(HANDLE handle) {
    file_identity id;
    if (handle == INVALID_HANDLE_VALUE) {
        return id;
    }
    id.exists = true;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info)) {
        return id;  // a console, pipe or device
    }
    id.device = info.dwVolumeSerialNumber;
    id.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    id.directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    id.regular = !id.directory;
    id.permissions = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    id.size =
        static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    return id;
}

bool is_directory_name(const char* name) {
    const DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Opens a file by handle and hands it over to a C runtime descriptor.
io_result open_handle(const char* name, DWORD access, DWORD disposition, DWORD flags,
                      int descriptor_flags) {
    const HANDLE handle =
        CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return failed_with(last_error_number());
    }
    const int fd =
        _open_osfhandle(reinterpret_cast<intptr_t>(handle), descriptor_flags | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return failed_with(EMFILE);
    }
    return {fd, 0};
}

}  // namespace

bool is_terminal(std::FILE* stream) {
    // A console answers to GetConsoleMode; the NUL device, which the C
    // runtime also calls a terminal, does not.
    const int fd = _fileno(stream);
    DWORD mode = 0;
    return fd >= 0 && GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &mode) != 0;
}

void clear_terminal(std::FILE* out) {
    // What "cls" does, done here: blank every cell of the console's buffer
    // in its present colours and put the cursor home.
    std::fflush(out);
    const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out)));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(console, &info)) {
        return;
    }
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    const COORD home{0, 0};
    DWORD done = 0;
    FillConsoleOutputCharacterA(console, ' ', cells, home, &done);
    FillConsoleOutputAttribute(console, info.wAttributes, cells, home, &done);
    SetConsoleCursorPosition(console, home);
}

void prepare_console(std::FILE* in, std::FILE* out) {
    // No text translation: a carriage return stays in an answer (where the
    // dialogue drops it), Ctrl-Z is a byte like any other, and every line
    // the program prints ends in a bare newline, as everywhere.
    _setmode(_fileno(in), _O_BINARY);
    _setmode(_fileno(out), _O_BINARY);
}

std::int64_t monotonic_milliseconds() {
    return static_cast<std::int64_t>(GetTickCount64());
}

file_identity identity_of_name(const char* name) {
    const HANDLE handle =
        CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const file_identity id = identity_from(handle);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
    return id;
}

file_identity identity_of_descriptor(int fd) {
    return identity_from(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
}

bool same_file(const file_identity& a, const file_identity& b) {
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode &&
           (a.regular || a.directory);
}

io_result open_existing_for_reading(const char* name) {
    // Backup semantics let a directory open as well, so that it fails as a
    // short reel header, as elsewhere.
    return open_handle(name, GENERIC_READ, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, _O_RDONLY);
}

io_result open_for_appending(const char* name, bool& created) {
    created = false;
    if (is_directory_name(name)) {
        return failed_with(EISDIR);
    }
    io_result opened =
        open_handle(name, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, _O_WRONLY | _O_APPEND);
    if (opened.count >= 0) {
        created = true;
        return opened;
    }
    if (opened.error != EEXIST) {
        return opened;
    }
    return open_handle(name, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       _O_WRONLY | _O_APPEND);
}

io_result open_existing_for_writing(const char* name) {
    if (is_directory_name(name)) {
        return failed_with(EISDIR);
    }
    return open_handle(name, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, _O_WRONLY);
}

io_result read_some(int fd, void* into, std::size_t size) {
    const int got = _read(fd, into, static_cast<unsigned>(size));
    return got < 0 ? failed_with(errno) : io_result{got, 0};
}

io_result write_some(int fd, const void* from, std::size_t size) {
    const int put = _write(fd, from, static_cast<unsigned>(size));
    return put < 0 ? failed_with(errno) : io_result{put, 0};
}

io_result seek_to_end(int fd) {
    const __int64 end = _lseeki64(fd, 0, SEEK_END);
    return end < 0 ? failed_with(errno) : io_result{end, 0};
}

int set_length(int fd, std::int64_t length) {
    return _chsize_s(fd, length);
}

int sync_to_disk(int fd) {
    return _commit(fd) == 0 ? 0 : errno;
}

int close_descriptor(int fd) {
    return _close(fd) == 0 ? 0 : errno;
}

int remove_file(const char* name) {
    return DeleteFileA(name) ? 0 : last_error_number();
}

bool resolve_path(const char* name, char* resolved, std::size_t size, int& error) {
    const HANDLE handle =
        CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = last_error_number();
        return false;
    }
    static char final_path[32768];
    const DWORD length = GetFinalPathNameByHandleA(handle, final_path, sizeof final_path,
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) {
        error = last_error_number();
    }
    CloseHandle(handle);
    if (length == 0) {
        return false;
    }
    if (length >= sizeof final_path) {
        error = ENAMETOOLONG;
        return false;
    }
    // The final path comes as \\?\C:\... or \\?\UNC\server\...: make it
    // an ordinary one.
    const char* path = final_path;
    std::size_t used = 0;
    if (std::strncmp(path, "\\\\?\\UNC\\", 8) == 0) {
        path += 8;
        if (!append_text(resolved, size, used, "\\\\")) {
            error = ENAMETOOLONG;
            return false;
        }
    } else if (std::strncmp(path, "\\\\?\\", 4) == 0) {
        path += 4;
    }
    if (!append_text(resolved, size, used, path)) {
        error = ENAMETOOLONG;
        return false;
    }
    return true;
}

io_result create_file_beside(const char* target, const char* tag, const file_identity&, char* name,
                             std::size_t size) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t seed = GetTickCount64() ^ (std::uint64_t{GetCurrentProcessId()} << 20) ^
                             (std::uint64_t{++counter} * 0x9E3779B97F4A7C15u);
        char suffix[8] = "-";
        for (int i = 1; i < 7; ++i) {
            suffix[i] = "abcdefghijklmnopqrstuvwxyz0123456789"[seed % 36];
            seed /= 36;
        }
        suffix[7] = '\0';
        std::size_t used = 0;
        if (!append_text(name, size, used, target) || !append_text(name, size, used, tag) ||
            !append_text(name, size, used, suffix)) {
            return failed_with(ENAMETOOLONG);
        }
        const io_result created =
            open_handle(name, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, _O_WRONLY);
        if (created.count >= 0 || created.error != EEXIST) {
            return created;
        }
    }
    return failed_with(EEXIST);
}

int replace_file(const char* replacement, const char* target) {
    return MoveFileExA(replacement, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : last_error_number();
}

}  // namespace tarnvik
