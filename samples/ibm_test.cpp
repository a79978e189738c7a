#include "samples/ibm.hpp"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "support/ibm_reference.hpp"

namespace tarnvik {
namespace {

struct ibm_case {
    std::uint32_t ibm;
    std::uint32_t ieee;
    const char* what;
};

constexpr ibm_case worked_cases[] = {
    {0x00000000, 0x00000000, "+0"},
    {0x80000000, 0x00000000, "-0 gives +0.0"},
    {0x41100000, 0x3F800000, "1, three normalising shifts"},
    {0xC1100000, 0xBF800000, "-1"},
    {0x42640000, 0x42C80000, "100, one shift"},
    {0x3F800000, 0x3D000000, "0.03125, no shift"},
    {0x40100000, 0x3D800000, "0.0625"},
    {0x411A0000, 0x3FD00000, "1.625"},
    {0xC276A000, 0xC2ED4000, "-118.625"},
    {0x4110000F, 0x3F800078, "every fraction bit kept"},
    {0x41000001, 0x35800000, "2^-20, unnormalised fraction 1"},
    {0x41000000, 0x00000000, "zero fraction"},
    {0xC1000000, 0x00000000, "zero fraction, sign set"},
    {0x00123456, 0x00000000, "exponent field 0"},
    {0x60FFFFFF, 0x7F7FFFFF, "largest value below 2^128"},
    {0x21400000, 0x00800000, "2^-126, smallest normal"},
};

constexpr ibm_case out_of_range_cases[] = {
    {0x61100000, 0x7F800000, "2^128 gives +infinity"},
    {0xE1100000, 0xFF800000, "-2^128 gives -infinity"},
    {0x7FFFFFFF, 0x7F800000, "largest IBM value"},
    {0xFFFFFFFF, 0xFF800000, "most negative IBM value"},
    {0x21100000, 0x00200000, "2^-128 as a subnormal"},
    {0xA1100000, 0x80200000, "-2^-128 keeps its sign"},
    {0x20FFFFFF, 0x001FFFFF, "subnormal truncated toward zero"},
    {0x1B800000, 0x00000001, "2^-149, the smallest subnormal"},
    {0x1B7FFFFF, 0x00000000, "just below 2^-149 truncates to +0"},
    {0x81100000, 0x80000000, "far too small and negative gives -0.0"},
    {0x01000001, 0x00000000, "smallest IBM magnitude"},
};

TEST(IbmToIeee, WorkedTable) {
    for (const ibm_case& c : worked_cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ibm_to_ieee_bits(c.ibm), c.ieee);
    }
}

TEST(IbmToIeee, OutOfRangeGivesSignedInfinityOrTruncatedSubnormal) {
    for (const ibm_case& c : out_of_range_cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ibm_to_ieee_bits(c.ibm), c.ieee);
    }
}

TEST(IbmToIeee, InPlaceSlotHoldsTheSingleLeastSignificantByteFirst) {
    std::array<std::uint8_t, 4> slot{0xC2, 0x76, 0xA0, 0x00};
    ibm_to_ieee(slot);
    EXPECT_EQ(slot, (std::array<std::uint8_t, 4>{0x00, 0x40, 0xED, 0xC2}));
}

// Every sign and exponent with fractions of every bit length (unnormalised
// ones included) and random ones, against the value computed exactly.
TEST(IbmToIeee, AgreesWithExactReferenceOverEveryExponent) {
    std::vector<std::uint32_t> fractions;
    for (int bit = 0; bit < 24; ++bit) {
        fractions.push_back(1u << bit);
        fractions.push_back((2u << bit) - 1);                        // all ones up to the bit
        fractions.push_back((1u << bit) | 1u);                       // first and last bit
        fractions.push_back(0xFFFFFFu >> (23 - bit) << (23 - bit));  // top bits
    }
    std::mt19937 random(20261211);
    for (int i = 0; i < 200; ++i) {
        fractions.push_back(static_cast<std::uint32_t>(random() & 0xFFFFFF));
        fractions.push_back(static_cast<std::uint32_t>((random() & 0xFFFFFF) >> (random() % 24)));
    }
    int checked = 0;
    for (std::uint32_t sign = 0; sign < 2; ++sign) {
        for (std::uint32_t exponent = 0; exponent < 128; ++exponent) {
            for (const std::uint32_t fraction : fractions) {
                const std::uint32_t ibm = (sign << 31) | (exponent << 24) | (fraction & 0xFFFFFF);
                ASSERT_EQ(ibm_to_ieee_bits(ibm), testing::ibm_reference_bits<long double>(ibm))
                    << std::hex << "IBM word 0x" << ibm;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100000);
}

// Both block conversions, the one for the widest vector unit and the
// portable one, agree with the single-value conversion.
TEST(IbmToIeee, BlockConversionsMatchSingleValues) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> in(4 * 4099);
    for (auto& b : in) {
        b = static_cast<std::uint8_t>(random());
    }
    for (const auto convert : {ibm_block_to_ieee, ibm_block_to_ieee_portable}) {
        std::vector<std::uint8_t> out(in.size());
        convert(in.data(), out.data(), in.size() / 4);
        for (std::size_t k = 0; k < in.size() / 4; ++k) {
            const std::uint32_t word = (std::uint32_t{in[4 * k]} << 24) |
                                       (std::uint32_t{in[4 * k + 1]} << 16) |
                                       (std::uint32_t{in[4 * k + 2]} << 8) | in[4 * k + 3];
            // Stored least significant byte first.
            const std::uint32_t stored =
                std::uint32_t{out[4 * k]} | (std::uint32_t{out[4 * k + 1]} << 8) |
                (std::uint32_t{out[4 * k + 2]} << 16) | (std::uint32_t{out[4 * k + 3]} << 24);
            ASSERT_EQ(stored, ibm_to_ieee_bits(word)) << k;
        }
    }
}

}  // namespace
}  // namespace tarnvik
