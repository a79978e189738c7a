// A picture of the traces as a seismic section in variable density: traces
// left to right, time downwards, positive amplitudes dark and negative ones
// light. The section is gathered in one pass into a grid of bounded size:
// when the traces outgrow its columns, neighbouring columns merge and each
// column stands for twice as many traces; when a trace outgrows its rows,
// neighbouring rows merge likewise. A cell shows the mean of its samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarnvik {

inline constexpr std::size_t section_columns_max = 1024;
inline constexpr std::size_t section_rows_max = 1024;

struct section_grid {
    // Cell (column c, row r) at c * section_rows_max + r; allocated once.
    std::vector<double> sums;
    std::vector<std::uint32_t> counts;
    std::size_t columns = 0;  // begun so far
    std::size_t rows = 0;     // reached by some trace
    std::int64_t traces_per_column = 1;
    std::int64_t traces_in_last_column = 0;
    std::int64_t samples_per_row = 1;
};

void start_section(section_grid& grid);

// Adds a trace to the right of those before it. Samples that are not
// finite are left out.
void add_to_section(section_grid& grid, std::span<const float> samples);

// The picture, one grey byte per pixel, row by row: 0 is black.
struct grey_picture {
    std::size_t width = 0;
    std::size_t height = 0;
    std::vector<std::uint8_t> pixels;
    double clip = 0;  // the magnitude drawn black or white
};

// The magnitude at the given percentile of the cells' magnitudes is drawn
// full black (positive) or white (negative), and everything beyond it too,
// so a few spikes do not wash out the rest. Zero is mid grey, as are cells
// no trace reaches. A section of few traces is widened: each column is
// drawn several pixels wide.
grey_picture render_section(const section_grid& grid, double clip_percentile);

// The pixel for a value, given the clip magnitude.
std::uint8_t grey_level(double value, double clip);

}  // namespace tarnvik
