#include "varn/distance.hpp"

#include <bit>
#include <cmath>

#include "driver/console.hpp"
#include "driver/settings.hpp"
#include "samples/ibm.hpp"
#include "segy/trace_header.hpp"
#include "varn/output_header.hpp"

namespace tarnvik {

float distance_value(const input_trace_header& trace_in, const conversion_settings& settings) {
    if (!settings.distances_valid) {
        return static_cast<float>(as_signed(be16_at(trace_in, low_half(distance_offset))));
    }
    const std::uint32_t word = be32_at(trace_in, distance_offset);
    if (settings.distances_ibm_float) {
        return std::bit_cast<float>(ibm_to_ieee_bits(word));
    }
    // Nearest single, ties to even.
    return static_cast<float>(static_cast<std::int32_t>(word));
}

scaled_distance scale_distance(float distance) {
    scaled_distance result;
    if (std::isnan(distance)) {
        result.multiplier = 10000;
        return result;
    }
    // Infinities are limited like any other large magnitude; the sign is
    // not kept.
    if (std::fabs(distance) > distance_limit) {
        distance = distance_limit;
        result.limited = true;
    }
    const float magnitude = std::fabs(distance);
    if (magnitude < 10000.0F) {
        result.multiplier = 1;
    }
    if (magnitude < 1000.0F) {
        result.multiplier = 10;
    }
    if (magnitude < 100.0F) {
        result.multiplier = 100;
    }
    if (magnitude < 10.0F) {
        result.multiplier = 1000;
    }
    if (magnitude < 1.0F) {
        result.multiplier = 10000;
    }
    // A single times a power of ten up to 10000 is exact in double
    // precision; truncation is the only loss. The result is at most 32000
    // in magnitude.
    const double product = static_cast<double>(distance) * result.multiplier;
    result.scaled = static_cast<std::int16_t>(std::trunc(product));
    return result;
}

void encode_distance(console& con, const input_trace_header& trace_in,
                     const conversion_settings& settings, output_trace_header& trace_out) {
    const scaled_distance words = scale_distance(distance_value(trace_in, settings));
    if (words.limited) {
        // No line break: the trace's next console text continues the line.
        print(con, "Distance value too big/small --");
        print(con, "Setting it to 32000");
    }
    trace_out.source_receiver_distance = static_cast<std::uint16_t>(words.scaled);
    trace_out.distance_multiplier = words.multiplier;
}

}  // namespace tarnvik
