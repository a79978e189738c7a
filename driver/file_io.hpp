// The input and output files, read and written in large blocks.
//
// Positions are kept here, in 64 bits, rather than asked of the system:
// setting a file's position to where it already stands costs nothing, and
// neither file is touched by anyone else during a run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnvik {

inline constexpr std::size_t file_block_size = 1 << 21;

struct input_file {
    int fd = -1;
    std::array<std::uint8_t, file_block_size> block{};
    std::size_t begin = 0;      // next byte to hand out
    std::size_t end = 0;        // bytes in the block
    std::int64_t position = 0;  // file offset of block[begin]
};

struct read_outcome {
    std::span<const std::uint8_t> bytes;  // the bytes read, in the block
    int error = 0;  // the system's error number when a read failed; 0 at end of file
};

// Reads the next `size` bytes (at most a block) and hands them out where
// they lie in the block, valid until the next read. Fewer arrive at the end
// of the file or when a read fails.
read_outcome read_bytes(input_file& file, std::size_t size);

struct output_file {
    int fd = -1;
    std::array<std::uint8_t, file_block_size> block{};
    std::size_t size = 0;      // bytes waiting in the block
    std::int64_t written = 0;  // file offset of block[0]
    // After a failed write-out: the file offset of the first byte that did
    // not reach the file, and the system's error number.
    std::int64_t failed_at = 0;
    int error = 0;
};

// The file offset the next byte appended will have.
inline std::int64_t output_position(const output_file& file) {
    return file.written + static_cast<std::int64_t>(file.size);
}

inline std::size_t output_room(const output_file& file) {
    return file.block.size() - file.size;
}

// The free part of the block, where the next bytes are built in place.
inline std::span<std::uint8_t> output_space(output_file& file) {
    return std::span(file.block).subspan(file.size);
}

// Adds the next `size` bytes of the free part to what waits to be written.
void commit_output(output_file& file, std::size_t size);

// Writes everything waiting to the file. False on failure, with failed_at
// and error set; the bytes before failed_at are in the file.
[[nodiscard]] bool write_out(output_file& file);

}  // namespace tarnvik
