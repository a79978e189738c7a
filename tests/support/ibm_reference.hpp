// The IBM value computed another way: the exact value from sign, fraction
// and exponent in floating point, then the converter's rounding rules
// (exact in range, infinity above, truncated subnormal below).
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace tarnvik::testing {

template <typename Real>
std::uint32_t ibm_reference_bits(std::uint32_t ibm) {
    const std::uint32_t sign = ibm >> 31;
    const int exponent = static_cast<int>((ibm >> 24) & 0x7F);
    const std::uint32_t fraction = ibm & 0xFFFFFF;
    if (exponent == 0 || fraction == 0) {
        return 0;
    }
    // F / 2^24 * 16^(e - 64): exact, as the fraction has 24 bits and the
    // exponent stays well inside the type's range.
    const Real value = std::ldexp(static_cast<Real>(fraction), 4 * (exponent - 64) - 24);
    std::uint32_t magnitude = 0;
    if (value >= std::ldexp(Real{1}, 128)) {
        magnitude = 0x7F800000;
    } else if (value < std::ldexp(Real{1}, -126)) {
        // Subnormal units of 2^-149, truncated toward zero.
        magnitude = static_cast<std::uint32_t>(std::floor(std::ldexp(value, 149)));
    } else {
        magnitude = std::bit_cast<std::uint32_t>(static_cast<float>(value));
    }
    return (sign << 31) | magnitude;
}

}  // namespace tarnvik::testing
