// All storage of one run. Every record exists once, of fixed size; nothing
// is allocated per trace.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "driver/console.hpp"
#include "driver/file_io.hpp"
#include "driver/platform.hpp"
#include "driver/settings.hpp"
#include "samples/sample_conversion.hpp"
#include "segy/reel_header.hpp"
#include "segy/trace_header.hpp"
#include "varn/output_header.hpp"

namespace tarnvik {

// A step either lets the run go on or ends it with an exit status.
struct step {
    bool ends = false;
    int status = 0;
};
inline constexpr step go_on{};
constexpr step end_run(int status) {
    return {true, status};
}

// The record counting state of the trace loop.
struct record_state {
    std::int32_t record_trace_counter = 0;  // traces written so far in the current record
    std::int32_t current_ssn = 0;           // SSN of the record being written
};

// Where a trace waiting in the output block begins, and how much console
// text had been printed when its header was written: a failed write-out is
// reported at the trace it reached.
struct trace_mark {
    std::int64_t start = 0;
    std::int64_t console_mark = 0;
};

inline constexpr std::size_t largest_output_trace = output_header_size + 4 * sample_buffer_capacity;
// One mark for each trace the output block can hold, the shortest traces
// (one sample) included.
inline constexpr std::size_t trace_mark_capacity = file_block_size / (output_header_size + 4) + 1;
static_assert(largest_output_trace < file_block_size);

struct placement {
    input_file input;
    output_file output;
    bool output_open = false;
    bool in_place = false;        // the output replaces the input at the end
    bool created_output = false;  // this run created the output file
    const char* output_name = nullptr;
    file_identity output_identity;
    std::int64_t read_position = 0;   // the next input trace
    std::int64_t write_position = 0;  // the next output trace
    // In place: the file replaced, and the file the conversion goes to.
    std::array<char, file_name_capacity> target_path{};
    std::array<char, file_name_capacity + 64> temporary_path{};
    std::array<trace_mark, trace_mark_capacity> marks{};
    std::size_t mark_count = 0;
};

struct run_state {
    console con;
    conversion_settings settings;
    reel_summary reel;
    input_trace_header trace_in;
    output_trace_header trace_out{};
    record_state record;
    placement place;
};

}  // namespace tarnvik
