#include "samples/sample_conversion.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

namespace tarnvik {
namespace {

// One sample converted, read back from its output bytes.
float convert_one(int format, const std::vector<std::uint8_t>& file_bytes) {
    std::uint8_t out[4] = {};
    convert_trace_samples(format, 1, file_bytes, out);
    float value = 0;
    std::memcpy(&value, out, 4);
    return value;
}

struct integer_case {
    std::vector<std::uint8_t> file_bytes;
    float value;
};

TEST(IntegerSamples, Int32RoundsToNearestWithTiesToEven) {
    const integer_case cases[] = {
        {{0x00, 0x00, 0x00, 0x01}, 1.0F},
        {{0xFF, 0xFF, 0xFF, 0xFF}, -1.0F},
        {{0x80, 0x00, 0x00, 0x00}, -2147483648.0F},
        {{0x7F, 0xFF, 0xFF, 0xFF}, 2147483648.0F},
        {{0x00, 0xFF, 0xFF, 0xFF}, 16777215.0F},
        {{0x01, 0x00, 0x00, 0x01}, 16777216.0F},  // 16777217: tie, to even
        {{0x01, 0x00, 0x00, 0x03}, 16777220.0F},  // 16777219: tie, to even
        {{0x01, 0x00, 0x00, 0x05}, 16777220.0F},  // 16777221: tie, to even
    };
    for (const integer_case& c : cases) {
        EXPECT_EQ(convert_one(format_int32, c.file_bytes), c.value) << c.value;
    }
}

TEST(IntegerSamples, Int16IsExact) {
    const integer_case cases[] = {
        {{0x7F, 0xFF}, 32767.0F},
        {{0x80, 0x00}, -32768.0F},
        {{0xFF, 0xFF}, -1.0F},
        {{0x00, 0x01}, 1.0F},
    };
    for (const integer_case& c : cases) {
        EXPECT_EQ(convert_one(format_int16, c.file_bytes), c.value) << c.value;
    }
}

TEST(TraceSamples, OneIsTheSameBitsInEveryFormat) {
    const std::pair<int, std::vector<std::uint8_t>> ones[] = {
        {format_ibm_float, {0x41, 0x10, 0x00, 0x00}},
        {format_int32, {0x00, 0x00, 0x00, 0x01}},
        {format_int16, {0x00, 0x01}},
    };
    for (const auto& [format, file_bytes] : ones) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(convert_one(format, file_bytes)), 0x3F800000u)
            << "format " << format;
    }
}

TEST(TraceSamples, ZeroSamplesLeaveTheOutputAsItWas) {
    const std::vector<std::uint8_t> in(8, 0x41);
    for (const int format : {format_ibm_float, format_int32, format_int16}) {
        std::vector<std::uint8_t> out(8, 0x99);
        convert_trace_samples(format, 0, in, out);
        EXPECT_EQ(out, std::vector<std::uint8_t>(8, 0x99));
    }
}

// A full-capacity trace converts in every format, down to its last sample,
// and writes nothing beyond its count.
TEST(TraceSamples, LargestTraceConvertsInEveryFormat) {
    const std::size_t n = sample_buffer_capacity;
    struct layout {
        int format;
        std::vector<std::uint8_t> last;  // the last sample's bytes
        std::uint32_t bits;              // -118.625 or -118
    };
    const layout layouts[] = {
        {format_ibm_float, {0xC2, 0x76, 0xA0, 0x00}, 0xC2ED4000},
        {format_int32, {0xFF, 0xFF, 0xFF, 0x8A}, 0xC2EC0000},
        {format_int16, {0xFF, 0x8A}, 0xC2EC0000},
    };
    for (const layout& l : layouts) {
        SCOPED_TRACE(l.format);
        std::vector<std::uint8_t> in(n * l.last.size(), 0);
        std::copy(l.last.begin(), l.last.end(),
                  in.end() - static_cast<std::ptrdiff_t>(l.last.size()));
        std::vector<std::uint8_t> out(4 * n + 4, 0x99);
        convert_trace_samples(l.format, n, in, out);
        std::uint32_t last = 0;
        std::memcpy(&last, &out[4 * (n - 1)], 4);
        EXPECT_EQ(last, l.bits);
        EXPECT_EQ(out[4 * n], 0x99);  // beyond the count: untouched
        EXPECT_EQ(out[4 * (n - 2)], 0);
    }
}

TEST(TraceSamples, IbmBlockGivesTheSingleBytesLeastSignificantFirst) {
    const std::vector<std::uint8_t> in{0xC2, 0x76, 0xA0, 0x00, 0x42, 0x64, 0x00, 0x00};
    std::vector<std::uint8_t> out(8);
    convert_trace_samples(format_ibm_float, 2, in, out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x00, 0x40, 0xED, 0xC2, 0x00, 0x00, 0xC8, 0x42}));
}

}  // namespace
}  // namespace tarnvik
