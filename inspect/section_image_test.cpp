#include "inspect/section_image.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace tarnvik {
namespace {

double cell_mean(const section_grid& grid, std::size_t column, std::size_t row) {
    const std::size_t at = column * section_rows_max + row;
    return grid.sums[at] / grid.counts[at];
}

// Past the column limit, neighbouring columns merge: 1025 traces of one
// sample each (the trace's number) leave 513 columns of two traces each.
TEST(SectionGrid, ColumnsMergeWhenTheTracesOutgrowThem) {
    section_grid grid;
    start_section(grid);
    for (int trace = 1; trace <= 1025; ++trace) {
        const float sample = static_cast<float>(trace);
        add_to_section(grid, {&sample, 1});
    }
    EXPECT_EQ(grid.columns, 513U);
    EXPECT_EQ(grid.traces_per_column, 2);
    EXPECT_DOUBLE_EQ(cell_mean(grid, 0, 0), 1.5);
    EXPECT_DOUBLE_EQ(cell_mean(grid, 511, 0), 1023.5);
    EXPECT_DOUBLE_EQ(cell_mean(grid, 512, 0), 1025);  // the new column, one trace so far
    EXPECT_EQ(grid.counts[512 * section_rows_max], 1U);
}

// A long trace merges the rows of all columns: 1000 samples of 1, then
// 2048 samples of 2, make 1024 rows of two samples each.
TEST(SectionGrid, RowsMergeWhenATraceOutgrowsThem) {
    section_grid grid;
    start_section(grid);
    add_to_section(grid, std::vector<float>(1000, 1.0F));
    add_to_section(grid, std::vector<float>(2048, 2.0F));
    EXPECT_EQ(grid.samples_per_row, 2);
    EXPECT_EQ(grid.rows, 1024U);
    EXPECT_DOUBLE_EQ(cell_mean(grid, 0, 499), 1.0);
    EXPECT_EQ(grid.counts[499], 2U);
    EXPECT_EQ(grid.counts[500], 0U);  // beyond the first trace
    EXPECT_DOUBLE_EQ(cell_mean(grid, 1, 1023), 2.0);
    EXPECT_EQ(grid.counts[section_rows_max + 1023], 2U);
}

TEST(SectionGrid, SamplesThatAreNotFiniteAreLeftOut) {
    section_grid grid;
    start_section(grid);
    add_to_section(grid, std::vector<float>{3.0F, std::numeric_limits<float>::infinity()});
    EXPECT_EQ(grid.rows, 2U);
    EXPECT_EQ(grid.counts[1], 0U);
    EXPECT_DOUBLE_EQ(cell_mean(grid, 0, 0), 3.0);
}

TEST(SectionGrid, GreyLevels) {
    struct level_case {
        double value;
        int level;
    };
    const level_case cases[] = {
        {0, 128}, {4, 0}, {-4, 255}, {9, 0}, {-9, 255}, {2, 64}, {-2, 191}, {1, 96},
    };
    for (const level_case& c : cases) {
        EXPECT_EQ(grey_level(c.value, 4), c.level) << c.value;
    }
}

// A section of all zeros draws mid grey throughout; a wide one is drawn a
// pixel a column.
TEST(SectionGrid, RenderingSizesAndAFlatSection) {
    section_grid grid;
    start_section(grid);
    for (int trace = 0; trace < 600; ++trace) {
        add_to_section(grid, std::vector<float>(3, 0.0F));
    }
    const grey_picture picture = render_section(grid, 99);
    EXPECT_EQ(picture.width, 600U);
    EXPECT_EQ(picture.height, 3U);
    EXPECT_EQ(picture.clip, 1.0);
    EXPECT_EQ(std::count(picture.pixels.begin(), picture.pixels.end(), 128), 1800);
}

}  // namespace
}  // namespace tarnvik
