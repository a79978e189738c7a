#include "inspect/varn_reader.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace tarnvik {

void note_problem(problem_log& problems, const char* format, ...) {
    if (problems.count < static_cast<std::int64_t>(problems_kept)) {
        std::va_list arguments;
        va_start(arguments, format);
        auto& text = problems.texts[static_cast<std::size_t>(problems.count)];
        std::vsnprintf(text.data(), text.size(), format, arguments);
        va_end(arguments);
    }
    ++problems.count;
}

int open_varn(varn_reader& reader, const char* name) {
    reader.fd = open(name, O_RDONLY | O_CLOEXEC);
    if (reader.fd < 0) {
        return errno;
    }
    struct stat st {};
    const int error = fstat(reader.fd, &st) != 0 ? errno : !S_ISREG(st.st_mode) ? ENODEV : 0;
    if (error != 0) {
        close_varn(reader);
        return error;
    }
    reader.size = static_cast<std::int64_t>(st.st_size);
    posix_fadvise(reader.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return 0;
}

void close_varn(varn_reader& reader) {
    if (reader.fd >= 0) {
        close(reader.fd);
        reader.fd = -1;
    }
}

void decode_trace_samples(std::span<const std::uint8_t> bytes, std::span<float> samples) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::uint8_t* b = bytes.data() + output_sample_size * i;
        const std::uint32_t bits = std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) |
                                   (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24);
        samples[i] = std::bit_cast<float>(bits);
    }
}

namespace {

// Reads `size` bytes at `offset` into `into`; false when the system fails
// to (errno set). The walk has checked that the file holds them.
bool read_at(const varn_reader& reader, std::int64_t offset, std::uint8_t* into, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(reader.fd, into + done, size - done,
                                  static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            if (got == 0) {
                errno = EIO;  // the file shrank while it was read
            }
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// The `size` bytes at `offset`, through the block: read ahead by a whole
// block when they are not in it already. Empty when the system fails.
std::span<const std::uint8_t> bytes_at(varn_reader& reader, std::int64_t offset, std::size_t size) {
    const std::int64_t block_end =
        reader.block_offset + static_cast<std::int64_t>(reader.block_size);
    if (offset < reader.block_offset || offset + static_cast<std::int64_t>(size) > block_end) {
        const auto wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(reader.size - offset, reader_block_size));
        reader.block_offset = offset;
        reader.block_size = 0;
        if (!read_at(reader, offset, reader.block.data(), wanted)) {
            return {};
        }
        reader.block_size = wanted;
    }
    return {reader.block.data() + (offset - reader.block_offset), size};
}

}  // namespace

walk_step next_trace(varn_reader& reader, varn_trace& trace, problem_log& problems) {
    const std::int64_t remaining = reader.size - reader.position;
    const std::int64_t number = reader.traces_seen + 1;
    if (remaining == 0) {
        return walk_step::end;
    }
    if (remaining < static_cast<std::int64_t>(output_header_size)) {
        note_problem(problems, "%lld bytes at byte %lld, after the last whole trace, are no trace",
                     static_cast<long long>(remaining), static_cast<long long>(reader.position));
        return walk_step::stopped;
    }
    if (reader.read_samples) {
        const auto bytes = bytes_at(reader, reader.position, output_header_size);
        if (bytes.empty()) {
            return walk_step::failed;
        }
        std::copy(bytes.begin(), bytes.end(), reader.header_bytes.begin());
    } else if (!read_at(reader, reader.position, reader.header_bytes.data(), output_header_size)) {
        return walk_step::failed;
    }
    trace.number = number;
    trace.offset = reader.position;
    decode_output_header(reader.header_bytes, trace.header);
    trace.sample_count = as_signed(trace.header.sample_count);
    trace.samples = {};
    trace.non_finite_count = 0;
    if (trace.header.header_marker != header_marker_value) {
        note_problem(problems, "trace %lld at byte %lld: header marker 0x%04X, not 0x55AA",
                     static_cast<long long>(number), static_cast<long long>(trace.offset),
                     trace.header.header_marker);
    }
    if (trace.sample_count < 0) {
        note_problem(problems,
                     "trace %lld at byte %lld: sample count %d is negative; the traces after it "
                     "cannot be found",
                     static_cast<long long>(number), static_cast<long long>(trace.offset),
                     trace.sample_count);
        return walk_step::stopped;
    }
    const auto count = static_cast<std::size_t>(trace.sample_count);
    const auto data_size = static_cast<std::int64_t>(count * output_sample_size);
    const std::int64_t after_header = remaining - static_cast<std::int64_t>(output_header_size);
    if (data_size > after_header) {
        note_problem(problems,
                     "trace %lld at byte %lld: its %d samples run past the end of the file "
                     "(%lld bytes are left)",
                     static_cast<long long>(number), static_cast<long long>(trace.offset),
                     trace.sample_count, static_cast<long long>(after_header));
        return walk_step::stopped;
    }
    if (reader.read_samples) {
        const auto bytes = bytes_at(reader, trace.offset + std::int64_t{output_header_size},
                                    static_cast<std::size_t>(data_size));
        if (bytes.empty() && data_size > 0) {
            return walk_step::failed;
        }
        const std::span<float> samples(reader.samples.data(), count);
        decode_trace_samples(bytes, samples);
        std::size_t first_bad = count;
        for (std::size_t i = count; i-- > 0;) {
            if (!std::isfinite(samples[i])) {
                ++trace.non_finite_count;
                first_bad = i;
            }
        }
        if (trace.non_finite_count > 0) {
            note_problem(problems,
                         "trace %lld at byte %lld: %lld samples are not finite, the first is "
                         "sample %zu",
                         static_cast<long long>(number), static_cast<long long>(trace.offset),
                         static_cast<long long>(trace.non_finite_count), first_bad + 1);
        }
        trace.samples = samples;
    }
    reader.position += static_cast<std::int64_t>(output_header_size) + data_size;
    reader.traces_seen = number;
    return walk_step::trace;
}

}  // namespace tarnvik
