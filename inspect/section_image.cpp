#include "inspect/section_image.hpp"

#include <algorithm>
#include <cmath>

namespace tarnvik {

namespace {

std::size_t cell(std::size_t column, std::size_t row) {
    return column * section_rows_max + row;
}

// Rows needed for `count` samples at the grid's present row height.
std::size_t rows_for(const section_grid& grid, std::size_t count) {
    const auto per_row = static_cast<std::size_t>(grid.samples_per_row);
    return (count + per_row - 1) / per_row;
}

// Columns 2c and 2c+1 become column c: each column then stands for twice
// as many traces, and the last one is full.
void merge_columns(section_grid& grid) {
    const std::size_t half = grid.columns / 2;
    for (std::size_t c = 0; c < half; ++c) {
        for (std::size_t r = 0; r < grid.rows; ++r) {
            grid.sums[cell(c, r)] = grid.sums[cell(2 * c, r)] + grid.sums[cell(2 * c + 1, r)];
            grid.counts[cell(c, r)] = grid.counts[cell(2 * c, r)] + grid.counts[cell(2 * c + 1, r)];
        }
    }
    std::fill(grid.sums.begin() + static_cast<std::ptrdiff_t>(cell(half, 0)), grid.sums.end(), 0.0);
    std::fill(grid.counts.begin() + static_cast<std::ptrdiff_t>(cell(half, 0)), grid.counts.end(),
              0u);
    grid.columns = half;
    grid.traces_per_column *= 2;
    grid.traces_in_last_column = grid.traces_per_column;
}

// Rows 2r and 2r+1 become row r in every column.
void merge_rows(section_grid& grid) {
    const std::size_t merged = (grid.rows + 1) / 2;
    for (std::size_t c = 0; c < grid.columns; ++c) {
        for (std::size_t r = 0; r < merged; ++r) {
            double sum = grid.sums[cell(c, 2 * r)];
            std::uint32_t count = grid.counts[cell(c, 2 * r)];
            if (2 * r + 1 < grid.rows) {
                sum += grid.sums[cell(c, 2 * r + 1)];
                count += grid.counts[cell(c, 2 * r + 1)];
            }
            grid.sums[cell(c, r)] = sum;
            grid.counts[cell(c, r)] = count;
        }
        for (std::size_t r = merged; r < grid.rows; ++r) {
            grid.sums[cell(c, r)] = 0;
            grid.counts[cell(c, r)] = 0;
        }
    }
    grid.rows = merged;
    grid.samples_per_row *= 2;
}

}  // namespace

void start_section(section_grid& grid) {
    grid = {};
    grid.sums.assign(section_columns_max * section_rows_max, 0.0);
    grid.counts.assign(section_columns_max * section_rows_max, 0u);
}

void add_to_section(section_grid& grid, std::span<const float> samples) {
    if (grid.columns == 0 || grid.traces_in_last_column == grid.traces_per_column) {
        if (grid.columns == section_columns_max) {
            merge_columns(grid);
        }
        ++grid.columns;
        grid.traces_in_last_column = 0;
    }
    while (rows_for(grid, samples.size()) > section_rows_max) {
        merge_rows(grid);
    }
    const std::size_t column = grid.columns - 1;
    const auto per_row = static_cast<std::size_t>(grid.samples_per_row);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::isfinite(samples[i])) {
            grid.sums[cell(column, i / per_row)] += samples[i];
            ++grid.counts[cell(column, i / per_row)];
        }
    }
    grid.rows = std::max(grid.rows, rows_for(grid, samples.size()));
    ++grid.traces_in_last_column;
}

std::uint8_t grey_level(double value, double clip) {
    const double t = std::clamp(value / clip, -1.0, 1.0);
    return static_cast<std::uint8_t>(std::lround(127.5 * (1.0 - t)));
}

grey_picture render_section(const section_grid& grid, double clip_percentile) {
    grey_picture picture;
    const std::size_t widen =
        std::clamp<std::size_t>(512 / std::max<std::size_t>(grid.columns, 1), 1, 8);
    picture.width = std::max<std::size_t>(grid.columns, 1) * widen;
    picture.height = std::max<std::size_t>(grid.rows, 1);

    std::vector<double> magnitudes;
    magnitudes.reserve(grid.columns * grid.rows);
    for (std::size_t c = 0; c < grid.columns; ++c) {
        for (std::size_t r = 0; r < grid.rows; ++r) {
            if (grid.counts[cell(c, r)] > 0) {
                magnitudes.push_back(std::fabs(grid.sums[cell(c, r)] / grid.counts[cell(c, r)]));
            }
        }
    }
    picture.clip = 0;
    if (!magnitudes.empty()) {
        const auto at = static_cast<std::size_t>(
            std::floor(clip_percentile / 100.0 * static_cast<double>(magnitudes.size() - 1)));
        std::nth_element(magnitudes.begin(), magnitudes.begin() + static_cast<std::ptrdiff_t>(at),
                         magnitudes.end());
        picture.clip = magnitudes[at];
        if (picture.clip <= 0) {
            picture.clip = *std::max_element(magnitudes.begin(), magnitudes.end());
        }
    }
    if (picture.clip <= 0) {
        picture.clip = 1;  // nothing but zeros: all mid grey
    }

    picture.pixels.assign(picture.width * picture.height, grey_level(0, picture.clip));
    for (std::size_t c = 0; c < grid.columns; ++c) {
        for (std::size_t r = 0; r < grid.rows; ++r) {
            const std::uint32_t count = grid.counts[cell(c, r)];
            if (count == 0) {
                continue;
            }
            const std::uint8_t level = grey_level(grid.sums[cell(c, r)] / count, picture.clip);
            std::fill_n(
                picture.pixels.begin() + static_cast<std::ptrdiff_t>(r * picture.width + c * widen),
                widen, level);
        }
    }
    return picture;
}

}  // namespace tarnvik
