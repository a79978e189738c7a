#include "varn/output_header.hpp"

#include <gtest/gtest.h>

#include <array>

#include "driver/settings.hpp"
#include "support/test_console.hpp"
#include "varn/distance.hpp"

namespace tarnvik {
namespace {

using header_bytes = std::array<std::uint8_t, output_header_size>;

// One trace's header words as the trace loop sets them, up to the write.
header_bytes build_header(const input_trace_header& trace_in, const conversion_settings& settings,
                          output_trace_header& trace_out, std::int32_t ssn, std::string* text) {
    testing::test_console console;
    fill_output_header(trace_in, settings, trace_out);
    encode_distance(console.con(), trace_in, settings, trace_out);
    stamp_record_words(ssn, trace_out);
    finish_output_header(console.con(), trace_out);
    header_bytes bytes{};
    encode_output_header(trace_out, bytes);
    if (text != nullptr) {
        *text = console.text();
    }
    return bytes;
}

void put_le(header_bytes& bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

TEST(OutputHeader, CopiedWordsLandSwappedAtTheirOffsetsAndAllElseIsZero) {
    input_trace_header trace_in;
    for (std::size_t i = 0; i < trace_header_size; ++i) {
        trace_in.bytes[i] = static_cast<std::uint8_t>(i + 1);  // distinctive at every offset
    }
    conversion_settings settings;
    settings.data_type_code = 2;
    settings.channel_count = 70000;
    output_trace_header trace_out{};
    std::string text;
    const header_bytes got = build_header(trace_in, settings, trace_out, 0x12345, &text);

    header_bytes expected{};
    put_le(expected, 0, 2);     // data type code
    put_le(expected, 2, 4464);  // channel count 70000, low 16 bits
    put_le(expected, 4, 12);    // CDP stacked data
    // Copied words: the input's two bytes at the same offsets, swapped.
    // Of each 4-byte field only its low half (offset + 2) arrives.
    for (const std::size_t offset : {10u, 14u, 22u, 26u, 30u, 32u, 108u, 114u, 116u}) {
        expected[offset] = trace_in.bytes[offset + 1];
        expected[offset + 1] = trace_in.bytes[offset];
    }
    put_le(expected, 28, 1);      // trace type 0x1D1E is undefined: set to 1
    put_le(expected, 36, 10024);  // distance: input bytes 39-40 (0x27 0x28), multiplier 1
    put_le(expected, 68, 1);
    put_le(expected, 118, 0x55AA);
    put_le(expected, 182, 0x2345);  // SSN, low 16 bits
    EXPECT_EQ(got, expected);
    EXPECT_EQ(text, "Undefined trace type found(7454)-Setting to 1 = seismic data\n");
}

TEST(OutputHeader, NothingOfAnEarlierTraceSurvivesIntoTheNext) {
    conversion_settings settings;
    settings.data_type_code = 1;
    settings.channel_count = 24;
    output_trace_header trace_out{};
    input_trace_header first;
    first.bytes.fill(0xA5);
    build_header(first, settings, trace_out, 7, nullptr);
    trace_out.end_of_record_flag = 1;  // as the record counting sets it

    input_trace_header second;
    second.bytes[29] = 2;  // trace type 2 passes unchanged
    const header_bytes got = build_header(second, settings, trace_out, 8, nullptr);
    header_bytes expected{};
    put_le(expected, 0, 1);
    put_le(expected, 2, 24);
    put_le(expected, 28, 2);
    put_le(expected, 68, 10000);  // distance 0
    put_le(expected, 118, 0x55AA);
    put_le(expected, 182, 8);
    EXPECT_EQ(got, expected);
}

TEST(OutputHeader, TraceTypeRule) {
    struct type_case {
        std::uint16_t code;
        std::uint16_t written;
        const char* text;
    };
    const type_case cases[] = {
        {0, 1, "Undefined trace type found(0)-Setting to 1 = seismic data\n"},
        {1, 1, ""},
        {2, 2, ""},
        {3, 1, "Undefined trace type found(3)-Setting to 1 = seismic data\n"},
        {0xFFFF, 1, "Undefined trace type found(-1)-Setting to 1 = seismic data\n"},
    };
    for (const type_case& c : cases) {
        output_trace_header trace_out{};
        trace_out.trace_type = c.code;
        testing::test_console console;
        finish_output_header(console.con(), trace_out);
        EXPECT_EQ(trace_out.trace_type, c.written) << c.code;
        EXPECT_EQ(trace_out.header_marker, 0x55AA);
        EXPECT_EQ(console.text(), c.text);
    }
}

TEST(OutputHeader, StackedDataCodeOnlyForDataTypeTwo) {
    for (const std::int32_t code : {0, 1, 2, 4}) {
        conversion_settings settings;
        settings.data_type_code = code;
        output_trace_header trace_out{};
        fill_output_header(input_trace_header{}, settings, trace_out);
        EXPECT_EQ(trace_out.stacked_data_code, code == 2 ? 12 : 0) << code;
    }
}

// Reading a header back gives every word from its two bytes, least
// significant first, and writing it again gives the same bytes.
TEST(OutputHeader, DecodingReadsEveryWordBack) {
    header_bytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    output_trace_header trace_out{};
    decode_output_header(bytes, trace_out);
    EXPECT_EQ(trace_out.data_type_code, 0x0A03);
    EXPECT_EQ(trace_out.ssn, (((182 * 7 + 3) & 0xFF) | (((183 * 7 + 3) & 0xFF) << 8)));
    put_le(bytes, 118, header_marker_value);
    decode_output_header(bytes, trace_out);
    EXPECT_EQ(trace_out.header_marker, 0x55AA);
    header_bytes again{};
    encode_output_header(trace_out, again);
    EXPECT_EQ(again, bytes);
}

}  // namespace
}  // namespace tarnvik
