#include "driver/file_io.hpp"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstring>

#include "driver/platform.hpp"

namespace tarnvik {

read_outcome read_bytes(input_file& file, std::size_t size) {
    assert(size <= file.block.size());
    read_outcome outcome;
    if (file.end - file.begin < size) {
        // Keep what is left and fill the rest of the block behind it.
        std::memmove(file.block.data(), file.block.data() + file.begin, file.end - file.begin);
        file.end -= file.begin;
        file.begin = 0;
        while (file.end < size) {
            const io_result got =
                read_some(file.fd, file.block.data() + file.end, file.block.size() - file.end);
            if (got.count <= 0) {
                outcome.error = got.error;
                break;
            }
            file.end += static_cast<std::size_t>(got.count);
        }
    }
    const std::size_t take = std::min(size, file.end - file.begin);
    outcome.bytes = std::span<const std::uint8_t>(file.block.data() + file.begin, take);
    file.begin += take;
    file.position += static_cast<std::int64_t>(take);
    return outcome;
}

void commit_output(output_file& file, std::size_t size) {
    assert(size <= output_room(file));
    file.size += size;
}

bool write_out(output_file& file) {
    std::size_t done = 0;
    while (done < file.size) {
        const io_result put = write_some(file.fd, file.block.data() + done, file.size - done);
        if (put.count <= 0) {
            // A write that takes nothing without an error would repeat
            // forever; count it as a full device.
            file.error = put.count < 0 ? put.error : ENOSPC;
            file.failed_at = file.written + static_cast<std::int64_t>(done);
            return false;
        }
        done += static_cast<std::size_t>(put.count);
    }
    file.written += static_cast<std::int64_t>(file.size);
    file.size = 0;
    return true;
}

}  // namespace tarnvik
