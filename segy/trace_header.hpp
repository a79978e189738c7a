// The 240-byte SEG-Y trace header ahead of every input trace, big-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tarnvik {

struct input_file;
struct read_outcome;

inline constexpr std::size_t trace_header_size = 240;

// Offsets within the trace header of the fields the conversion uses.
// 4-byte fields contribute their low-order half, at offset + 2.
inline constexpr std::size_t field_record_number_offset = 8;   // SEG-Y bytes 9-12
inline constexpr std::size_t field_trace_number_offset = 12;   // SEG-Y bytes 13-16
inline constexpr std::size_t cdp_number_offset = 20;           // SEG-Y bytes 21-24
inline constexpr std::size_t cdp_trace_number_offset = 24;     // SEG-Y bytes 25-28
inline constexpr std::size_t trace_id_code_offset = 28;        // SEG-Y bytes 29-30
inline constexpr std::size_t vertical_sum_offset = 30;         // SEG-Y bytes 31-32
inline constexpr std::size_t horizontal_stack_offset = 32;     // SEG-Y bytes 33-34
inline constexpr std::size_t distance_offset = 36;             // SEG-Y bytes 37-40
inline constexpr std::size_t delay_time_offset = 108;          // SEG-Y bytes 109-110
inline constexpr std::size_t trace_sample_count_offset = 114;  // SEG-Y bytes 115-116
inline constexpr std::size_t trace_interval_offset = 116;      // SEG-Y bytes 117-118

// Offset of the low-order half of a 4-byte field.
constexpr std::size_t low_half(std::size_t field_offset) {
    return field_offset + 2;
}

struct input_trace_header {
    std::array<std::uint8_t, trace_header_size> bytes{};
};

// Reads the next 240 bytes of the input into the header. Fewer than 240
// bytes (with no error) is the end of the input; the header is then left
// as it was.
read_outcome read_trace_header(input_file& input, input_trace_header& header);

// The big-endian 16-bit pattern at a byte offset.
constexpr std::uint16_t be16_at(const input_trace_header& header, std::size_t offset) {
    return static_cast<std::uint16_t>((header.bytes[offset] << 8) | header.bytes[offset + 1]);
}

// The big-endian 32-bit pattern at a byte offset.
constexpr std::uint32_t be32_at(const input_trace_header& header, std::size_t offset) {
    return (std::uint32_t{be16_at(header, offset)} << 16) | be16_at(header, offset + 2);
}

// A 16-bit pattern read as a two's-complement number.
constexpr std::int16_t as_signed(std::uint16_t word) {
    return static_cast<std::int16_t>(word);
}

}  // namespace tarnvik
