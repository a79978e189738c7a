#include "support/run_binary.hpp"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnvik::testing {

namespace fs = std::filesystem;

namespace {

// Replaces the child with the program under test.
[[noreturn]] void exec_tarnvik() {
    const char* command = std::getenv("TARNVIK_COMMAND");
    if (command == nullptr || *command == '\0') {
        execl(TARNVIK_BINARY, "tarnvik", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::vector<std::string> words;
    std::string word;
    for (const char* c = command;; ++c) {
        if (*c == ' ' || *c == '\0') {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
            if (*c == '\0') {
                break;
            }
        } else {
            word += *c;
        }
    }
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

void write_text(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string read_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

pid_t fork_child() {
    const pid_t pid = fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    return pid;
}

// Waits for the child: its exit status, or 128 + the signal that ended it.
int wait_for(pid_t pid) {
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
}

}  // namespace

bool testing_windows_build() {
    const char* command = std::getenv("TARNVIK_COMMAND");
    return command != nullptr && std::strstr(command, ".exe") != nullptr;
}

run_result run_tarnvik(const fs::path& dir, const std::string& answers,
                       const run_options& options) {
    const fs::path io_dir = fs::path(dir).concat(".io");
    fs::create_directories(io_dir);
    const fs::path in_path = io_dir / "answers";
    const fs::path out_path = io_dir / "console";
    write_text(in_path, answers);
    int lost_console[2] = {-1, -1};
    if (options.console_closed && pipe(lost_console) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = fork_child();
    if (pid == 0) {
        const int in = open(in_path.c_str(), O_RDONLY);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (options.console_closed) {
            close(lost_console[0]);
            out = lost_console[1];
        }
        if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || chdir(dir.c_str()) != 0) {
            _exit(127);
        }
        if (options.user >= 0) {
            const auto id = static_cast<unsigned>(options.user);
            if (setgroups(0, nullptr) != 0 || setgid(id) != 0 || setuid(id) != 0) {
                _exit(127);
            }
        }
        if (options.file_size_limit > 0) {
            // Writes past the limit then fail with an error instead of a signal.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{options.file_size_limit, options.file_size_limit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        exec_tarnvik();
    }
    if (options.console_closed) {
        close(lost_console[0]);
        close(lost_console[1]);
    }
    run_result result;
    result.status = wait_for(pid);
    result.out = read_text(out_path);
    fs::remove_all(io_dir);
    return result;
}

program_result run_program(const fs::path& dir, const std::string& program,
                           const std::vector<std::string>& arguments) {
    const fs::path io_dir = fs::path(dir).concat(".io");
    fs::create_directories(io_dir);
    const fs::path out_path = io_dir / "out";
    const fs::path err_path = io_dir / "err";
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = fork_child();
    if (pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
            dup2(err, 2) < 0 || chdir(dir.c_str()) != 0) {
            _exit(127);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    program_result result;
    result.status = wait_for(pid);
    result.out = read_text(out_path);
    result.err = read_text(err_path);
    fs::remove_all(io_dir);
    return result;
}

int unprivileged_user() {
    return geteuid() == 0 ? 65534 : -1;
}

stalled_run start_stalled(const fs::path& dir, const std::string& answers) {
    const fs::path in_path = fs::path(dir).concat(".answers");
    write_text(in_path, answers);
    int console[2] = {-1, -1};
    if (pipe(console) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = fork_child();
    if (pid == 0) {
        const int in = open(in_path.c_str(), O_RDONLY);
        close(console[0]);
        if (in < 0 || dup2(in, 0) < 0 || dup2(console[1], 1) < 0 || chdir(dir.c_str()) != 0) {
            _exit(127);
        }
        exec_tarnvik();
    }
    close(console[1]);
    return {pid, console[0]};
}

int kill_run(stalled_run& run) {
    kill(run.pid, SIGKILL);
    const int status = wait_for(run.pid);
    close(run.console);
    return status;
}

scratch_dir::scratch_dir() {
    std::string pattern = (fs::temp_directory_path() / "tarnvik-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

scratch_dir::~scratch_dir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void write_file(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> files_in(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tarnvik::testing
