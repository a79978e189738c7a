#include "inspect/header_table.hpp"

namespace tarnvik {

void print_header_table_columns(std::FILE* out) {
    std::fputs(
        "trace,byte_offset,data_type_code,channel_count,stacked_data_code,field_record_number,"
        "field_trace_number,cdp_number,cdp_trace_number,trace_type,vertical_sum_count,"
        "horizontal_stack_count,source_receiver_distance,distance_multiplier,distance,delay_time,"
        "sample_count,sample_interval,header_marker,end_of_record_flag,ssn\n",
        out);
}

void print_header_table_row(std::FILE* out, const varn_trace& trace) {
    const output_trace_header& h = trace.header;
    // Counts, codes and the interval are unsigned words; numbers copied
    // from the SEG-Y header, the distance, the sample count and the SSN are
    // read as signed ones.
    std::fprintf(out, "%lld,%lld,%u,%u,%u,%d,%d,%d,%d,%d,%d,%d,%d,%u,",
                 static_cast<long long>(trace.number), static_cast<long long>(trace.offset),
                 h.data_type_code, h.channel_count, h.stacked_data_code,
                 as_signed(h.field_record_number), as_signed(h.field_trace_number),
                 as_signed(h.cdp_number), as_signed(h.cdp_trace_number), as_signed(h.trace_type),
                 as_signed(h.vertical_sum_count), as_signed(h.horizontal_stack_count),
                 as_signed(h.source_receiver_distance), h.distance_multiplier);
    // The distance decoded: word 18 over its multiplier; empty without one.
    if (h.distance_multiplier != 0) {
        std::fprintf(
            out, "%.10g",
            static_cast<double>(as_signed(h.source_receiver_distance)) / h.distance_multiplier);
    }
    std::fprintf(out, ",%d,%d,%u,0x%04X,%u,%d\n", as_signed(h.delay_time), trace.sample_count,
                 h.sample_interval, h.header_marker, h.end_of_record_flag, as_signed(h.ssn));
}

}  // namespace tarnvik
