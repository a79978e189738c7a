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

// The header goes at the start of the trace's place in the output block,
// ahead of the samples already converted behind it.
void write_output_header(console& con, placement& place, const output_trace_header& trace_out) {
    mark_trace_start(con, place);
    encode_output_header(trace_out, output_space(place.output).first<output_header_size>());
    commit_output(place.output, output_header_size);
}

void write_trace_samples(placement& place, std::size_t count) {
    commit_output(place.output, output_sample_size * count);
}

// "Writing SSN %d Trace %d Normalizing value = %f\n" with the SSN word,
// the trace number and the normalizing value, printed piecewise as it is
// once per trace. The normalizing value never changes, nor its text.
void print_trace_line(console& con, const output_trace_header& trace_out) {
    static_assert(normalizing_value == 1.0F, "its text below is 1.000000");
    print_text(con, "Writing SSN ");
    print_number(con, as_signed(trace_out.ssn));
    print_text(con, " Trace ");
    print_number(con, as_signed(trace_out.field_trace_number));
    print_text(con, " Normalizing value = 1.000000\n");
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
    // "%d " with no line break: the per-trace line continues after the
    // count. Printed piecewise, as it is once per trace.
    print_number(con, as_signed(trace_out.sample_count));
    print_text(con, " ");
}

bool read_trace_samples(input_file& input, const reel_summary& reel, int n,
                        std::span<const std::uint8_t>& samples) {
    if (n < 0) {
        return false;
    }
    const std::size_t size =
        static_cast<std::size_t>(n) * static_cast<std::size_t>(reel.bytes_per_sample);
    samples = read_bytes(input, size).bytes;
    return samples.size() == size;
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
                        std::span<std::uint8_t> samples) {
    if (!settings.fixed_length) {
        return;
    }
    const std::int32_t length = settings.fixed_length_samples;
    const std::int32_t n = as_signed(trace_out.sample_count);
    assert(length >= 1 && length <= static_cast<std::int32_t>(sample_buffer_capacity));
    if (length > n) {
        // 0.0 is all bits zero.
        const auto padding =
            samples.subspan(output_sample_size * static_cast<std::size_t>(n),
                            output_sample_size * static_cast<std::size_t>(length - n));
        std::fill(padding.begin(), padding.end(), std::uint8_t{0});
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
        if (header.bytes.size() < trace_header_size) {
            // The end of the input, or a fragment shorter than a trace
            // header; a failing read is no end but an error.
            return header.error == 0 ? go_on : end_after_read_failure(con, place);
        }
        fill_output_header(run.trace_in, settings, run.trace_out);
        encode_distance(con, run.trace_in, settings, run.trace_out);
        choose_sample_count(con, reel, settings, run.trace_out);
        stamp_record_words(run.record.current_ssn, run.trace_out);
        const int n = as_signed(run.trace_out.sample_count);
        std::span<const std::uint8_t> samples_in;
        if (!read_trace_samples(place.input, reel, n, samples_in)) {
            return end_after_read_failure(con, place);
        }
        if (const step s = prepare_trace_write(con, place); s.ends) {
            return s;
        }
        // The samples are converted straight into the trace's place in the
        // output block, behind the room for its header.
        const std::span<std::uint8_t> samples_out =
            output_space(place.output).subspan(output_header_size);
        convert_trace_samples(reel.format_code, static_cast<std::size_t>(n), samples_in,
                              samples_out);
        if (n == 0) {
            // The slash-n pairs print as a slash and the letter n: the
            // message holds no line break and continues the count's line.
            print(con, "/nTrace %d Zero Length.. Can't write, skipping to next/n",
                  as_signed(run.trace_out.field_trace_number));
        } else {
            print_trace_line(con, run.trace_out);
            advance_record(settings.channel_count, run.record, run.trace_out);
            finish_output_header(con, run.trace_out);
            apply_fixed_length(settings, run.trace_out, samples_out);
            write_output_header(con, place, run.trace_out);
            write_trace_samples(place,
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
