#include "driver/console.hpp"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstdarg>
#include <cstring>
#include <limits>

#include "driver/platform.hpp"

namespace tarnvik {

namespace {

bool is_blank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(int c) {
    return c >= '0' && c <= '9';
}

// Accumulates decimal digits with saturation at the 32-bit limits.
struct decimal_accumulator {
    bool negative = false;
    std::int64_t magnitude = 0;  // capped just above the largest magnitude

    void add(int digit) {
        constexpr std::int64_t cap = std::int64_t{1} << 32;
        magnitude = std::min(magnitude * 10 + digit, cap);
    }

    std::int32_t value() const {
        const std::int64_t v = negative ? -magnitude : magnitude;
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(
            v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    }
};

void write_out(console& con, const char* text, std::size_t length) {
    if (length > 0) {
        std::fwrite(text, 1, length, con.out);
        con.released += static_cast<std::int64_t>(length);
    }
}

}  // namespace

void print_text(console& con, const char* text, std::size_t length) {
    if (length > hold_room(con)) {
        release(con);
    }
    if (length > hold_room(con)) {
        write_out(con, text, length);
        return;
    }
    std::memcpy(con.held.data() + con.held_size, text, length);
    con.held_size += length;
}

void print_number(console& con, std::int32_t value) {
    std::array<char, 12> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    print_text(con, digits.data(), static_cast<std::size_t>(end - digits.data()));
}

void print(console& con, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int wanted =
        std::vsnprintf(con.held.data() + con.held_size, hold_room(con), format, args);
    va_end(args);
    if (wanted < 0) {
        va_end(again);
        return;
    }
    const auto length = static_cast<std::size_t>(wanted);
    if (length < hold_room(con)) {
        con.held_size += length;
    } else {
        // Too long for the room left: release what is held and try again;
        // text longer than the whole hold goes out directly.
        release(con);
        if (length < hold_room(con)) {
            std::vsnprintf(con.held.data(), hold_room(con), format, again);
            con.held_size = length;
        } else {
            con.released += static_cast<std::int64_t>(length);
            std::vfprintf(con.out, format, again);
            std::fflush(con.out);
        }
    }
    va_end(again);
}

void release(console& con) {
    write_out(con, con.held.data(), con.held_size);
    con.held_size = 0;
    std::fflush(con.out);
}

void release_up_to(console& con, std::int64_t mark) {
    const std::int64_t keep =
        std::clamp<std::int64_t>(mark - con.released, 0, static_cast<std::int64_t>(con.held_size));
    con.held_size = static_cast<std::size_t>(keep);
    release(con);
}

void clear_console(console& con) {
    if (con.out_is_terminal) {
        release(con);
        clear_terminal(con.out);
    }
}

answer_line read_answer(console& con, std::span<char> buffer) {
    assert(!buffer.empty());
    release(con);
    answer_line line;
    const std::size_t room = buffer.size() - 1;
    std::size_t stored = 0;
    bool any = false;
    bool pending_return = false;  // a carriage return not yet known to end the line
    auto store = [&](char c) {
        if (stored < room) {
            buffer[stored++] = c;
        } else {
            line.cut = true;
        }
        if (c == '\0') {
            line.has_nul = true;
        }
    };
    for (;;) {
        const int c = std::getc(con.in);
        if (c == EOF) {
            break;
        }
        any = true;
        if (c == '\n') {
            break;
        }
        if (pending_return) {
            store('\r');
            pending_return = false;
        }
        if (c == '\r') {
            pending_return = true;
        } else {
            store(static_cast<char>(c));
        }
    }
    buffer[stored] = '\0';
    line.ended = !any;
    return line;
}

std::int32_t parse_decimal(const char* text) {
    const char* p = text;
    while (is_blank(static_cast<unsigned char>(*p))) {
        ++p;
    }
    decimal_accumulator number;
    if (*p == '+' || *p == '-') {
        number.negative = *p == '-';
        ++p;
    }
    while (is_digit(static_cast<unsigned char>(*p))) {
        number.add(*p - '0');
        ++p;
    }
    return number.value();
}

bool is_yes(const char* text) {
    return text[0] == 'y' || text[0] == 'Y';
}

std::int32_t read_decimal(console& con) {
    release(con);
    int c = std::getc(con.in);
    while (c != EOF && is_blank(c)) {
        c = std::getc(con.in);
    }
    decimal_accumulator number;
    if (c == '+' || c == '-') {
        number.negative = c == '-';
        c = std::getc(con.in);
    }
    if (!is_digit(c)) {
        return 0;
    }
    while (is_digit(c)) {
        number.add(c - '0');
        c = std::getc(con.in);
    }
    return number.value();
}

}  // namespace tarnvik
