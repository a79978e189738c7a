// Runs the built program as a user would: in a directory of its own, with
// answers on standard input, capturing what it prints.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tarnvik::testing {

struct run_options {
    // A limit on the size of any file the program writes (bytes), making
    // writes beyond it fail as on a full disk; 0 for none.
    std::uint64_t file_size_limit = 0;
    // Standard output is a pipe whose reader has gone.
    bool console_closed = false;
    // Run as this user and group instead (only when the tests run as root).
    int user = -1;
};

// The unprivileged user for tests of permissions; -1 when the tests do not
// run as root (and so are unprivileged already).
int unprivileged_user();

struct run_result {
    int status = 0;  // the exit status; 128 + the signal for a killed process
    std::string out;
};

// The program runs as built, or as the command the environment variable
// TARNVIK_COMMAND gives (words split at blanks), such as the Windows build
// under Wine.
run_result run_tarnvik(const std::filesystem::path& dir, const std::string& answers,
                       const run_options& options = {});

// True when the program under test is the Windows build: tests of what only
// a POSIX system has (devices, named pipes, users, signals) skip then.
bool testing_windows_build();

// A program run with arguments in `dir`, with no standard input, capturing
// what it prints on standard output and on standard error.
struct program_result {
    int status = 0;
    std::string out;
    std::string err;
};
program_result run_program(const std::filesystem::path& dir, const std::string& program,
                           const std::vector<std::string>& arguments);

// A run left going: its standard output is a pipe that nobody reads, so
// the program stops once the pipe is full, part way through a conversion.
struct stalled_run {
    int pid = -1;
    int console = -1;  // the pipe's reading end, kept open
};
stalled_run start_stalled(const std::filesystem::path& dir, const std::string& answers);
// Kills the run and returns how it ended (128 + the signal).
int kill_run(stalled_run& run);

// A fresh directory, removed with everything in it at the end of the test.
class scratch_dir {
public:
    scratch_dir();
    ~scratch_dir();
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;
    const std::filesystem::path& path() const {
        return path_;
    }
    std::filesystem::path operator/(const std::string& name) const {
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};

void write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> read_file(const std::filesystem::path& path);
// The names in a directory, sorted.
std::vector<std::string> files_in(const std::filesystem::path& dir);

}  // namespace tarnvik::testing
