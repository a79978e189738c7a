#include "samples/sample_conversion.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <memory>
#include <vector>

namespace tarnvik {
namespace {

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
        float out = 0;
        convert_trace_samples(format_int32, 1, c.file_bytes, std::span(&out, 1));
        EXPECT_EQ(out, c.value) << c.value;
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
        float out = 0;
        convert_trace_samples(format_int16, 1, c.file_bytes, std::span(&out, 1));
        EXPECT_EQ(out, c.value) << c.value;
    }
}

TEST(TraceSamples, OneIsTheSameBitsInEveryFormat) {
    const std::pair<int, std::vector<std::uint8_t>> ones[] = {
        {format_ibm_float, {0x41, 0x10, 0x00, 0x00}},
        {format_int32, {0x00, 0x00, 0x00, 0x01}},
        {format_int16, {0x00, 0x01}},
    };
    for (const auto& [format, file_bytes] : ones) {
        float out = 0;
        convert_trace_samples(format, 1, file_bytes, std::span(&out, 1));
        EXPECT_EQ(std::bit_cast<std::uint32_t>(out), 0x3F800000u) << "format " << format;
    }
}

TEST(TraceSamples, ZeroSamplesLeaveTheOutputAsItWas) {
    auto buffers = std::make_unique<sample_buffers>();
    buffers->output[0] = 5.0F;
    buffers->input[0] = 0x41;
    for (const int format : {format_ibm_float, format_int32, format_int16}) {
        convert_trace_samples(format, 0, buffers->input, buffers->output);
        EXPECT_EQ(buffers->output[0], 5.0F);
    }
}

// A full-capacity trace converts in every format, down to its last sample,
// and writes nothing beyond its count.
TEST(TraceSamples, LargestTraceConvertsInEveryFormat) {
    auto buffers = std::make_unique<sample_buffers>();
    const std::size_t n = sample_buffer_capacity;
    struct layout {
        int format;
        std::vector<std::uint8_t> last;  // the last sample's bytes, value -118.625 or -118
        float value;
    };
    const layout layouts[] = {
        {format_ibm_float, {0xC2, 0x76, 0xA0, 0x00}, -118.625F},
        {format_int32, {0xFF, 0xFF, 0xFF, 0x8A}, -118.0F},
        {format_int16, {0xFF, 0x8A}, -118.0F},
    };
    for (const layout& l : layouts) {
        SCOPED_TRACE(l.format);
        const std::size_t size = l.last.size();
        std::fill(buffers->input.begin(), buffers->input.end(), std::uint8_t{0});
        std::copy(l.last.begin(), l.last.end(),
                  buffers->input.begin() + static_cast<std::ptrdiff_t>((n - 1) * size));
        std::fill(buffers->output.begin(), buffers->output.end(), 9.0F);
        convert_trace_samples(l.format, n - 1, buffers->input, buffers->output);
        EXPECT_EQ(buffers->output[n - 2], 0.0F);
        EXPECT_EQ(buffers->output[n - 1], 9.0F);  // beyond the count: untouched
        convert_trace_samples(l.format, n, buffers->input, buffers->output);
        EXPECT_EQ(buffers->output[n - 1], l.value);
    }
}

TEST(TraceSamples, IbmBlockGivesTheSingleBytesLeastSignificantFirst) {
    const std::vector<std::uint8_t> in{0xC2, 0x76, 0xA0, 0x00, 0x42, 0x64, 0x00, 0x00};
    float out[2] = {};
    convert_trace_samples(format_ibm_float, 2, in, out);
    std::uint8_t file[8];
    std::memcpy(file, out, 8);
    const std::uint8_t expected[8] = {0x00, 0x40, 0xED, 0xC2, 0x00, 0x00, 0xC8, 0x42};
    EXPECT_EQ(0, std::memcmp(file, expected, 8));
}

}  // namespace
}  // namespace tarnvik
