#include "samples/ibm.hpp"

#include <bit>
#include <cstring>

namespace tarnvik {

namespace {

constexpr std::uint32_t be32(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

}  // namespace

void ibm_to_ieee(std::span<std::uint8_t, 4> slot) {
    const std::uint32_t bits = ibm_to_ieee_bits(be32(slot.data()));
    for (std::size_t i = 0; i < 4; ++i) {
        slot[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

void ibm_block_to_ieee(const std::uint8_t* in, float* out, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        out[k] = std::bit_cast<float>(ibm_to_ieee_bits(be32(in + 4 * k)));
    }
}

}  // namespace tarnvik
