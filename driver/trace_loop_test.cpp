#include "driver/trace_loop.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/test_console.hpp"

namespace tarnvik {
namespace {

struct count_case {
    std::uint16_t trace_count;
    std::uint16_t trace_interval;
    bool force;
    std::uint16_t count;
    std::uint16_t interval;
    const char* text;
};

TEST(SampleCountDecision, ReelCountReplacesAMismatchUnlessForced) {
    reel_summary reel;
    reel.samples_per_trace = 1500;
    reel.sample_interval = 2000;
    const count_case cases[] = {
        // A matching count keeps the trace's own interval, silently.
        {1500, 4000, false, 1500, 4000, "1500 "},
        {1000, 4000, false, 1500, 2000,
         "Trace header # samples != reel header # samples. Setting to reel header value.\n1500 "},
        {1000, 4000, true, 1000, 4000, "1000 "},
        {0, 4000, true, 0, 4000, "0 "},
        {0xFFFF, 4000, true, 0xFFFF, 4000, "-1 "},
    };
    for (const count_case& c : cases) {
        conversion_settings settings;
        settings.force_trace_sample_count = c.force;
        output_trace_header trace_out{};
        trace_out.sample_count = c.trace_count;
        trace_out.sample_interval = c.trace_interval;
        testing::test_console console;
        choose_sample_count(console.con(), reel, settings, trace_out);
        EXPECT_EQ(trace_out.sample_count, c.count);
        EXPECT_EQ(trace_out.sample_interval, c.interval);
        EXPECT_EQ(console.text(), c.text);
    }
}

TEST(RecordCounting, ThreeChannelsFromSsn100) {
    record_state record{0, 100};
    output_trace_header trace_out{};
    std::vector<int> ssns;
    std::vector<int> flags;
    for (int trace = 0; trace < 7; ++trace) {
        stamp_record_words(record.current_ssn, trace_out);
        advance_record(3, record, trace_out);
        ssns.push_back(as_signed(trace_out.ssn));
        flags.push_back(trace_out.end_of_record_flag);
    }
    EXPECT_EQ(ssns, (std::vector<int>{100, 100, 100, 101, 101, 101, 102}));
    EXPECT_EQ(flags, (std::vector<int>{0, 0, 1, 0, 0, 1, 0}));
    EXPECT_EQ(record.current_ssn, 102);
}

TEST(RecordCounting, SsnWordKeepsTheLow16Bits) {
    record_state record{0, 32767};
    output_trace_header trace_out{};
    advance_record(1, record, trace_out);
    stamp_record_words(record.current_ssn, trace_out);
    EXPECT_EQ(record.current_ssn, 32768);
    EXPECT_EQ(as_signed(trace_out.ssn), -32768);
}

TEST(FixedLength, CutsOrPadsWithZeros) {
    std::vector<std::uint8_t> samples(4 * 3000, 0x77);
    conversion_settings settings;
    settings.fixed_length = true;
    output_trace_header trace_out{};

    settings.fixed_length_samples = 2000;
    trace_out.sample_count = 1500;
    apply_fixed_length(settings, trace_out, samples);
    EXPECT_EQ(trace_out.sample_count, 2000);
    EXPECT_EQ(samples[4 * 1500 - 1], 0x77);
    EXPECT_TRUE(std::all_of(samples.begin() + 4 * 1500, samples.begin() + 4 * 2000,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(samples[4 * 2000], 0x77);

    std::fill(samples.begin(), samples.end(), std::uint8_t{0x77});
    settings.fixed_length_samples = 1000;
    trace_out.sample_count = 1500;
    apply_fixed_length(settings, trace_out, samples);
    EXPECT_EQ(trace_out.sample_count, 1000);
    EXPECT_EQ(samples[4 * 1000], 0x77);  // dropped from the output, not cleared

    settings.fixed_length = false;
    trace_out.sample_count = 1500;
    apply_fixed_length(settings, trace_out, samples);
    EXPECT_EQ(trace_out.sample_count, 1500);
}

}  // namespace
}  // namespace tarnvik
