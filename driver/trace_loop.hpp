// The trace conversion loop: every input trace in file order, one pass each.
#pragma once

#include "driver/run_state.hpp"

namespace tarnvik {

// The normalizing value every per-trace line shows; no sample is scaled.
inline constexpr float normalizing_value = 1.0F;

// Keeps the trace header's sample count and interval, or puts the reel's in
// their place (with a message) unless the user forced the trace's own.
// Prints the count the trace is read with.
void choose_sample_count(console& con, const reel_summary& reel,
                         const conversion_settings& settings, output_trace_header& trace_out);

// Reads n samples of the reel's size and hands them out where they lie in
// the input block. False when fewer arrive, and for a negative n.
[[nodiscard]] bool read_trace_samples(input_file& input, const reel_summary& reel, int n,
                                      std::span<const std::uint8_t>& samples);

// Counts a written trace into its record; the record's last trace gets the
// end-of-record flag, and the SSN moves on.
void advance_record(std::int32_t channel_count, record_state& record,
                    output_trace_header& trace_out);

// Cuts or pads (with zeros) the trace to the fixed output length; `samples`
// holds the converted samples, with room for the fixed length.
void apply_fixed_length(const conversion_settings& settings, output_trace_header& trace_out,
                        std::span<std::uint8_t> samples);

// Converts every trace; ends when the input holds no further trace header.
[[nodiscard]] step convert_traces(run_state& run);

}  // namespace tarnvik
