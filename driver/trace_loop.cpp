#include "driver/trace_loop.hpp"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "driver/placement.hpp"
#include "varn/distance.hpp"

namespace tarnvik {

namespace {

// While a terminal shows the progress, it is brought up to date at least
// this often.
constexpr std::int64_t terminal_refresh_ms = 100;
// The most console text one trace can print, with room to spare.
constexpr std::size_t trace_text_reserve = 4096;

void write_output_header(console& con, placement& place, const output_trace_header& trace_out) {
    mark_trace_start(con, place);
    encode_output_header(
        trace_out, output_space(place.output, output_header_size).first<output_header_size>());
}

void write_trace_samples(placement& place, const sample_buffers& buffers, std::size_t count) {
    const std::span<std::uint8_t> space = output_space(place.output, 4 * count);
    std::memcpy(space.data(), buffers.output.data(), space.size());
}

}  // namespace

void choose_sample_count(console& con, const reel_summary& reel,
                         const conversion_settings& settings, output_trace_header& trace_out) {
    if (as_signed(trace_out.sample_count) != reel.samples_per_trace &&
        !settings.force_trace_sample_count) {
        print(con,
              "Trace header # samples != reel header # samples. Setting to reel header value.\n");
        trace_out.sample_count = static_cast<std::uint16_t>(reel.samples_per_trace);
        trace_out.sample_interval = static_cast<std::uint16_t>(reel.sample_interval);
    }
    // No line break: the per-trace line continues after the count.
    print(con, "%d ", as_signed(trace_out.sample_count));
}

bool read_trace_samples(input_file& input, const reel_summary& reel, int n,
                        sample_buffers& buffers) {
    if (n < 0) {
        return false;
    }
    const std::size_t size =
        static_cast<std::size_t>(n) * static_cast<std::size_t>(reel.bytes_per_sample);
    assert(size <= buffers.input.size());
    return read_bytes(input, std::span(buffers.input).first(size)).count == size;
}

void advance_record(std::int32_t channel_count, record_state& record,
                    output_trace_header& trace_out) {
    ++record.record_trace_counter;
    if (record.record_trace_counter >= channel_count) {
        trace_out.end_of_record_flag = 1;
        record.record_trace_counter = 0;
        // The SSN counts on past the 32-bit limit by wrapping.
        record.current_ssn =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(record.current_ssn) + 1u);
    }
}

void apply_fixed_length(const conversion_settings& settings, output_trace_header& trace_out,
                        sample_buffers& buffers) {
    if (!settings.fixed_length) {
        return;
    }
    const std::int32_t length = settings.fixed_length_samples;
    const std::int32_t n = as_signed(trace_out.sample_count);
    assert(length >= 1 && length <= static_cast<std::int32_t>(sample_buffer_capacity));
    if (length > n) {
        std::fill(buffers.output.begin() + n, buffers.output.begin() + length, 0.0F);
    }
    trace_out.sample_count = static_cast<std::uint16_t>(length);
}

step convert_traces(run_state& run) {
    console& con = run.con;
    const conversion_settings& settings = run.settings;
    const reel_summary& reel = run.reel;
    placement& place = run.place;
    run.record.record_trace_counter = 0;
    run.record.current_ssn = settings.starting_ssn;
    std::int64_t refreshed_at = con.out_is_terminal ? monotonic_milliseconds() : 0;

    for (;;) {
        const read_outcome header = read_trace_header(place.input, run.trace_in);
        if (header.count < trace_header_size) {
            // The end of the input, or a fragment shorter than a trace
            // header; a failing read is no end but an error.
            return header.error == 0 ? go_on : end_after_read_failure(con, place);
        }
        fill_output_header(run.trace_in, settings, run.trace_out);
        encode_distance(con, run.trace_in, settings, run.trace_out);
        choose_sample_count(con, reel, settings, run.trace_out);
        stamp_record_words(run.record.current_ssn, run.trace_out);
        const int n = as_signed(run.trace_out.sample_count);
        if (!read_trace_samples(place.input, reel, n, run.buffers)) {
            return end_after_read_failure(con, place);
        }
        if (const step s = prepare_trace_write(con, place); s.ends) {
            return s;
        }
        const auto count = static_cast<std::size_t>(n);
        convert_trace_samples(reel.format_code, count, run.buffers.input, run.buffers.output);
        if (n == 0) {
            // The slash-n pairs print as a slash and the letter n: the
            // message holds no line break and continues the count's line.
            print(con, "/nTrace %d Zero Length.. Can't write, skipping to next/n",
                  as_signed(run.trace_out.field_trace_number));
        } else {
            print(con, "Writing SSN %d Trace %d Normalizing value = %f\n",
                  as_signed(run.trace_out.ssn), as_signed(run.trace_out.field_trace_number),
                  static_cast<double>(normalizing_value));
            advance_record(settings.channel_count, run.record, run.trace_out);
            finish_output_header(con, run.trace_out);
            apply_fixed_length(settings, run.trace_out, run.buffers);
            write_output_header(con, place, run.trace_out);
            write_trace_samples(place, run.buffers,
                                static_cast<std::size_t>(as_signed(run.trace_out.sample_count)));
        }
        complete_trace(place);

        bool refresh = hold_room(con) < trace_text_reserve;
        if (con.out_is_terminal) {
            const std::int64_t now = monotonic_milliseconds();
            if (now - refreshed_at >= terminal_refresh_ms) {
                refresh = true;
                refreshed_at = now;
            }
        }
        if (refresh) {
            if (const step s = release_progress(con, place); s.ends) {
                return s;
            }
        }
    }
}

}  // namespace tarnvik
