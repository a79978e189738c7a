// The peer converter for the benchmark: the same conversion written the
// straightforward way on libsegyio's C API. Reads each trace and its header,
// converts the samples to native singles, writes a 240-byte header and the
// samples, and prints a progress line per trace like tarnvik does.
//
//   segyio-peer INPUT OUTPUT
#include <segyio/segy.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: segyio-peer INPUT OUTPUT\n");
        return 2;
    }
    segy_file* in = segy_open(argv[1], "rb");
    if (in == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    char binary[SEGY_BINARY_HEADER_SIZE];
    if (segy_binheader(in, binary) != SEGY_OK) {
        return 1;
    }
    const int format = segy_format(binary);
    const int samples = segy_samples(binary);
    const long trace0 = segy_trace0(binary);
    const int trace_size = segy_trsize(format, samples);
    int traces = 0;
    if (segy_traces(in, &traces, trace0, trace_size) != SEGY_OK) {
        return 1;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    static char buffer[1 << 20];
    std::setvbuf(out, buffer, _IOFBF, sizeof buffer);
    std::vector<char> raw(static_cast<std::size_t>(trace_size));
    std::vector<float> values(static_cast<std::size_t>(samples));
    char header[SEGY_TRACE_HEADER_SIZE];
    for (int i = 0; i < traces; ++i) {
        if (segy_traceheader(in, i, header, trace0, trace_size) != SEGY_OK ||
            segy_readtrace(in, i, raw.data(), trace0, trace_size) != SEGY_OK) {
            return 1;
        }
        segy_to_native(format, samples, raw.data());
        if (format == SEGY_IBM_FLOAT_4_BYTE) {
            std::memcpy(values.data(), raw.data(), values.size() * 4);
        } else if (format == SEGY_SIGNED_INTEGER_4_BYTE) {
            for (int k = 0; k < samples; ++k) {
                std::int32_t v;
                std::memcpy(&v, raw.data() + 4 * k, 4);
                values[static_cast<std::size_t>(k)] = static_cast<float>(v);
            }
        } else {
            for (int k = 0; k < samples; ++k) {
                std::int16_t v;
                std::memcpy(&v, raw.data() + 2 * k, 2);
                values[static_cast<std::size_t>(k)] = static_cast<float>(v);
            }
        }
        std::fwrite(header, 1, sizeof header, out);
        std::fwrite(values.data(), 4, values.size(), out);
        std::printf("%d Writing SSN %d Trace %d Normalizing value = %f\n", samples, 1, i + 1, 1.0);
    }
    segy_close(in);
    return std::fclose(out) == 0 ? 0 : 1;
}
