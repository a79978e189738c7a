// The IBM conversion alone, on one in-memory buffer: tarnvik's block
// conversions against libsegyio's segy_to_native.
#include <benchmark/benchmark.h>
#include <segyio/segy.h>

#include <cstring>
#include <random>
#include <vector>

#include "samples/ibm.hpp"

namespace {

constexpr std::size_t samples = 64 * 1024;

// Normalised IBM values of seismic-like magnitudes, in file byte order.
const std::vector<std::uint8_t>& ibm_input() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> b(4 * samples);
        std::mt19937 random(1);  // 32-bit results
        for (std::size_t k = 0; k < samples; ++k) {
            const auto exponent = static_cast<std::uint32_t>(62 + random() % 6);
            const auto fraction = static_cast<std::uint32_t>(0x100000 | (random() & 0xFFFFF));
            const auto sign = static_cast<std::uint32_t>(random() & 0x80000000u);
            const std::uint32_t word = sign | exponent << 24 | fraction;
            for (int i = 0; i < 4; ++i) {
                b[4 * k + static_cast<std::size_t>(i)] =
                    static_cast<std::uint8_t>(word >> (24 - 8 * i));
            }
        }
        return b;
    }();
    return bytes;
}

void tarnvik_ibm(benchmark::State& state) {
    std::vector<std::uint8_t> out(4 * samples);
    for (auto _ : state) {
        tarnvik::ibm_block_to_ieee(ibm_input().data(), out.data(), samples);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(samples));
}

void tarnvik_ibm_portable(benchmark::State& state) {
    std::vector<std::uint8_t> out(4 * samples);
    for (auto _ : state) {
        tarnvik::ibm_block_to_ieee_portable(ibm_input().data(), out.data(), samples);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(samples));
}

// segy_to_native converts in place, so each round starts from a copy; the
// copy is timed for tarnvik's conversions too (they read one buffer and
// write another).
void segyio_to_native(benchmark::State& state) {
    std::vector<std::uint8_t> work(4 * samples);
    for (auto _ : state) {
        std::memcpy(work.data(), ibm_input().data(), work.size());
        segy_to_native(SEGY_IBM_FLOAT_4_BYTE, samples, work.data());
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(samples));
}

void copy_only(benchmark::State& state) {
    std::vector<std::uint8_t> work(4 * samples);
    for (auto _ : state) {
        std::memcpy(work.data(), ibm_input().data(), work.size());
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(samples));
}

BENCHMARK(tarnvik_ibm);
BENCHMARK(tarnvik_ibm_portable);
BENCHMARK(segyio_to_native);
BENCHMARK(copy_only);

}  // namespace

BENCHMARK_MAIN();
