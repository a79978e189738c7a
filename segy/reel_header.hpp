// The 3600-byte SEG-Y reel header: 3200 bytes of text, then 400 of binary
// header, of which four fields are used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnvik {

struct console;
struct input_file;

inline constexpr std::size_t reel_header_size = 3600;

// Offsets from the start of the file.
inline constexpr std::size_t traces_per_record_offset = 3212;  // SEG-Y bytes 3213-3214
inline constexpr std::size_t reel_interval_offset = 3216;      // SEG-Y bytes 3217-3218
inline constexpr std::size_t reel_samples_offset = 3220;       // SEG-Y bytes 3221-3222
// The format code is SEG-Y bytes 3225-3226; only its low-order byte counts.
inline constexpr std::size_t format_code_offset = 3225;

struct reel_summary {
    std::int32_t samples_per_trace = 0;  // unsigned 16-bit value
    std::int32_t sample_interval = 0;    // unsigned 16-bit value, as stored
    std::int32_t traces_per_record = 0;  // unsigned 16-bit value
    std::int32_t format_code = 0;        // 0-255
    std::int32_t bytes_per_sample = 0;   // 4, or 2 for format code 3
};

// Takes the four fields from a whole reel header. bytes_per_sample is set
// only by accept_reel_header, once the format is known to be accepted.
reel_summary decode_reel_header(std::span<const std::uint8_t, reel_header_size> bytes);

enum class reel_header_result { accepted, short_header, refused_format };

// Reads the reel header from the start of the input, prints its summary
// (or the refusal, or "Corrupt data file" for a short header) and leaves
// the input at the first trace.
reel_header_result read_reel_header(console& con, input_file& input, reel_summary& reel);

// Prints the summary of an accepted reel header and sets bytes_per_sample;
// for a refused format code prints the refusal and returns false.
[[nodiscard]] bool accept_reel_header(console& con, reel_summary& reel);

}  // namespace tarnvik
