#include "varn/output_header.hpp"

#include <bit>

#include "driver/console.hpp"
#include "driver/settings.hpp"

namespace tarnvik {

void fill_output_header(const input_trace_header& trace_in, const conversion_settings& settings,
                        output_trace_header& trace_out) {
    trace_out.data_type_code = static_cast<std::uint16_t>(settings.data_type_code);
    trace_out.channel_count = static_cast<std::uint16_t>(settings.channel_count);
    // Only ever set: the data type code is the same for the whole run and
    // the record starts at zero.
    if (settings.data_type_code == data_type_cdp_stacked) {
        trace_out.stacked_data_code = stacked_data_code_value;
    }
    trace_out.field_record_number = be16_at(trace_in, low_half(field_record_number_offset));
    trace_out.field_trace_number = be16_at(trace_in, low_half(field_trace_number_offset));
    trace_out.cdp_number = be16_at(trace_in, low_half(cdp_number_offset));
    trace_out.cdp_trace_number = be16_at(trace_in, low_half(cdp_trace_number_offset));
    trace_out.trace_type = be16_at(trace_in, trace_id_code_offset);
    trace_out.vertical_sum_count = be16_at(trace_in, vertical_sum_offset);
    trace_out.horizontal_stack_count = be16_at(trace_in, horizontal_stack_offset);
    trace_out.delay_time = be16_at(trace_in, delay_time_offset);
    trace_out.sample_count = be16_at(trace_in, trace_sample_count_offset);
    trace_out.sample_interval = be16_at(trace_in, trace_interval_offset);
}

void stamp_record_words(std::int32_t current_ssn, output_trace_header& trace_out) {
    trace_out.ssn = static_cast<std::uint16_t>(current_ssn);
    trace_out.end_of_record_flag = 0;
    trace_out.word_92 = 0;
}

void finish_output_header(console& con, output_trace_header& trace_out) {
    trace_out.header_marker = header_marker_value;
    const std::int16_t type = as_signed(trace_out.trace_type);
    if (type != 1 && type != 2) {
        print(con, "Undefined trace type found(%d)-Setting to 1 = seismic data\n", type);
        trace_out.trace_type = 1;
    }
}

void encode_output_header(const output_trace_header& trace_out,
                          std::span<std::uint8_t, output_header_size> bytes) {
    const auto words = std::bit_cast<std::array<std::uint16_t, output_header_size / 2>>(trace_out);
    for (std::size_t i = 0; i < words.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(words[i]);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
    }
}

void decode_output_header(std::span<const std::uint8_t, output_header_size> bytes,
                          output_trace_header& trace_out) {
    std::array<std::uint16_t, output_header_size / 2> words{};
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    trace_out = std::bit_cast<output_trace_header>(words);
}

}  // namespace tarnvik
