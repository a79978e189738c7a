// The summary of a VARN file: what its trace headers hold, in ranges, and
// what its samples amount to, gathered trace by trace in one pass.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "inspect/varn_reader.hpp"

namespace tarnvik {

struct value_range {
    bool any = false;
    std::int64_t low = 0;
    std::int64_t high = 0;
};

struct distance_range {
    bool any = false;
    double low = 0;
    double high = 0;
};

struct varn_summary {
    std::int64_t traces = 0;
    value_range sample_count;
    value_range sample_interval;
    value_range data_type_code;
    value_range channel_count;
    value_range ssn;
    value_range multiplier;
    distance_range distance;
    std::int64_t traces_without_multiplier = 0;  // word 34 is 0: no distance to tell
    // Records: a trace whose end-of-record flag is 1 completes one.
    std::int64_t complete_records = 0;
    std::int64_t traces_after_last_record = 0;  // of a record that never completes
    std::int16_t open_record_ssn = 0;
    // Trace types: seismic (1), dead (2) and any other code.
    std::int64_t seismic_traces = 0;
    std::int64_t dead_traces = 0;
    std::int64_t other_type_traces = 0;
    value_range other_types;
    // Amplitudes of every finite sample.
    std::int64_t samples = 0;
    double amplitude_low = 0;
    double amplitude_high = 0;
    double sum_of_squares = 0;
};

void add_to_summary(const varn_trace& trace, varn_summary& summary);

// Prints the summary, then the problems found or that there are none.
void print_summary(std::FILE* out, const char* name, std::int64_t file_size,
                   const varn_summary& summary, const problem_log& problems);

// Prints the problems kept, one to a line after `prefix`, and how many
// more there are.
void print_problems(std::FILE* out, const char* prefix, const problem_log& problems);

}  // namespace tarnvik
