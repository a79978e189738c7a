#include "segy/reel_header.hpp"

#include "driver/console.hpp"
#include "driver/file_io.hpp"
#include "samples/sample_conversion.hpp"

namespace tarnvik {

namespace {

std::int32_t unsigned16_at(std::span<const std::uint8_t, reel_header_size> bytes,
                           std::size_t offset) {
    return bytes[offset] * 256 + bytes[offset + 1];
}

}  // namespace

reel_summary decode_reel_header(std::span<const std::uint8_t, reel_header_size> bytes) {
    reel_summary reel;
    reel.traces_per_record = unsigned16_at(bytes, traces_per_record_offset);
    reel.sample_interval = unsigned16_at(bytes, reel_interval_offset);
    reel.samples_per_trace = unsigned16_at(bytes, reel_samples_offset);
    reel.format_code = bytes[format_code_offset];
    return reel;
}

reel_header_result read_reel_header(console& con, input_file& input, reel_summary& reel) {
    const read_outcome got = read_bytes(input, reel_header_size);
    if (got.bytes.size() < reel_header_size) {
        print(con, "Corrupt data file\n");
        return reel_header_result::short_header;
    }
    reel = decode_reel_header(got.bytes.first<reel_header_size>());
    return accept_reel_header(con, reel) ? reel_header_result::accepted
                                         : reel_header_result::refused_format;
}

bool accept_reel_header(console& con, reel_summary& reel) {
    const char* name = nullptr;
    switch (reel.format_code) {
        case format_ibm_float:
            name = "floating point\n";
            break;
        case format_int32:
            name = "4 byte integer.\n";
            break;
        case format_int16:
            name = "2 byte integer.\n";
            break;
        default:
            print(con, "I'm sorry this type of data can not be processed.\n");
            print(con, "Data type = %d  (only 1,2,or3 allowable)\n", reel.format_code);
            // No line breaks: the two counts run together and end the output.
            print(con, "Number samples = %d", reel.samples_per_trace);
            print(con, "Number channels = %d", reel.traces_per_record);
            return false;
    }
    // The third value is the stored interval, in the slot labelled rate.
    print(con, "\nSample size = %d  %d Channels/Record. Sample rate = %d samps/sec\n",
          reel.samples_per_trace, reel.traces_per_record, reel.sample_interval);
    print(con, "Data represention type = %s", name);
    reel.bytes_per_sample = bytes_per_sample_for(reel.format_code);
    return true;
}

}  // namespace tarnvik
