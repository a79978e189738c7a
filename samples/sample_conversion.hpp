// Input samples of the three accepted formats to IEEE singles, and the
// fixed buffers one trace's samples pass through.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnvik {

// The output is written by copying IEEE singles as they lie in memory; the
// file holds them least significant byte first.
static_assert(std::endian::native == std::endian::little,
              "output samples are written in the host's byte order");

// The largest sample count a trace header word can state (signed 16 bits),
// so every trace that a header can describe fits.
inline constexpr std::size_t sample_buffer_capacity = 32767;

// SEG-Y data sample format codes the converter accepts.
inline constexpr int format_ibm_float = 1;
inline constexpr int format_int32 = 2;
inline constexpr int format_int16 = 3;

struct sample_buffers {
    // One trace's samples exactly as read: up to 4 bytes a sample.
    std::array<std::uint8_t, 4 * sample_buffer_capacity> input{};
    // The trace's samples as IEEE singles; entries from the count on keep
    // what earlier traces left there.
    std::array<float, sample_buffer_capacity> output{};
};

// Size of one input sample: 2 bytes for 2-byte integers, 4 otherwise.
constexpr int bytes_per_sample_for(int format_code) {
    return format_code == format_int16 ? 2 : 4;
}

// Big-endian two's-complement integers to IEEE singles: 32-bit values round
// to nearest with ties to even, 16-bit values are exact.
void int32_block_to_ieee(const std::uint8_t* in, float* out, std::size_t count);
void int16_block_to_ieee(const std::uint8_t* in, float* out, std::size_t count);

// Converts the first count samples of `in` (format code 1, 2 or 3, exactly
// as read) into out[0 .. count-1]. count is at most sample_buffer_capacity.
void convert_trace_samples(int format_code, std::size_t count, std::span<const std::uint8_t> in,
                           std::span<float> out);

}  // namespace tarnvik
