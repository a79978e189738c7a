// Walking a VARN trace file from its first trace to its last: every trace
// is a 240-byte header whose word 57 gives the number of 4-byte samples
// that follow it. The walk checks what a well-formed file must be and
// notes every fault it meets, with the trace it is at.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "samples/sample_conversion.hpp"
#include "varn/output_header.hpp"

namespace tarnvik {

// Faults are counted without end; the first ones are kept to be shown.
inline constexpr std::size_t problems_kept = 20;
inline constexpr std::size_t problem_text_size = 160;

struct problem_log {
    std::int64_t count = 0;
    std::array<std::array<char, problem_text_size>, problems_kept> texts{};
};

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void note_problem(problem_log& problems, const char* format, ...);

// One trace as the walk meets it.
struct varn_trace {
    std::int64_t number = 0;  // 1 for the first trace of the file
    std::int64_t offset = 0;  // byte offset of its header
    output_trace_header header{};
    std::int32_t sample_count = 0;      // word 57, read as a signed number
    std::span<const float> samples;     // read only when the walk is asked to
    std::int64_t non_finite_count = 0;  // of the samples read
};

inline constexpr std::size_t reader_block_size = 1 << 20;

// Traces whose samples are read come through a large block read ahead;
// headers alone are read one by one, so that a walk over headers does not
// read the samples it passes over.
struct varn_reader {
    int fd = -1;
    std::int64_t size = 0;         // of the whole file
    std::int64_t position = 0;     // of the next trace
    std::int64_t traces_seen = 0;  // traces handed out so far
    bool read_samples = true;
    std::array<std::uint8_t, reader_block_size> block{};
    std::int64_t block_offset = 0;  // file offset of block[0]
    std::size_t block_size = 0;     // bytes in the block
    std::array<std::uint8_t, output_header_size> header_bytes{};
    std::array<float, sample_buffer_capacity> samples{};
};
static_assert(output_header_size + sample_buffer_capacity * output_sample_size <=
              reader_block_size);

enum class walk_step {
    trace,    // the next trace is in hand
    end,      // the file ends after the last whole trace
    stopped,  // a fault that leaves the rest of the file unreadable, noted
    failed,   // the system could not read the file; errno tells why
};

// Opens the file for the walk. Returns 0 or the system's error number;
// anything but a regular file is refused with ENODEV.
int open_varn(varn_reader& reader, const char* name);
void close_varn(varn_reader& reader);

// Reads the next trace: its header and, when the reader is asked to, its
// samples, decoded. Faults in the trace (a header marker other than 0x55AA,
// non-finite samples) are noted and the trace is handed out all the same.
walk_step next_trace(varn_reader& reader, varn_trace& trace, problem_log& problems);

// Samples as the file holds them, IEEE singles least significant byte
// first, to their values.
void decode_trace_samples(std::span<const std::uint8_t> bytes, std::span<float> samples);

}  // namespace tarnvik
