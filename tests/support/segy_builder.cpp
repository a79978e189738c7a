#include "support/segy_builder.hpp"

#include <cstring>

namespace tarnvik::testing {

namespace {

void append_be(bytes& out, std::uint32_t value, int size) {
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

}  // namespace

bytes reel_header(const reel_fields& fields) {
    bytes reel(3600, 0);
    // An EBCDIC-looking text header: the content is never decoded.
    for (std::size_t i = 0; i < 3200; ++i) {
        reel[i] = 0x40;
    }
    auto put = [&](std::size_t offset, int value) {
        reel[offset] = static_cast<std::uint8_t>(value >> 8);
        reel[offset + 1] = static_cast<std::uint8_t>(value);
    };
    put(3212, fields.traces_per_record);
    put(3216, fields.sample_interval);
    put(3220, fields.samples_per_trace);
    reel[3224] = fields.format_high;
    reel[3225] = fields.format_low;
    return reel;
}

void put_be16(std::array<std::uint8_t, 240>& header, std::size_t offset, std::uint16_t value) {
    header[offset] = static_cast<std::uint8_t>(value >> 8);
    header[offset + 1] = static_cast<std::uint8_t>(value);
}

void put_be32(std::array<std::uint8_t, 240>& header, std::size_t offset, std::uint32_t value) {
    put_be16(header, offset, static_cast<std::uint16_t>(value >> 16));
    put_be16(header, offset + 2, static_cast<std::uint16_t>(value));
}

segy_trace make_trace(int trace_number, int sample_count, int interval, bytes samples) {
    segy_trace trace;
    put_be32(trace.header, 12, static_cast<std::uint32_t>(trace_number));
    put_be16(trace.header, 28, 1);
    put_be16(trace.header, 114, static_cast<std::uint16_t>(sample_count));
    put_be16(trace.header, 116, static_cast<std::uint16_t>(interval));
    trace.samples = std::move(samples);
    return trace;
}

bytes ibm_samples(const std::vector<std::uint32_t>& words) {
    bytes out;
    for (const std::uint32_t w : words) {
        append_be(out, w, 4);
    }
    return out;
}

bytes int32_samples(const std::vector<std::int32_t>& values) {
    bytes out;
    for (const std::int32_t v : values) {
        append_be(out, static_cast<std::uint32_t>(v), 4);
    }
    return out;
}

bytes int16_samples(const std::vector<std::int16_t>& values) {
    bytes out;
    for (const std::int16_t v : values) {
        append_be(out, static_cast<std::uint16_t>(v), 2);
    }
    return out;
}

bytes segy_file(const reel_fields& fields, const std::vector<segy_trace>& traces) {
    bytes out = reel_header(fields);
    for (const segy_trace& trace : traces) {
        out.insert(out.end(), trace.header.begin(), trace.header.end());
        out.insert(out.end(), trace.samples.begin(), trace.samples.end());
    }
    return out;
}

bytes varn_trace(const varn_words& words, const std::vector<float>& samples) {
    bytes out;
    for (const std::uint16_t w : words) {
        out.push_back(static_cast<std::uint8_t>(w));
        out.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    for (const float s : samples) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &s, 4);
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
        }
    }
    return out;
}

bytes concat(const std::vector<bytes>& parts) {
    bytes out;
    for (const bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

}  // namespace tarnvik::testing
