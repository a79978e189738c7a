// Fuzz target: the reel header, one trace header and a block of samples
// decoded without any file. The IBM conversions (both block paths) are
// checked against the exactly computed reference, the integer conversions
// against the compiler's own, and the output header against its layout.
//
//   byte 0       settings: bit 0 distances valid, bit 1 IBM distances,
//                bit 2 force the trace counts, bit 3 fixed length;
//                bits 4-5 the data type code
//   3600 bytes   a reel header
//   240 bytes    a trace header
//   the rest     sample bytes
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "driver/console.hpp"
#include "driver/settings.hpp"
#include "driver/trace_loop.hpp"
#include "samples/ibm.hpp"
#include "samples/sample_conversion.hpp"
#include "segy/reel_header.hpp"
#include "support/ibm_reference.hpp"
#include "varn/distance.hpp"
#include "varn/output_header.hpp"

namespace {

using namespace tarnvik;

void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz_decode: %s\n", what);
        std::abort();
    }
}

std::uint32_t stored_bits(const std::uint8_t* out) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, out, 4);
    return bits;
}

void check_samples(const std::uint8_t* in, std::size_t size) {
    const std::size_t ibm_count = size / 4;
    std::vector<std::uint8_t> wide(4 * ibm_count);
    std::vector<std::uint8_t> portable(4 * ibm_count);
    ibm_block_to_ieee(in, wide.data(), ibm_count);
    ibm_block_to_ieee_portable(in, portable.data(), ibm_count);
    for (std::size_t k = 0; k < ibm_count; ++k) {
        const std::uint32_t word = std::uint32_t{in[4 * k]} << 24 |
                                   std::uint32_t{in[4 * k + 1]} << 16 |
                                   std::uint32_t{in[4 * k + 2]} << 8 | in[4 * k + 3];
        const std::uint32_t expected = testing::ibm_reference_bits<long double>(word);
        require(stored_bits(&wide[4 * k]) == expected, "IBM conversion differs from the reference");
        require(stored_bits(&portable[4 * k]) == expected, "portable IBM conversion differs");
        require(!std::isnan(std::bit_cast<float>(expected)), "a NaN from an IBM value");
    }
    std::vector<std::uint8_t> out(4 * (size / 2));
    convert_trace_samples(format_int32, ibm_count, {in, size}, out);
    for (std::size_t k = 0; k < ibm_count; ++k) {
        const auto value = static_cast<std::int32_t>(
            std::uint32_t{in[4 * k]} << 24 | std::uint32_t{in[4 * k + 1]} << 16 |
            std::uint32_t{in[4 * k + 2]} << 8 | in[4 * k + 3]);
        require(std::bit_cast<float>(stored_bits(&out[4 * k])) == static_cast<float>(value),
                "int32 conversion");
    }
    convert_trace_samples(format_int16, size / 2, {in, size}, out);
    for (std::size_t k = 0; k < size / 2; ++k) {
        const auto value = static_cast<std::int16_t>(in[2 * k] << 8 | in[2 * k + 1]);
        require(std::bit_cast<float>(stored_bits(&out[4 * k])) == static_cast<float>(value),
                "int16 conversion");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 + reel_header_size + trace_header_size) {
        check_samples(data, size);
        return 0;
    }
    static console con;
    if (con.out == nullptr) {
        con.out = std::fopen("/dev/null", "wb");
    }
    conversion_settings settings;
    settings.distances_valid = (data[0] & 1) != 0;
    settings.distances_ibm_float = settings.distances_valid && (data[0] & 2) != 0;
    settings.force_trace_sample_count = (data[0] & 4) != 0;
    settings.data_type_code = (data[0] >> 4) & 3;
    settings.channel_count = 1;

    std::array<std::uint8_t, reel_header_size> reel_bytes{};
    std::memcpy(reel_bytes.data(), data + 1, reel_header_size);
    reel_summary reel = decode_reel_header(reel_bytes);
    require(reel.samples_per_trace >= 0 && reel.samples_per_trace <= 65535, "samples per trace");
    if (!accept_reel_header(con, reel)) {
        require(reel.format_code < 1 || reel.format_code > 3, "an accepted format refused");
        reel.format_code = format_ibm_float;
        reel.bytes_per_sample = 4;
    }

    input_trace_header trace_in;
    std::memcpy(trace_in.bytes.data(), data + 1 + reel_header_size, trace_header_size);
    output_trace_header trace_out{};
    fill_output_header(trace_in, settings, trace_out);
    encode_distance(con, trace_in, settings, trace_out);
    const std::int16_t distance = as_signed(trace_out.source_receiver_distance);
    require(distance >= -32000 && distance <= 32000, "distance word beyond 32000");
    const std::uint16_t multiplier = trace_out.distance_multiplier;
    require(multiplier == 1 || multiplier == 10 || multiplier == 100 || multiplier == 1000 ||
                multiplier == 10000,
            "distance multiplier");
    choose_sample_count(con, reel, settings, trace_out);
    stamp_record_words(static_cast<std::int32_t>(data[0]) * 1000, trace_out);
    finish_output_header(con, trace_out);
    require(trace_out.trace_type == 1 || trace_out.trace_type == 2, "trace type");
    std::array<std::uint8_t, output_header_size> header{};
    encode_output_header(trace_out, header);
    // Only the named words may be non-zero.
    constexpr int named[] = {0, 1, 2, 5, 7, 11, 13, 14, 15, 16, 18, 34, 54, 57, 58, 59, 87, 91};
    for (int word = 0; word < 120; ++word) {
        bool is_named = false;
        for (const int n : named) {
            is_named |= n == word;
        }
        if (!is_named) {
            require(header[2 * static_cast<std::size_t>(word)] == 0 &&
                        header[2 * static_cast<std::size_t>(word) + 1] == 0,
                    "a word that must be zero is not");
        }
    }
    require(header[118] == 0xAA && header[119] == 0x55, "header marker");
    release(con);

    const std::size_t header_end = 1 + reel_header_size + trace_header_size;
    check_samples(data + header_end, size - header_end);
    return 0;
}
