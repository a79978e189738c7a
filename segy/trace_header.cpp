#include "segy/trace_header.hpp"

#include "driver/file_io.hpp"

namespace tarnvik {

read_outcome read_trace_header(input_file& input, input_trace_header& header) {
    return read_bytes(input, header.bytes);
}

}  // namespace tarnvik
