// IBM System/360 hexadecimal floating point to IEEE 754 single precision.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnvik {

// The number of leading zero bits of a 24-bit IBM fraction (24 for zero),
// by halving steps: integer operations with no branches, so that it
// vectorises on any vector unit.
constexpr std::uint32_t fraction_leading_zeros(std::uint32_t fraction) {
    std::uint32_t m = fraction << 8;
    std::uint32_t zeros = 0;
    std::uint32_t step = (m >> 16) == 0 ? 16u : 0u;
    zeros += step;
    m <<= step;
    step = (m >> 24) == 0 ? 8u : 0u;
    zeros += step;
    m <<= step;
    step = (m >> 28) == 0 ? 4u : 0u;
    zeros += step;
    m <<= step;
    step = (m >> 30) == 0 ? 2u : 0u;
    zeros += step;
    m <<= step;
    step = (m >> 31) == 0 ? 1u : 0u;
    return zeros + step;
}

// The IEEE single bit pattern for one IBM word, given the number of leading
// zero bits of its fraction. Integer operations only and no branches.
constexpr std::uint32_t ibm_to_ieee_bits(std::uint32_t ibm, std::uint32_t zeros) {
    const std::uint32_t sign = ibm & 0x80000000u;
    const std::uint32_t exponent = (ibm >> 24) & 0x7Fu;  // power of 16, excess 64
    const std::uint32_t fraction = ibm & 0x00FFFFFFu;    // radix point left of bit 23

    // The fraction shifted to put its leading one at bit 23.
    const std::uint32_t significand = (fraction << (zeros & 31u)) & 0x00FFFFFFu;
    // 16^(e-64) is 2^(4e-256); the leading one sits zeros+1 bits right of the
    // radix point; 127 is the IEEE bias.
    const std::int32_t biased =
        4 * static_cast<std::int32_t>(exponent) - 130 - static_cast<std::int32_t>(zeros);

    const std::uint32_t normal =
        sign | (static_cast<std::uint32_t>(biased) << 23) | (significand & 0x007FFFFFu);
    const std::uint32_t infinite = sign | 0x7F800000u;
    // Below the normal range the significand moves right by 1 - biased bits,
    // dropping what falls off; beyond 23 bits nothing is left.
    const std::int32_t wanted_shift = 1 - biased;
    const std::uint32_t shift = static_cast<std::uint32_t>(wanted_shift < 31 ? wanted_shift : 31);
    const std::uint32_t subnormal = sign | (significand >> (shift & 31u));

    const std::uint32_t finite = biased >= 1 ? normal : subnormal;
    const std::uint32_t nonzero = biased >= 255 ? infinite : finite;
    return (exponent == 0 || fraction == 0) ? 0u : nonzero;
}

// The IEEE single bit pattern for one IBM word W (first file byte most
// significant). Exact whenever the value lies in the normal single range
// [2^-126, 2^128). Outside it: a magnitude of 2^128 or more gives infinity
// with the value's sign; a smaller non-zero magnitude gives the subnormal
// truncated toward zero, keeping the sign (so -0.0 when nothing is left).
// Both IBM zeros (exponent field 0 or fraction 0) give +0.0. Never a NaN.
constexpr std::uint32_t ibm_to_ieee_bits(std::uint32_t ibm) {
    return ibm_to_ieee_bits(ibm, fraction_leading_zeros(ibm & 0x00FFFFFFu));
}

// Converts one 4-byte IBM value in place: the slot holds the value in file
// order before, and the IEEE single least significant byte first after.
void ibm_to_ieee(std::span<std::uint8_t, 4> slot);

// Converts count IBM values, 4 bytes each in file order, into IEEE singles,
// 4 bytes each least significant first, with the widest vector unit the
// machine has.
void ibm_block_to_ieee(const std::uint8_t* in, std::uint8_t* out, std::size_t count);

// The same for any processor; the widest units may be passed over.
void ibm_block_to_ieee_portable(const std::uint8_t* in, std::uint8_t* out, std::size_t count);

}  // namespace tarnvik
