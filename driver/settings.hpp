// Every answer of the dialogue, filled once and only read afterwards.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tarnvik {

// File names hold up to 4095 bytes and the terminating zero.
inline constexpr std::size_t file_name_capacity = 4096;
// Every other answer keeps its first 11 characters.
inline constexpr std::size_t answer_capacity = 12;

// Fixed output lengths the output header's sample count word can state.
inline constexpr std::int32_t fixed_length_limit = 32767;

struct conversion_settings {
    std::array<char, file_name_capacity> input_name{};
    std::int32_t data_type_code = 0;  // 0 raw, 1 CDP gathered, 2 CDP stacked, 4 velocity scan
    std::int32_t channel_count = 0;   // traces per record, at least 1 once asked
    std::array<char, file_name_capacity> output_name{};
    bool same_file = false;            // the output is the input file: convert in place
    bool distances_valid = false;      // SEG-Y bytes 37-40 hold source-receiver distances
    bool distances_ibm_float = false;  // ... as IBM floating point
    bool force_trace_sample_count = false;
    bool fixed_length = false;
    std::int32_t fixed_length_samples = 0;
    std::int32_t starting_ssn = 0;
};

// The VARN data type code that marks CDP stacked data.
inline constexpr std::int32_t data_type_cdp_stacked = 2;

}  // namespace tarnvik
