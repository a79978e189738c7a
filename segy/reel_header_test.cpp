#include "segy/reel_header.hpp"

#include <gtest/gtest.h>

#include <array>

#include "support/segy_builder.hpp"
#include "support/test_console.hpp"

namespace tarnvik {
namespace {

std::array<std::uint8_t, reel_header_size> header_of(const testing::reel_fields& fields) {
    const testing::bytes reel = testing::reel_header(fields);
    std::array<std::uint8_t, reel_header_size> out{};
    std::copy(reel.begin(), reel.end(), out.begin());
    return out;
}

TEST(ReelHeader, DecodesTheFourFieldsUnsigned) {
    const reel_summary reel = decode_reel_header(header_of({65535, 2000, 24, 0, 3}));
    EXPECT_EQ(reel.samples_per_trace, 65535);
    EXPECT_EQ(reel.sample_interval, 2000);
    EXPECT_EQ(reel.traces_per_record, 24);
    EXPECT_EQ(reel.format_code, 3);
}

TEST(ReelHeader, FormatCodeIsTheLowOrderByteOnly) {
    struct format_case {
        std::uint8_t high, low;
        int code;
    };
    for (const format_case c : {format_case{1, 1, 1}, {1, 0, 0}, {0, 5, 5}, {0xFF, 2, 2}}) {
        EXPECT_EQ(decode_reel_header(header_of({1, 1, 1, c.high, c.low})).format_code, c.code);
    }
}

TEST(ReelHeader, AcceptedFormatsPrintTheSummaryAndSetTheSampleSize) {
    struct accepted_case {
        std::uint8_t format;
        const char* name;
        int bytes_per_sample;
    };
    const accepted_case cases[] = {
        {1, "floating point\n", 4}, {2, "4 byte integer.\n", 4}, {3, "2 byte integer.\n", 2}};
    for (const accepted_case& c : cases) {
        testing::test_console console;
        reel_summary reel = decode_reel_header(header_of({1000, 2000, 24, 0, c.format}));
        ASSERT_TRUE(accept_reel_header(console.con(), reel));
        EXPECT_EQ(console.text(),
                  std::string("\nSample size = 1000  24 Channels/Record. Sample rate = 2000 "
                              "samps/sec\nData represention type = ") +
                      c.name);
        EXPECT_EQ(reel.bytes_per_sample, c.bytes_per_sample);
    }
}

TEST(ReelHeader, RefusedFormatPrintsItsCountsWithoutLineBreaks) {
    testing::test_console console;
    reel_summary reel = decode_reel_header(header_of({1000, 2000, 24, 1, 0}));
    EXPECT_FALSE(accept_reel_header(console.con(), reel));
    EXPECT_EQ(console.text(),
              "I'm sorry this type of data can not be processed.\n"
              "Data type = 0  (only 1,2,or3 allowable)\n"
              "Number samples = 1000Number channels = 24");
}

}  // namespace
}  // namespace tarnvik
