// The inspection tool run as a user runs it: on files the converter made,
// on damaged ones and with wrong command lines; the summary, the table and
// the picture checked as they come out.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "support/run_binary.hpp"
#include "support/segy_builder.hpp"

namespace tarnvik::testing {
namespace {

namespace fs = std::filesystem;

program_result inspect(const scratch_dir& dir, const std::vector<std::string>& arguments) {
    return run_program(dir.path(), TARNVIK_INSPECT_BINARY, arguments);
}

// small.sgy converted with data type 2, distances as 32-bit integers and
// the SSN from 7.
void convert_small_fixture(const scratch_dir& dir) {
    fs::copy_file(fs::path(TARNVIK_TEST_DATA) / "small.sgy", dir / "small.sgy");
    const run_result run = run_tarnvik(dir.path(), "\nsmall.sgy\n2\n\nsmall.varn\ny\nn\nn\nn\n7\n");
    ASSERT_EQ(run.status, 0) << run.out;
}

// Header words of a well-formed trace: data type 0, 4 channels, trace type
// 1, distance 12.5 (1250 over 100), sample interval 4000.
varn_words words_for(int trace, int count, int ssn, bool end_of_record) {
    varn_words w{};
    w[1] = 4;
    w[7] = static_cast<std::uint16_t>(trace);
    w[14] = 1;
    w[18] = 1250;
    w[34] = 100;
    w[57] = static_cast<std::uint16_t>(count);
    w[58] = 4000;
    w[59] = 0x55AA;
    w[87] = end_of_record ? 1 : 0;
    w[91] = static_cast<std::uint16_t>(ssn);
    return w;
}

// The amplitudes, SSN and records are those of the converted survey:
// 25 traces of 50 samples in one record of 25 channels, every distance 1;
// minimum, maximum and RMS as python3-segyio decodes the input.
TEST(Inspect, SummaryOfAConvertedFixture) {
    scratch_dir dir;
    convert_small_fixture(dir);
    const program_result run = inspect(dir, {"small.varn"});
    EXPECT_EQ(run.out,
              "File:               small.varn, 11000 bytes\n"
              "Traces:             25\n"
              "Samples per trace:  50\n"
              "Sample interval:    4000 microseconds\n"
              "Data type code:     2 (CDP stacked)\n"
              "Channels:           25\n"
              "SSN:                7\n"
              "Records:            1 complete; the last one is complete\n"
              "Trace types:        25 seismic (1)\n"
              "Distances:          1, multiplier 1000\n"
              "Amplitude:          minimum 1.2, maximum 5.24049, RMS 3.517126\n"
              "No problems found.\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

TEST(Inspect, SummaryGivesRangesAndAnOpenRecord) {
    scratch_dir dir;
    write_file(dir / "mixed.varn",
               concat({varn_trace(words_for(1, 3, 40, false), {1.5F, -2.0F, 0.5F}),
                       varn_trace(words_for(2, 1, 40, true), {4.0F}), [] {
                           varn_words w = words_for(3, 2, 41, false);
                           w[14] = 2;
                           w[18] = static_cast<std::uint16_t>(-3000);
                           w[34] = 1;
                           w[58] = 2000;
                           return varn_trace(w, {0.0F, -6.0F});
                       }()}));
    const program_result run = inspect(dir, {"mixed.varn"});
    // RMS: the square root of (2.25 + 4 + 0.25 + 16 + 0 + 36) / 6.
    EXPECT_EQ(run.out,
              "File:               mixed.varn, 744 bytes\n"
              "Traces:             3\n"
              "Samples per trace:  1 to 3\n"
              "Sample interval:    2000 to 4000 microseconds\n"
              "Data type code:     0 (raw field data)\n"
              "Channels:           4\n"
              "SSN:                40 to 41\n"
              "Records:            1 complete; the last one is incomplete: 1 trace of SSN 41\n"
              "Trace types:        2 seismic (1), 1 dead (2)\n"
              "Distances:          -3000 to 12.5, multipliers 1 to 100\n"
              "Amplitude:          minimum -6, maximum 4, RMS 3.122499\n"
              "No problems found.\n");
    EXPECT_EQ(run.status, 0);
}

TEST(Inspect, EmptyFileHasNoTraces) {
    scratch_dir dir;
    write_file(dir / "empty.varn", {});
    const program_result run = inspect(dir, {"empty.varn"});
    EXPECT_EQ(run.out,
              "File:               empty.varn, 0 bytes\n"
              "Traces:             0\n"
              "No problems found.\n");
    EXPECT_EQ(run.status, 0);
}

// Each damage is reported with the trace it is at, and the status is 1.
TEST(Inspect, DamagedFilesReportTheirProblems) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const bytes good = varn_trace(words_for(1, 2, 1, false), {1.0F, 2.0F});  // 248 bytes
    varn_words no_marker = words_for(2, 2, 1, false);
    no_marker[59] = 0x1234;
    varn_words negative = words_for(2, 2, 1, false);
    negative[57] = 0xFFFF;
    bytes cut_short = varn_trace(words_for(2, 50, 1, false), std::vector<float>(50, 1.0F));
    cut_short.resize(240 + 80);
    struct damage_case {
        const char* what;
        bytes file;
        std::string traces;  // as the summary counts them
        std::string problems;
    };
    const damage_case cases[] = {
        {"header marker", concat({good, varn_trace(no_marker, {3.0F, 4.0F}), good}), "3",
         "Problems:           1\n"
         "  trace 2 at byte 248: header marker 0x1234, not 0x55AA\n"},
        {"trailing fragment", concat({good, good, bytes(100, 0)}), "2",
         "Problems:           1\n"
         "  100 bytes at byte 496, after the last whole trace, are no trace\n"},
        {"samples past the end", concat({good, cut_short}), "1",
         "Problems:           1\n"
         "  trace 2 at byte 248: its 50 samples run past the end of the file (80 bytes are "
         "left)\n"},
        {"negative sample count", concat({good, varn_trace(negative, {}), good}), "1",
         "Problems:           1\n"
         "  trace 2 at byte 248: sample count -1 is negative; the traces after it cannot be "
         "found\n"},
        {"non-finite samples",
         concat({good, varn_trace(words_for(2, 4, 1, false), {1.0F, nan, -inf, 2.0F})}), "2",
         "Problems:           1\n"
         "  trace 2 at byte 248: 2 samples are not finite, the first is sample 2\n"},
    };
    for (const damage_case& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_dir dir;
        write_file(dir / "damaged.varn", c.file);
        const program_result run = inspect(dir, {"damaged.varn"});
        EXPECT_NE(run.out.find("Traces:             " + c.traces + "\n"), std::string::npos)
            << run.out;
        EXPECT_TRUE(run.out.ends_with(c.problems)) << run.out;
        EXPECT_EQ(run.status, 1);
    }
}

// Amplitudes leave out what is not finite; only the first problems are
// listed, with the count of the rest.
TEST(Inspect, ManyProblemsAreCountedBeyondThoseListed) {
    scratch_dir dir;
    std::vector<bytes> traces;
    for (int i = 1; i <= 25; ++i) {
        varn_words w = words_for(i, 1, 1, false);
        w[59] = 0;
        traces.push_back(varn_trace(w, {static_cast<float>(i)}));
    }
    write_file(dir / "unmarked.varn", concat(traces));
    const program_result run = inspect(dir, {"unmarked.varn"});
    EXPECT_NE(run.out.find("Amplitude:          minimum 1, maximum 25, RMS 14.86607\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Problems:           25\n"
                           "  trace 1 at byte 0: header marker 0x0000, not 0x55AA\n"),
              std::string::npos);
    EXPECT_TRUE(
        run.out.ends_with("  trace 20 at byte 4636: header marker 0x0000, not 0x55AA\n"
                          "  and 5 more\n"))
        << run.out;
    EXPECT_EQ(run.status, 1);
}

TEST(Inspect, HeaderTableOfAConvertedFixture) {
    scratch_dir dir;
    convert_small_fixture(dir);
    const std::string columns =
        "trace,byte_offset,data_type_code,channel_count,stacked_data_code,field_record_number,"
        "field_trace_number,cdp_number,cdp_trace_number,trace_type,vertical_sum_count,"
        "horizontal_stack_count,source_receiver_distance,distance_multiplier,distance,delay_time,"
        "sample_count,sample_interval,header_marker,end_of_record_flag,ssn\n";
    // small.sgy states no trace numbers, CDP numbers or sample counts in its
    // trace headers (the reel's 50 samples of 4000 us take their place) and
    // trace type 0, made 1.
    const program_result all = inspect(dir, {"--headers", "small.varn"});
    EXPECT_TRUE(all.out.starts_with(columns + "1,0,2,25,12,0,0,0,0,1,0,0,1000,1000,1,0,50,4000,"
                                              "0x55AA,0,7\n"))
        << all.out;
    EXPECT_TRUE(
        all.out.ends_with("\n25,10560,2,25,12,0,0,0,0,1,0,0,1000,1000,1,0,50,4000,"
                          "0x55AA,1,7\n"))
        << all.out;
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 26);
    EXPECT_EQ(all.status, 0);

    struct range_case {
        const char* range;
        std::vector<std::string> traces;  // trace numbers listed
    };
    const range_case ranges[] = {
        {"3:5", {"3", "4", "5"}},
        {"24:", {"24", "25"}},
        {":2", {"1", "2"}},
        {"9", {"9"}},
        {"30:40", {}},
    };
    for (const range_case& r : ranges) {
        SCOPED_TRACE(r.range);
        const program_result run = inspect(dir, {"--headers", "--traces", r.range, "small.varn"});
        std::string expected = columns;
        for (const std::string& trace : r.traces) {
            const std::string prefix = "\n" + trace + ",";
            const std::size_t at = all.out.find(prefix);
            ASSERT_NE(at, std::string::npos);
            expected += all.out.substr(at + 1, all.out.find('\n', at + 1) - at);
        }
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(run.status, 0);
    }
}

// With the table on standard output, problems go to standard error.
TEST(Inspect, HeaderTableOfADamagedFile) {
    scratch_dir dir;
    varn_words w = words_for(2, 1, 3, true);
    w[18] = static_cast<std::uint16_t>(-45);
    w[34] = 0;
    w[59] = 0x55AB;
    write_file(dir / "damaged.varn",
               concat({varn_trace(words_for(1, 1, 3, false), {1.0F}), varn_trace(w, {2.0F})}));
    const program_result run = inspect(dir, {"--headers", "--traces=2:2", "damaged.varn"});
    EXPECT_TRUE(run.out.ends_with("\n2,244,0,4,0,0,2,0,0,1,0,0,-45,0,,0,1,4000,0x55AB,1,3\n"))
        << run.out;
    EXPECT_EQ(run.err,
              "tarnvik-inspect: 1 problem in damaged.varn:\n"
              "  trace 2 at byte 244: header marker 0x55AB, not 0x55AA\n");
    EXPECT_EQ(run.status, 1);
}

TEST(Inspect, CommandLineErrors) {
    scratch_dir dir;
    write_file(dir / "a.varn", varn_trace(words_for(1, 1, 1, true), {1.0F}));
    fs::create_directory(dir / "folder");
    struct usage_case {
        std::vector<std::string> arguments;
        std::string err;
    };
    const std::string hint = "\nTry 'tarnvik-inspect --help'.\n";
    const usage_case cases[] = {
        {{}, "tarnvik-inspect: no file given" + hint},
        {{"--bogus", "a.varn"}, "tarnvik-inspect: unknown option --bogus" + hint},
        {{"a.varn", "b.varn"}, "tarnvik-inspect: more than one file given: b.varn" + hint},
        {{"--image"}, "tarnvik-inspect: --image needs the name of the picture to write" + hint},
        {{"--headers", "--traces", "5:2", "a.varn"},
         "tarnvik-inspect: not a range of traces: 5:2 (such as 1:100, 50: or :100)" + hint},
        {{"--headers", "--traces=0:2", "a.varn"},
         "tarnvik-inspect: not a range of traces: 0:2 (such as 1:100, 50: or :100)" + hint},
        {{"--headers", "--traces", ":", "a.varn"},
         "tarnvik-inspect: not a range of traces: : (such as 1:100, 50: or :100)" + hint},
        {{"--traces", "1:2", "a.varn"},
         "tarnvik-inspect: --traces chooses traces for --headers or --image" + hint},
        {{"missing.varn"},
         "tarnvik-inspect: cannot read missing.varn: No such file or directory\n"},
        {{"folder"}, "tarnvik-inspect: cannot read folder: not a regular file\n"},
        {{"--image", "folder", "a.varn"}, "tarnvik-inspect: cannot write folder: Is a directory\n"},
        {{"--image", "x.png", "--traces", "2:", "a.varn"},
         "tarnvik-inspect: a.varn holds no traces in the range given to draw\n"},
    };
    for (const usage_case& c : cases) {
        SCOPED_TRACE(c.err);
        const program_result run = inspect(dir, c.arguments);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.status, 2);
    }
    // Nothing half-written is left behind by a picture that failed.
    EXPECT_EQ(files_in(dir.path()), (std::vector<std::string>{"a.varn", "folder"}));

