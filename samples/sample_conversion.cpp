#include "samples/sample_conversion.hpp"

#include <cassert>
#include <cstring>

#include "samples/ibm.hpp"
#include "samples/vector_clones.hpp"

namespace tarnvik {

namespace {

void store_single(std::uint8_t* out, float value) {
    std::memcpy(out, &value, output_sample_size);
}

}  // namespace

TARNVIK_VECTOR_CLONES
void int32_block_to_ieee(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t* b = in + 4 * k;
        const auto word = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
                          (std::uint32_t{b[2]} << 8) | std::uint32_t{b[3]};
        // The conversion rounds to nearest, ties to even: the default
        // rounding mode, which nothing here changes.
        store_single(out + 4 * k, static_cast<float>(static_cast<std::int32_t>(word)));
    }
}

TARNVIK_VECTOR_CLONES
void int16_block_to_ieee(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t* b = in + 2 * k;
        const auto word = static_cast<std::uint16_t>((b[0] << 8) | b[1]);
        store_single(out + 4 * k, static_cast<float>(static_cast<std::int16_t>(word)));
    }
}

void convert_trace_samples(int format_code, std::size_t count, std::span<const std::uint8_t> in,
                           std::span<std::uint8_t> out) {
    assert(count * output_sample_size <= out.size());
    assert(count * static_cast<std::size_t>(bytes_per_sample_for(format_code)) <= in.size());
    switch (format_code) {
        case format_ibm_float:
            ibm_block_to_ieee(in.data(), out.data(), count);
            break;
        case format_int32:
            int32_block_to_ieee(in.data(), out.data(), count);
            break;
        case format_int16:
            int16_block_to_ieee(in.data(), out.data(), count);
            break;
        default:
            assert(false && "format code refused when the reel header was read");
    }
}

}  // namespace tarnvik
