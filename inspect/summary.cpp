#include "inspect/summary.hpp"

#include <algorithm>
#include <cmath>

namespace tarnvik {

namespace {

void widen(value_range& range, std::int64_t value) {
    if (!range.any) {
        range = {true, value, value};
        return;
    }
    range.low = std::min(range.low, value);
    range.high = std::max(range.high, value);
}

void widen(distance_range& range, double value) {
    if (!range.any) {
        range = {true, value, value};
        return;
    }
    range.low = std::min(range.low, value);
    range.high = std::max(range.high, value);
}

// "5" or "1 to 5".
void print_range(std::FILE* out, const value_range& range) {
    if (range.low == range.high) {
        std::fprintf(out, "%lld", static_cast<long long>(range.low));
    } else {
        std::fprintf(out, "%lld to %lld", static_cast<long long>(range.low),
                     static_cast<long long>(range.high));
    }
}

const char* data_type_name(std::int64_t code) {
    switch (code) {
        case 0:
            return " (raw field data)";
        case 1:
            return " (CDP gathered)";
        case 2:
            return " (CDP stacked)";
        case 4:
            return " (velocity scan)";
        default:
            return "";
    }
}

void print_trace_types(std::FILE* out, const varn_summary& summary) {
    const char* separator = "";
    if (summary.seismic_traces > 0) {
        std::fprintf(out, "%lld seismic (1)", static_cast<long long>(summary.seismic_traces));
        separator = ", ";
    }
    if (summary.dead_traces > 0) {
        std::fprintf(out, "%s%lld dead (2)", separator,
                     static_cast<long long>(summary.dead_traces));
        separator = ", ";
    }
    if (summary.other_type_traces > 0) {
        std::fprintf(out, "%s%lld of other codes (", separator,
                     static_cast<long long>(summary.other_type_traces));
        print_range(out, summary.other_types);
        std::fprintf(out, ")");
    }
    std::fprintf(out, "\n");
}

void print_records(std::FILE* out, const varn_summary& summary) {
    std::fprintf(out, "%lld complete", static_cast<long long>(summary.complete_records));
    if (summary.traces_after_last_record == 0) {
        std::fprintf(out, "; the last one is complete\n");
    } else {
        std::fprintf(out, "; the last one is incomplete: %lld trace%s of SSN %d\n",
                     static_cast<long long>(summary.traces_after_last_record),
                     summary.traces_after_last_record == 1 ? "" : "s", summary.open_record_ssn);
    }
}

void print_distances(std::FILE* out, const varn_summary& summary) {
    if (summary.distance.any) {
        std::fprintf(out, "%.10g", summary.distance.low);
        if (summary.distance.high != summary.distance.low) {
            std::fprintf(out, " to %.10g", summary.distance.high);
        }
        std::fprintf(out, ", multiplier%s ",
                     summary.multiplier.low == summary.multiplier.high ? "" : "s");
        print_range(out, summary.multiplier);
    } else {
        std::fprintf(out, "none");
    }
    if (summary.traces_without_multiplier > 0) {
        std::fprintf(out, "; %lld traces without a multiplier",
                     static_cast<long long>(summary.traces_without_multiplier));
    }
    std::fprintf(out, "\n");
}

}  // namespace

void add_to_summary(const varn_trace& trace, varn_summary& summary) {
    const output_trace_header& h = trace.header;
    ++summary.traces;
    widen(summary.sample_count, trace.sample_count);
    widen(summary.sample_interval, h.sample_interval);
    widen(summary.data_type_code, h.data_type_code);
    widen(summary.channel_count, h.channel_count);
    widen(summary.ssn, as_signed(h.ssn));
    // The distance is word 18 over its decimal multiplier, word 34.
    if (h.distance_multiplier == 0) {
        ++summary.traces_without_multiplier;
    } else {
        widen(summary.multiplier, h.distance_multiplier);
        widen(summary.distance,
              static_cast<double>(as_signed(h.source_receiver_distance)) / h.distance_multiplier);
    }
    if (h.end_of_record_flag == 1) {
        ++summary.complete_records;
        summary.traces_after_last_record = 0;
    } else {
        ++summary.traces_after_last_record;
        summary.open_record_ssn = as_signed(h.ssn);
    }
    const std::int16_t type = as_signed(h.trace_type);
    if (type == 1) {
        ++summary.seismic_traces;
    } else if (type == 2) {
        ++summary.dead_traces;
    } else {
        ++summary.other_type_traces;
        widen(summary.other_types, type);
    }
    for (const float sample : trace.samples) {
        if (!std::isfinite(sample)) {
            continue;  // noted as a problem by the walk
        }
        const double value = sample;
        if (summary.samples == 0) {
            summary.amplitude_low = value;
            summary.amplitude_high = value;
        }
        summary.amplitude_low = std::min(summary.amplitude_low, value);
        summary.amplitude_high = std::max(summary.amplitude_high, value);
        summary.sum_of_squares += value * value;
        ++summary.samples;
    }
}

void print_problems(std::FILE* out, const char* prefix, const problem_log& problems) {
    const auto kept = std::min(problems.count, static_cast<std::int64_t>(problems_kept));
    for (std::int64_t i = 0; i < kept; ++i) {
        std::fprintf(out, "%s%s\n", prefix, problems.texts[static_cast<std::size_t>(i)].data());
    }
    if (problems.count > kept) {
        std::fprintf(out, "%sand %lld more\n", prefix,
                     static_cast<long long>(problems.count - kept));
    }
}

void print_summary(std::FILE* out, const char* name, std::int64_t file_size,
                   const varn_summary& summary, const problem_log& problems) {
    std::fprintf(out, "File:               %s, %lld bytes\n", name,
                 static_cast<long long>(file_size));
    std::fprintf(out, "Traces:             %lld\n", static_cast<long long>(summary.traces));
    if (summary.traces > 0) {
        std::fprintf(out, "Samples per trace:  ");
        print_range(out, summary.sample_count);
        std::fprintf(out, "\nSample interval:    ");
        print_range(out, summary.sample_interval);
        std::fprintf(out, " microseconds\nData type code:     ");
        print_range(out, summary.data_type_code);
        std::fprintf(out, "%s\nChannels:           ",
                     summary.data_type_code.low == summary.data_type_code.high
                         ? data_type_name(summary.data_type_code.low)
                         : "");
        print_range(out, summary.channel_count);
        std::fprintf(out, "\nSSN:                ");
        print_range(out, summary.ssn);
        std::fprintf(out, "\nRecords:            ");
        print_records(out, summary);
        std::fprintf(out, "Trace types:        ");
        print_trace_types(out, summary);
        std::fprintf(out, "Distances:          ");
        print_distances(out, summary);
        if (summary.samples > 0) {
            std::fprintf(out, "Amplitude:          minimum %.7g, maximum %.7g, RMS %.7g\n",
                         summary.amplitude_low, summary.amplitude_high,
                         std::sqrt(summary.sum_of_squares / static_cast<double>(summary.samples)));
        } else {
            std::fprintf(out, "Amplitude:          no finite samples\n");
        }
    }
    if (problems.count == 0) {
        std::fprintf(out, "No problems found.\n");
        return;
    }
    std::fprintf(out, "Problems:           %lld\n", static_cast<long long>(problems.count));
    print_problems(out, "  ", problems);
}

}  // namespace tarnvik
