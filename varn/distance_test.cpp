#include "varn/distance.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "driver/settings.hpp"
#include "segy/trace_header.hpp"
#include "support/test_console.hpp"
#include "varn/output_header.hpp"

namespace tarnvik {
namespace {

enum class form { int16, int32, ibm };

struct distance_case {
    form how;
    std::uint32_t bytes;  // SEG-Y bytes 37-40 in file order
    std::int16_t scaled;
    std::uint16_t multiplier;
    bool limited;
};

constexpr distance_case worked_cases[] = {
    {form::int16, 0x00000000, 0, 10000, false},
    {form::int16, 0x00000005, 5000, 1000, false},
    {form::int16, 0x000000FA, 2500, 10, false},
    {form::int16, 0x123403E8, 1000, 1, false},  // bytes 37-38 are not looked at
    {form::int16, 0x000003E8, 1000, 1, false},
    {form::int16, 0x0000FF38, -2000, 10, false},
    {form::int16, 0x00007FFF, 32000, 1, true},
    {form::int16, 0x00008000, 32000, 1, true},
    {form::int16, 0x00011170, 4464, 1, false},  // 70000 read as its last two bytes
    {form::int32, 0x00000007, 7000, 1000, false},
    {form::int32, 0x00000063, 9900, 100, false},
    {form::int32, 0x00000064, 1000, 10, false},
    {form::int32, 0x0000270F, 9999, 1, false},
    {form::int32, 0x00003A98, 15000, 1, false},
    {form::int32, 0x00007D00, 32000, 1, false},
    {form::int32, 0x00007D01, 32000, 1, true},
    {form::int32, 0x00009C40, 32000, 1, true},
    {form::int32, 0x00011170, 32000, 1, true},
    {form::int32, 0xFFFFFF6A, -1500, 10, false},
    {form::int32, 0xFFFF63C0, 32000, 1, true},  // -40000: limited, positive
    {form::int32, 0x00002710, 10000, 1, false},
    {form::int32, 0x0000000A, 1000, 100, false},
    {form::int32, 0x00000001, 1000, 1000, false},
    {form::ibm, 0x00000000, 0, 10000, false},
    {form::ibm, 0x41100000, 1000, 1000, false},
    {form::ibm, 0x41A00000, 1000, 100, false},
    {form::ibm, 0x41C80000, 1250, 100, false},
    {form::ibm, 0x40B33333, 6999, 10000, false},  // nearest 0.7 is below it: truncated
    {form::ibm, 0xC0400000, -2500, 10000, false},
    {form::ibm, 0xC2640000, -1000, 10, false},
    {form::ibm, 0x434D2800, 1234, 1, false},
    {form::ibm, 0x449C4000, 32000, 1, true},
    {form::ibm, 0x61100000, 32000, 1, true},  // infinite: limited like any large value
    {form::ibm, 0xE1100000, 32000, 1, true},
};

TEST(Distance, WorkedTableInAllThreeForms) {
    for (const distance_case& c : worked_cases) {
        SCOPED_TRACE(::testing::Message()
                     << "form " << static_cast<int>(c.how) << " bytes " << std::hex << c.bytes);
        input_trace_header trace_in;
        for (int i = 0; i < 4; ++i) {
            trace_in.bytes[distance_offset + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(c.bytes >> (24 - 8 * i));
        }
        conversion_settings settings;
        settings.distances_valid = c.how != form::int16;
        settings.distances_ibm_float = c.how == form::ibm;
        output_trace_header trace_out{};
        testing::test_console console;
        encode_distance(console.con(), trace_in, settings, trace_out);
        EXPECT_EQ(as_signed(trace_out.source_receiver_distance), c.scaled);
        EXPECT_EQ(trace_out.distance_multiplier, c.multiplier);
        EXPECT_EQ(console.text(),
                  c.limited ? "Distance value too big/small --Setting it to 32000" : "");
    }
}

TEST(Distance, ValuesOnAThresholdTakeTheLowerMultiplier) {
    const std::pair<float, scaled_distance> pairs[] = {
        {1000.0F, {1000, 1, false}},         {100.0F, {1000, 10, false}},
        {10.0F, {1000, 100, false}},         {1.0F, {1000, 1000, false}},
        {10000.0F, {10000, 1, false}},       {32000.0F, {32000, 1, false}},
        {32001.0F, {32000, 1, true}},        {-0.5F, {-5000, 10000, false}},
        {0.99999994F, {9999, 10000, false}},
    };
    for (const auto& [value, expected] : pairs) {
        const scaled_distance got = scale_distance(value);
        EXPECT_EQ(got.scaled, expected.scaled) << value;
        EXPECT_EQ(got.multiplier, expected.multiplier) << value;
        EXPECT_EQ(got.limited, expected.limited) << value;
    }
}

TEST(Distance, NotANumberGivesZeroWithTheLargestMultiplierSilently) {
    const scaled_distance got = scale_distance(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(got.scaled, 0);
    EXPECT_EQ(got.multiplier, 10000);
    EXPECT_FALSE(got.limited);
}

}  // namespace
}  // namespace tarnvik
