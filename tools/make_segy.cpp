// make-segy: writes a synthetic SEG-Y shot gather survey of any size, for
// examples and benchmarks. Reflections with hyperbolic moveout, a Ricker
// wavelet and a little noise, so that samples look like seismic data.
//
//   make-segy OUTPUT [--format 1|2|3] [--samples N] [--records R]
//                    [--channels C] [--interval MICROSECONDS] [--mib SIZE]
//
// --mib sets the number of records from a wanted file size instead.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct options {
    const char* output = nullptr;
    int format = 1;
    int samples = 1000;
    long records = 4;
    int channels = 24;
    int interval = 2000;
    double mib = 0;
};

[[noreturn]] void usage() {
    std::fprintf(stderr,
                 "usage: make-segy OUTPUT [--format 1|2|3] [--samples N] [--records R]\n"
                 "                        [--channels C] [--interval MICROSECONDS] [--mib SIZE]\n");
    std::exit(2);
}

options parse(int argc, char** argv) {
    options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&] {
            if (i + 1 >= argc) {
                usage();
            }
            return std::strtod(argv[++i], nullptr);
        };
        if (arg == "--format") {
            o.format = static_cast<int>(value());
        } else if (arg == "--samples") {
            o.samples = static_cast<int>(value());
        } else if (arg == "--records") {
            o.records = static_cast<long>(value());
        } else if (arg == "--channels") {
            o.channels = static_cast<int>(value());
        } else if (arg == "--interval") {
            o.interval = static_cast<int>(value());
        } else if (arg == "--mib") {
            o.mib = value();
        } else if (arg[0] != '-' && o.output == nullptr) {
            o.output = argv[i];
        } else {
            usage();
        }
    }
    if (o.output == nullptr || o.format < 1 || o.format > 3 || o.samples < 1 || o.samples > 32767 ||
        o.channels < 1 || o.channels > 32767 || o.records < 0) {
        usage();
    }
    return o;
}

void put_be(std::uint8_t* at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * (size - 1 - i)));
    }
}

// A value as an IBM hexadecimal float, fraction truncated.
std::uint32_t ibm_of(double v) {
    if (v == 0) {
        return 0;
    }
    const std::uint32_t sign = v < 0 ? 0x80000000u : 0u;
    v = std::fabs(v);
    int binary_exponent = 0;
    std::frexp(v, &binary_exponent);
    int exponent = static_cast<int>(std::ceil(binary_exponent / 4.0));
    auto fraction = static_cast<std::uint32_t>(std::ldexp(v, 24 - 4 * exponent));
    if (fraction >= (1u << 24)) {
        fraction >>= 4;
        ++exponent;
    }
    return sign | static_cast<std::uint32_t>(exponent + 64) << 24 | fraction;
}

}  // namespace

int main(int argc, char** argv) {
    options o = parse(argc, argv);
    const int sample_size = o.format == 3 ? 2 : 4;
    const std::size_t trace_bytes = 240 + static_cast<std::size_t>(sample_size * o.samples);
    if (o.mib > 0) {
        const double traces = (o.mib * 1048576.0 - 3600) / static_cast<double>(trace_bytes);
        o.records = std::max(1L, static_cast<long>(traces / o.channels));
    }
    std::FILE* out = std::fopen(o.output, "wb");
    if (out == nullptr) {
        std::perror(o.output);
        return 1;
    }
    static char buffer[1 << 20];
    std::setvbuf(out, buffer, _IOFBF, sizeof buffer);

    std::vector<std::uint8_t> reel(3600, 0x40);  // EBCDIC blanks in the text header
    std::memset(reel.data() + 3200, 0, 400);
    put_be(&reel[3212], static_cast<std::uint32_t>(o.channels), 2);
    put_be(&reel[3216], static_cast<std::uint32_t>(o.interval), 2);
    put_be(&reel[3220], static_cast<std::uint32_t>(o.samples), 2);
    put_be(&reel[3224], static_cast<std::uint32_t>(o.format), 2);
    std::fwrite(reel.data(), 1, reel.size(), out);

    // A 25 Hz Ricker wavelet, sampled at the interval.
    const double dt = o.interval * 1e-6;
    std::array<double, 81> wavelet{};
    for (std::size_t k = 0; k < wavelet.size(); ++k) {
        const double t = (static_cast<double>(k) - 40.0) * dt;
        const double a = M_PI * M_PI * 25.0 * 25.0 * t * t;
        wavelet[k] = (1 - 2 * a) * std::exp(-a);
    }
    const double reflections[][2] = {{0.25, 1.0}, {0.6, -0.7}, {1.0, 0.5}, {1.5, 0.35}};
    std::vector<double> trace(static_cast<std::size_t>(o.samples));
    std::vector<std::uint8_t> bytes(trace_bytes);
    std::uint32_t noise = 12345;
    std::uint32_t sequence = 0;
    for (long r = 0; r < o.records; ++r) {
        for (int c = 0; c < o.channels; ++c) {
            const double offset = 50.0 + 25.0 * c;
            std::fill(trace.begin(), trace.end(), 0.0);
            for (const auto& [t0, amplitude] : reflections) {
                const double t = std::sqrt(t0 * t0 + (offset / 2000.0) * (offset / 2000.0));
                const long centre = std::lround(t / dt);
                for (std::size_t k = 0; k < wavelet.size(); ++k) {
                    const long at = centre + static_cast<long>(k) - 40;
                    if (at >= 0 && at < o.samples) {
                        trace[static_cast<std::size_t>(at)] += amplitude * wavelet[k] / (1 + t);
                    }
                }
            }
            std::fill(bytes.begin(), bytes.begin() + 240, std::uint8_t{0});
            put_be(&bytes[0], ++sequence, 4);
            put_be(&bytes[8], static_cast<std::uint32_t>(1000 + r), 4);
            put_be(&bytes[12], static_cast<std::uint32_t>(c + 1), 4);
            put_be(&bytes[20], static_cast<std::uint32_t>(r * 2 + c / 2 + 1), 4);
            put_be(&bytes[24], static_cast<std::uint32_t>(c % 2 + 1), 4);
            put_be(&bytes[28], 1, 2);
            put_be(&bytes[36], static_cast<std::uint32_t>(offset), 4);
            put_be(&bytes[114], static_cast<std::uint32_t>(o.samples), 2);
            put_be(&bytes[116], static_cast<std::uint32_t>(o.interval), 2);
            for (int k = 0; k < o.samples; ++k) {
                noise = noise * 1664525u + 1013904223u;
                const double v = trace[static_cast<std::size_t>(k)] +
                                 0.01 * (static_cast<double>(noise >> 8) / 16777216.0 - 0.5);
                std::uint8_t* at = &bytes[240 + static_cast<std::size_t>(k * sample_size)];
                if (o.format == 1) {
                    put_be(at, ibm_of(v * 1000.0), 4);
                } else if (o.format == 2) {
                    put_be(at, static_cast<std::uint32_t>(std::lround(v * 1e6)), 4);
                } else {
                    put_be(at, static_cast<std::uint32_t>(std::lround(v * 20000.0)), 2);
                }
            }
            std::fwrite(bytes.data(), 1, bytes.size(), out);
        }
    }
    if (std::fclose(out) != 0) {
        std::perror(o.output);
        return 1;
    }
    return 0;
}
