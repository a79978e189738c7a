// Every one of the 2^32 IBM patterns through the block conversion, against
// the exactly computed reference. Long: run under its own label.
#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cstring>
#include <thread>
#include <vector>

#include "samples/ibm.hpp"
#include "support/ibm_reference.hpp"

namespace tarnvik {
namespace {

void sweep(void (*convert)(const std::uint8_t*, std::uint8_t*, std::size_t)) {
    constexpr std::uint64_t total = std::uint64_t{1} << 32;
    constexpr std::uint64_t chunk = 1 << 16;
    std::atomic<std::uint64_t> next{0};
    std::atomic<std::uint64_t> mismatches{0};
    std::atomic<std::uint32_t> first_mismatch{0};
    auto work = [&] {
        std::vector<std::uint8_t> in(4 * chunk);
        std::vector<std::uint8_t> out(4 * chunk);
        for (;;) {
            const std::uint64_t start = next.fetch_add(chunk);
            if (start >= total) {
                return;
            }
            for (std::uint64_t k = 0; k < chunk; ++k) {
                const auto word = static_cast<std::uint32_t>(start + k);
                in[4 * k] = static_cast<std::uint8_t>(word >> 24);
                in[4 * k + 1] = static_cast<std::uint8_t>(word >> 16);
                in[4 * k + 2] = static_cast<std::uint8_t>(word >> 8);
                in[4 * k + 3] = static_cast<std::uint8_t>(word);
            }
            convert(in.data(), out.data(), chunk);
            for (std::uint64_t k = 0; k < chunk; ++k) {
                const auto word = static_cast<std::uint32_t>(start + k);
                std::uint32_t stored = 0;
                std::memcpy(&stored, &out[4 * k], 4);  // the host's order: least significant first
                if (stored != testing::ibm_reference_bits<double>(word)) {
                    if (mismatches.fetch_add(1) == 0) {
                        first_mismatch = word;
                    }
                }
            }
        }
    };
    std::vector<std::thread> workers;
    const unsigned count = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < count; ++i) {
        workers.emplace_back(work);
    }
    for (auto& w : workers) {
        w.join();
    }
    EXPECT_EQ(mismatches.load(), 0u) << std::hex << "first at IBM word 0x" << first_mismatch.load();
}

TEST(IbmSweep, EveryPatternMatchesTheReference) {
    sweep(ibm_block_to_ieee);
}

TEST(IbmSweep, EveryPatternMatchesTheReferenceOnAnyProcessor) {
    sweep(ibm_block_to_ieee_portable);
}

}  // namespace
}  // namespace tarnvik
