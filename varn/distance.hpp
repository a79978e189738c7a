// The source-receiver distance as a scaled 16-bit word (word 18) with its
// decimal multiplier (word 34): the distance is word 18 / word 34.
#pragma once

#include <cstdint>

namespace tarnvik {

struct console;
struct conversion_settings;
struct input_trace_header;
struct output_trace_header;

// Distances of larger magnitude are written as +32000.
inline constexpr float distance_limit = 32000.0F;

struct scaled_distance {
    std::int16_t scaled = 0;       // word 18
    std::uint16_t multiplier = 1;  // word 34: 1, 10, 100, 1000 or 10000
    bool limited = false;          // the magnitude was above the limit
};

// The distance as the settings say it is stored in SEG-Y bytes 37-40: the
// last two bytes as a 16-bit integer, all four as a 32-bit integer, or all
// four as an IBM float.
float distance_value(const input_trace_header& trace_in, const conversion_settings& settings);

// Limits and scales a distance: the multiplier is the power of ten that
// leaves at most four integer digits, and word 18 the product truncated
// toward zero.
scaled_distance scale_distance(float distance);

// Sets words 18 and 34 for the current trace, with the limit message.
void encode_distance(console& con, const input_trace_header& trace_in,
                     const conversion_settings& settings, output_trace_header& trace_out);

}  // namespace tarnvik