    const program_result help = inspect(dir, {"--help"});
    EXPECT_TRUE(help.out.starts_with("Usage: tarnvik-inspect [--headers] [--image OUT.png]"));
    EXPECT_EQ(help.status, 0);
}

struct decoded_png {
    std::size_t width = 0;
    std::size_t height = 0;
    std::vector<std::uint8_t> grey;
};

decoded_png read_png(const fs::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    decoded_png picture;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        ADD_FAILURE() << "not a PNG file: " << image.message;
        return picture;
    }
    image.format = PNG_FORMAT_GRAY;
    picture.width = image.width;
    picture.height = image.height;
    picture.grey.resize(PNG_IMAGE_SIZE(image));
    EXPECT_NE(png_image_finish_read(&image, nullptr, picture.grey.data(), 0, nullptr), 0)
        << image.message;
    return picture;
}

// Four traces of six samples: a few traces are drawn 8 pixels wide, one
// row a sample. The spike of 1000 lies beyond the 99th percentile of the
// 24 magnitudes, so the clip is the next largest, 4: 4 and the spike are
// black, 0 is mid grey, 2 is dark grey and -2 light grey.
TEST(Inspect, PictureOfASmallSection) {
    scratch_dir dir;
    const std::vector<std::vector<float>> samples = {
        {0, 1, 2, 0, -1, -2},
        {0, 2, 4, 2, 0, -2},
        {0, -1, -2, -1, 0, 1},
        {0, 0, 0, 0, 0, 1000},
    };
    std::vector<bytes> traces;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        traces.push_back(varn_trace(words_for(static_cast<int>(i + 1), 6, 1, false), samples[i]));
    }
    write_file(dir / "section.varn", concat(traces));

    const program_result run = inspect(dir, {"--image", "section.png", "section.varn"});
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.status, 0) << run.err;
    const decoded_png picture = read_png(dir / "section.png");
    ASSERT_EQ(picture.width, 32U);
    ASSERT_EQ(picture.height, 6U);
    auto pixel = [&](std::size_t x, std::size_t y) { return int{picture.grey[y * 32 + x]}; };
    EXPECT_EQ(pixel(0, 0), 128);   // 0
    EXPECT_EQ(pixel(7, 2), 64);    // 2: lround(127.5 * (1 - 2 / 4))
    EXPECT_EQ(pixel(0, 5), 191);   // -2
    EXPECT_EQ(pixel(12, 2), 0);    // 4, the clip
    EXPECT_EQ(pixel(16, 1), 159);  // -1
    EXPECT_EQ(pixel(31, 5), 0);    // the spike, clipped
    EXPECT_EQ(pixel(24, 4), 128);

    // Traces 2 to 3 alone: 16 pixels wide, the clip now 2.
    const program_result part =
        inspect(dir, {"--image", "part.png", "--traces", "2:3", "section.varn"});
    EXPECT_EQ(part.status, 0) << part.err;
    const decoded_png two = read_png(dir / "part.png");
    ASSERT_EQ(two.width, 16U);
    EXPECT_EQ(two.grey[2 * 16 + 0], 0);    // 4
    EXPECT_EQ(two.grey[2 * 16 + 8], 255);  // -2
    EXPECT_EQ(files_in(dir.path()),
              (std::vector<std::string>{"part.png", "section.png", "section.varn"}));
}

}  // namespace
}  // namespace tarnvik::testing
