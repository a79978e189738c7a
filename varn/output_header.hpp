// The VARN trace header: 120 little-endian 16-bit words ahead of every
// output trace. This record is the one statement of its layout.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "segy/trace_header.hpp"

namespace tarnvik {

struct console;
struct conversion_settings;

// Word i lies at bytes 2i and 2i+1. Words named unused stay 0 in every
// header; everything else is set again for each trace before it is written.
struct output_trace_header {
    std::uint16_t data_type_code;     // word 0
    std::uint16_t channel_count;      // word 1
    std::uint16_t stacked_data_code;  // word 2: 12 for CDP stacked data
    std::uint16_t unused_3_4[2];
    std::uint16_t field_record_number;  // word 5
    std::uint16_t unused_6;
    std::uint16_t field_trace_number;  // word 7
    std::uint16_t unused_8_10[3];
    std::uint16_t cdp_number;  // word 11
    std::uint16_t unused_12;
    std::uint16_t cdp_trace_number;        // word 13
    std::uint16_t trace_type;              // word 14
    std::uint16_t vertical_sum_count;      // word 15
    std::uint16_t horizontal_stack_count;  // word 16
    std::uint16_t unused_17;
    std::uint16_t source_receiver_distance;  // word 18
    std::uint16_t unused_19_33[15];
    std::uint16_t distance_multiplier;  // word 34
    std::uint16_t unused_35_53[19];
    std::uint16_t delay_time;  // word 54
    std::uint16_t unused_55_56[2];
    std::uint16_t sample_count;     // word 57
    std::uint16_t sample_interval;  // word 58
    std::uint16_t header_marker;    // word 59
    std::uint16_t unused_60_86[27];
    std::uint16_t end_of_record_flag;  // word 87
    std::uint16_t unused_88_90[3];
    std::uint16_t ssn;      // word 91
    std::uint16_t word_92;  // cleared for every trace
    std::uint16_t unused_93_119[27];
};

inline constexpr std::size_t output_header_size = 240;
inline constexpr std::uint16_t header_marker_value = 0x55AA;
inline constexpr std::uint16_t stacked_data_code_value = 12;

static_assert(sizeof(output_trace_header) == output_header_size);
// A word copied from the input stands at the byte offset its bytes have in
// the SEG-Y trace header.
static_assert(offsetof(output_trace_header, field_record_number) ==
              low_half(field_record_number_offset));
static_assert(offsetof(output_trace_header, field_trace_number) ==
              low_half(field_trace_number_offset));
static_assert(offsetof(output_trace_header, cdp_number) == low_half(cdp_number_offset));
static_assert(offsetof(output_trace_header, cdp_trace_number) == low_half(cdp_trace_number_offset));
static_assert(offsetof(output_trace_header, trace_type) == trace_id_code_offset);
static_assert(offsetof(output_trace_header, vertical_sum_count) == vertical_sum_offset);
static_assert(offsetof(output_trace_header, horizontal_stack_count) == horizontal_stack_offset);
static_assert(offsetof(output_trace_header, delay_time) == delay_time_offset);
static_assert(offsetof(output_trace_header, sample_count) == trace_sample_count_offset);
static_assert(offsetof(output_trace_header, sample_interval) == trace_interval_offset);
// The distance takes the first word of the SEG-Y distance field's bytes.
static_assert(offsetof(output_trace_header, source_receiver_distance) == distance_offset);
static_assert(offsetof(output_trace_header, distance_multiplier) == 2 * 34);
static_assert(offsetof(output_trace_header, header_marker) == 2 * 59);
static_assert(offsetof(output_trace_header, end_of_record_flag) == 2 * 87);
static_assert(offsetof(output_trace_header, ssn) == 2 * 91);
static_assert(offsetof(output_trace_header, word_92) == 2 * 92);

// Sets the words taken from the settings and from the input trace header.
void fill_output_header(const input_trace_header& trace_in, const conversion_settings& settings,
                        output_trace_header& trace_out);

// Sets the record words: the SSN of the trace's record, and clears the
// end-of-record flag and word 92.
void stamp_record_words(std::int32_t current_ssn, output_trace_header& trace_out);

// Sets the marker word and repairs an undefined trace type, with its message.
void finish_output_header(console& con, output_trace_header& trace_out);

// The header as it lies in the file: every word least significant byte first.
void encode_output_header(const output_trace_header& trace_out,
                          std::span<std::uint8_t, output_header_size> bytes);

// A header read back from a file: the reverse of encode_output_header.
void decode_output_header(std::span<const std::uint8_t, output_header_size> bytes,
                          output_trace_header& trace_out);

}  // namespace tarnvik
