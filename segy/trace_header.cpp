#include "segy/trace_header.hpp"

#include <algorithm>

#include "driver/file_io.hpp"

namespace tarnvik {

read_outcome read_trace_header(input_file& input, input_trace_header& header) {
    const read_outcome got = read_bytes(input, trace_header_size);
    if (got.bytes.size() == trace_header_size) {
        std::copy(got.bytes.begin(), got.bytes.end(), header.bytes.begin());
    }
    return got;
}

}  // namespace tarnvik
