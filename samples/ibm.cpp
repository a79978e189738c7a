#include "samples/ibm.hpp"

#include <bit>
#include <cstring>

#include "samples/vector_clones.hpp"

namespace tarnvik {

namespace {

// Stores an IEEE single's bits least significant byte first (the host's
// order, see sample_conversion.hpp).
void store_bits(std::uint8_t* out, std::uint32_t bits) {
    std::memcpy(out, &bits, 4);
}

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

TARNVIK_VECTOR_CLONES
void ibm_block_to_ieee_portable(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        store_bits(out + 4 * k, ibm_to_ieee_bits(be32(in + 4 * k)));
    }
}

#if TARNVIK_X86_DISPATCH
namespace {

// AVX-512 counts leading zeros of whole vectors at once, a third of the
// work of the halving steps.
TARNVIK_AVX512 void ibm_block_to_ieee_avx512(const std::uint8_t* in, std::uint8_t* out,
                                             std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t word = be32(in + 4 * k);
        const auto zeros = static_cast<std::uint32_t>(std::countl_zero(word & 0x00FFFFFFu)) - 8u;
        store_bits(out + 4 * k, ibm_to_ieee_bits(word, zeros));
    }
}

bool has_avx512() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512cd") &&
               __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
               __builtin_cpu_supports("avx512dq");
    }();
    return has;
}

}  // namespace
#endif

void ibm_block_to_ieee(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
#if TARNVIK_X86_DISPATCH
    if (has_avx512()) {
        ibm_block_to_ieee_avx512(in, out, count);
        return;
    }
#endif
    ibm_block_to_ieee_portable(in, out, count);
}

}  // namespace tarnvik
