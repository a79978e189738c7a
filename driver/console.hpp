// The console: answers come from `in`, text goes to `out`.
//
// Text is held in a fixed buffer and handed to `out` at release points:
// before every read of an answer, and during the trace loop only once the
// output file holds everything written before that text. A trace whose
// output cannot be written can then still end the console exactly after
// its own progress line, however much later the failure shows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>

namespace tarnvik {

inline constexpr std::size_t console_hold_capacity = 256 * 1024;

struct console {
    std::FILE* in = nullptr;
    std::FILE* out = nullptr;
    bool out_is_terminal = false;
    std::array<char, console_hold_capacity> held{};
    std::size_t held_size = 0;
    std::int64_t released = 0;  // bytes handed to `out` so far
};

// Appends formatted text to the held text.
void print(console& con, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Appends text as it is.
void print_text(console& con, const char* text, std::size_t length);
inline void print_text(console& con, std::string_view text) {
    print_text(con, text.data(), text.size());
}

// Appends a number as "%d" prints it, without the cost of formatting.
void print_number(console& con, std::int32_t value);

// Everything printed so far, held or released; a mark for release_up_to.
inline std::int64_t printed_so_far(const console& con) {
    return con.released + static_cast<std::int64_t>(con.held_size);
}

// Room left in the held text before it must be released.
inline std::size_t hold_room(const console& con) {
    return con.held.size() - con.held_size;
}

// Hands all held text to `out` and flushes it.
void release(console& con);

// Hands the held text up to `mark` to `out`, drops the rest, and flushes.
void release_up_to(console& con, std::int64_t mark);

// Clears the screen when `out` is a terminal; otherwise prints nothing.
void clear_console(console& con);

// One answer line as read_answer stored it.
struct answer_line {
    bool ended = false;    // standard input ended before the line began
    bool cut = false;      // the line was longer than the storage; the rest was consumed
    bool has_nul = false;  // the line held a NUL byte
};

// Reads one line: everything up to the next newline is stored (at most
// buffer.size() - 1 bytes, then a terminating zero), the newline is
// consumed and dropped, and so is a carriage return just before it. An
// over-long line is cut and its rest consumed.
answer_line read_answer(console& con, std::span<char> buffer);

// The 32-bit value of a decimal text: leading white space skipped, one
// optional sign, digits up to the first non-digit. No digits give 0; values
// beyond the 32-bit range saturate at its limits.
std::int32_t parse_decimal(const char* text);

// True when the answer begins with y or Y.
bool is_yes(const char* text);

// Reads one decimal integer: white space (empty lines included) skipped,
// an optional sign, digits. Without a digit, or at the end of input, the
// result is 0. The rest of the line is left unread. Saturates like
// parse_decimal.
std::int32_t read_decimal(console& con);

}  // namespace tarnvik
