// Input samples of the three accepted formats to IEEE singles, written as
// the output file holds them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnvik {

// Output samples are IEEE singles least significant byte first: the host's
// own layout, so they are stored as they lie in memory.
static_assert(std::endian::native == std::endian::little,
              "output samples are stored in the host's byte order");

// The largest sample count a trace header word can state (signed 16 bits),
// so every trace that a header can describe fits.
inline constexpr std::size_t sample_buffer_capacity = 32767;

// SEG-Y data sample format codes the converter accepts.
inline constexpr int format_ibm_float = 1;
inline constexpr int format_int32 = 2;
inline constexpr int format_int16 = 3;

// Every output sample, whatever the input format, is a 4-byte single.
inline constexpr std::size_t output_sample_size = 4;

// Size of one input sample: 2 bytes for 2-byte integers, 4 otherwise.
constexpr int bytes_per_sample_for(int format_code) {
    return format_code == format_int16 ? 2 : 4;
}

// Big-endian two's-complement integers to IEEE singles (4 output bytes
// each, least significant first): 32-bit values round to nearest with ties
// to even, 16-bit values are exact.
void int32_block_to_ieee(const std::uint8_t* in, std::uint8_t* out, std::size_t count);
void int16_block_to_ieee(const std::uint8_t* in, std::uint8_t* out, std::size_t count);

// Converts the first count samples of `in` (format code 1, 2 or 3, exactly
// as read) into the first 4 * count bytes of `out`. count is at most
// sample_buffer_capacity.
void convert_trace_samples(int format_code, std::size_t count, std::span<const std::uint8_t> in,
                           std::span<std::uint8_t> out);

}  // namespace tarnvik
