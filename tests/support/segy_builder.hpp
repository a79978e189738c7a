// Small SEG-Y inputs and the VARN bytes expected from them, built byte by
// byte from the file formats' own layouts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnvik::testing {

using bytes = std::vector<std::uint8_t>;

struct reel_fields {
    int samples_per_trace = 0;
    int sample_interval = 0;
    int traces_per_record = 0;
    std::uint8_t format_high = 0;  // SEG-Y byte 3225, never looked at
    std::uint8_t format_low = 1;   // SEG-Y byte 3226
};

bytes reel_header(const reel_fields& fields);

struct segy_trace {
    std::array<std::uint8_t, 240> header{};
    bytes samples;
};

void put_be16(std::array<std::uint8_t, 240>& header, std::size_t offset, std::uint16_t value);
void put_be32(std::array<std::uint8_t, 240>& header, std::size_t offset, std::uint32_t value);

// A trace with the usual fields set: trace number (SEG-Y bytes 13-16),
// trace identification code 1, sample count and interval.
segy_trace make_trace(int trace_number, int sample_count, int interval, bytes samples);

// Sample blocks in file order.
bytes ibm_samples(const std::vector<std::uint32_t>& words);
bytes int32_samples(const std::vector<std::int32_t>& values);
bytes int16_samples(const std::vector<std::int16_t>& values);

bytes segy_file(const reel_fields& fields, const std::vector<segy_trace>& traces);

// A VARN trace: 120 words little-endian, then the samples' IEEE patterns
// little-endian.
using varn_words = std::array<std::uint16_t, 120>;
bytes varn_trace(const varn_words& words, const std::vector<float>& samples);

bytes concat(const std::vector<bytes>& parts);

}  // namespace tarnvik::testing
