// Every call into the operating system, in one place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace tarnvik {

bool is_terminal(std::FILE* stream);

// Clears the screen of the terminal that `out` shows, by the system's own
// means and without a shell.
void clear_terminal(std::FILE* out);

// Readies the console streams: answers and text pass as bytes, unchanged,
// and a console that goes away (a closed pipe) does not end a conversion
// half way; writes to it then fail quietly.
void prepare_console(std::FILE* in, std::FILE* out);

// Milliseconds of a clock that never goes back.
std::int64_t monotonic_milliseconds();

// The file a name or an open descriptor refers to.
struct file_identity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool regular = false;
    bool directory = false;
    bool block_device = false;
    unsigned permissions = 0;  // permission bits
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::int64_t size = 0;
};

file_identity identity_of_name(const char* name);  // follows symbolic links
file_identity identity_of_descriptor(int fd);
bool same_file(const file_identity& a, const file_identity& b);

// Results of system calls: -1 and the system's error number on failure.
struct io_result {
    std::int64_t count = 0;  // bytes moved, or the descriptor opened
    int error = 0;
};

// Opening never waits: a named pipe without a writer (or, for output,
// without a reader) is opened at once or refused.
io_result open_existing_for_reading(const char* name);
// Creates the file when missing; `created` tells whether this call made it.
io_result open_for_appending(const char* name, bool& created);
io_result open_existing_for_writing(const char* name);
io_result read_some(int fd, void* into, std::size_t size);
io_result write_some(int fd, const void* from, std::size_t size);
io_result seek_to_end(int fd);  // the new position: the file's length
int set_length(int fd, std::int64_t length);
int sync_to_disk(int fd);
int close_descriptor(int fd);
int remove_file(const char* name);

// The file a name finally refers to, symbolic links resolved, as a path.
// False when it does not fit `size` bytes or cannot be resolved.
bool resolve_path(const char* name, char* resolved, std::size_t size, int& error);

// Creates a new empty file beside `target` (same directory), named after it
// with `tag` and a unique suffix, with the permissions (and, where allowed,
// the owner) of `like`. Its name goes to `name` (of `size` bytes).
io_result create_file_beside(const char* target, const char* tag, const file_identity& like,
                             char* name, std::size_t size);

// Replaces `target` by `replacement` in one step and makes the change
// durable.
int replace_file(const char* replacement, const char* target);

// Copies `text` into `out` (of `size` bytes) after `used` bytes, keeping
// it terminated; false when it does not fit. Paths are put together with
// it on every system.
bool append_text(char* out, std::size_t size, std::size_t& used, const char* text);

// The reason for a system error number, worded the same on every system.
const char* error_text(int error);

}  // namespace tarnvik
