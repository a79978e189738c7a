#include "driver/file_io.hpp"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstring>

#include "driver/platform.hpp"

namespace tarnvik {

read_outcome read_bytes(input_file& file, std::span<std::uint8_t> into) {
    read_outcome outcome;
    while (outcome.count < into.size()) {
        if (file.begin == file.end) {
            const io_result got = read_some(file.fd, file.block.data(), file.block.size());
            if (got.count <= 0) {
                outcome.error = got.error;
                break;
            }
            file.begin = 0;
            file.end = static_cast<std::size_t>(got.count);
        }
        const std::size_t take = std::min(into.size() - outcome.count, file.end - file.begin);
        std::memcpy(into.data() + outcome.count, file.block.data() + file.begin, take);
        file.begin += take;
        file.position += static_cast<std::int64_t>(take);
        outcome.count += take;
    }
    return outcome;
}

std::span<std::uint8_t> output_space(output_file& file, std::size_t size) {
    assert(size <= output_room(file));
    const std::span<std::uint8_t> space(file.block.data() + file.size, size);
    file.size += size;
    return space;
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
