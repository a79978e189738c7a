// Whole files converted by the built program: console bytes, exit status
// and every byte of the output.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/dialogue_text.hpp"
#include "support/run_binary.hpp"
#include "support/segy_builder.hpp"

namespace tarnvik::testing {
namespace {

namespace fs = std::filesystem;

// The words of one expected output trace header.
struct expected_header {
    int data_type = 0;
    int channels = 1;
    int trace_number = 1;
    int count = 2;
    int interval = 4000;
    int ssn = 0;
    bool end_of_record = true;
    int distance = 0;
    int multiplier = 10000;
    int trace_type = 1;
};

varn_words words_of(const expected_header& h) {
    varn_words w{};
    w[0] = static_cast<std::uint16_t>(h.data_type);
    w[1] = static_cast<std::uint16_t>(h.channels);
    w[2] = h.data_type == 2 ? 12 : 0;
    w[7] = static_cast<std::uint16_t>(h.trace_number);
    w[14] = static_cast<std::uint16_t>(h.trace_type);
    w[18] = static_cast<std::uint16_t>(h.distance);
    w[34] = static_cast<std::uint16_t>(h.multiplier);
    w[57] = static_cast<std::uint16_t>(h.count);
    w[58] = static_cast<std::uint16_t>(h.interval);
    w[59] = 0x55AA;
    w[87] = h.end_of_record ? 1 : 0;
    w[91] = static_cast<std::uint16_t>(h.ssn);
    return w;
}

std::string trace_line(int count, int ssn, int trace) {
    return std::to_string(count) + " Writing SSN " + std::to_string(ssn) + " Trace " +
           std::to_string(trace) + " Normalizing value = 1.000000\n";
}

// Answers for a plain run: data type 0, channels as the reel says, the
// output named, every question answered no, and the starting SSN.
std::string plain_answers(const std::string& output, int ssn = 0) {
    return "\nin.sgy\n0\n\n" + output + "\nn\nn\nn\n" + std::to_string(ssn) + "\n";
}

const std::vector<std::uint32_t> ibm_pair = {0x41100000, 0xC276A000};  // 1.0, -118.625
const std::vector<float> float_pair = {1.0F, -118.625F};

TEST(Conversion, RecordsAndSsnCountingOverSevenTraces) {
    scratch_dir dir;
    std::vector<segy_trace> traces;
    for (int t = 1; t <= 7; ++t) {
        traces.push_back(make_trace(t, 2, 4000, ibm_samples(ibm_pair)));
    }
    write_file(dir / "in.sgy", segy_file({2, 4000, 3}, traces));
    const run_result run = run_tarnvik(dir.path(), plain_answers("out.varn", 100));

    std::string lines;
    std::vector<bytes> out;
    const int ssns[] = {100, 100, 100, 101, 101, 101, 102};
    for (int t = 1; t <= 7; ++t) {
        const int ssn = ssns[t - 1];
        lines += trace_line(2, ssn, t);
        expected_header h;
        h.channels = 3;
        h.trace_number = t;
        h.ssn = ssn;
        h.end_of_record = t == 3 || t == 6;
        out.push_back(varn_trace(words_of(h), float_pair));
    }
    EXPECT_EQ(run.out, plain_dialogue(2, 3, 4000, "out.varn") + lines);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file(dir / "out.varn"), concat(out));
}

TEST(Conversion, EveryFormatGivesTheSameSingles) {
    struct format_case {
        std::uint8_t format;
        bytes samples;
        std::vector<float> values;
        const char* name;
    };
    const format_case cases[] = {
        {1,
         ibm_samples({0x41100000, 0xC276A000, 0x00000000}),
         {1.0F, -118.625F, 0.0F},
         "floating point\n"},
        {2, int32_samples({16777217, -1, 7}), {16777216.0F, -1.0F, 7.0F}, "4 byte integer.\n"},
        {3, int16_samples({1, -32768, 32767}), {1.0F, -32768.0F, 32767.0F}, "2 byte integer.\n"},
    };
    for (const format_case& c : cases) {
        SCOPED_TRACE(c.name);
        scratch_dir dir;
        write_file(dir / "in.sgy",
                   segy_file({3, 1000, 1, 0, c.format}, {make_trace(9, 3, 1000, c.samples)}));
        const run_result run = run_tarnvik(dir.path(), plain_answers("out.varn"));
        EXPECT_EQ(run.out, plain_dialogue(3, 1, 1000, "out.varn", c.name) + trace_line(3, 0, 9));
        expected_header h;
        h.trace_number = 9;
        h.count = 3;
        h.interval = 1000;
        EXPECT_EQ(read_file(dir / "out.varn"), varn_trace(words_of(h), c.values));
    }
}

TEST(Conversion, ZeroLengthTraceIsSkippedAndNotCounted) {
    scratch_dir dir;
    segy_trace empty = make_trace(2, 0, 4000, {});
    put_be16(empty.header, 28, 7);  // undefined type: no message for a skipped trace
    write_file(dir / "in.sgy",
               segy_file({2, 4000, 1}, {make_trace(1, 2, 4000, ibm_samples(ibm_pair)), empty,
                                        make_trace(3, 2, 4000, ibm_samples(ibm_pair))}));
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\nn\ny\nn\n1\n");
    EXPECT_EQ(run.out, banner + input_prompt + reel_summary_text(2, 1, 4000) + data_type_prompt +
                           override_prompt(1) + output_prompt + appending_to("out.varn") +
                           distance_prompt + force_prompt + fix_prompt_after_yes + ssn_prompt +
                           trace_line(2, 1, 1) +
                           "0 /nTrace 2 Zero Length.. Can't write, skipping to next/n" +
                           trace_line(2, 2, 3));
    expected_header first;
    first.ssn = 1;
    expected_header third = first;
    third.trace_number = 3;
    third.ssn = 2;
    EXPECT_EQ(read_file(dir / "out.varn"), concat({varn_trace(words_of(first), float_pair),
                                                   varn_trace(words_of(third), float_pair)}));
}

const bytes four_samples = ibm_samples({0x41100000, 0xC276A000, 0x42640000, 0x40100000});
const std::vector<float> four_values = {1.0F, -118.625F, 100.0F, 0.0625F};

// Without the force answer a trace whose header disagrees with the reel is
// read and written with the reel's count and interval; a trace that agrees
// keeps its own interval.
TEST(Conversion, MismatchedCountTakesTheReels) {
    scratch_dir dir;
    write_file(dir / "in.sgy", segy_file({4, 4000, 1}, {make_trace(1, 2, 1000, four_samples),
                                                        make_trace(2, 4, 1000, four_samples)}));
    const run_result run = run_tarnvik(dir.path(), plain_answers("out.varn"));
    EXPECT_EQ(run.out, plain_dialogue(4, 1, 4000, "out.varn") +
                           "Trace header # samples != reel header # samples. Setting to reel "
                           "header value.\n" +
                           trace_line(4, 0, 1) + trace_line(4, 1, 2));
    expected_header h1;
    h1.count = 4;
    expected_header h2;
    h2.trace_number = 2;
    h2.count = 4;
    h2.interval = 1000;
    h2.ssn = 1;
    EXPECT_EQ(read_file(dir / "out.varn"), concat({varn_trace(words_of(h1), four_values),
                                                   varn_trace(words_of(h2), four_values)}));
}

// With it, each trace is read with its own count and keeps its interval.
TEST(Conversion, ForcedCountsComeFromEachTrace) {
    scratch_dir dir;
    write_file(dir / "in.sgy",
               segy_file({4, 4000, 1}, {make_trace(1, 2, 1000, ibm_samples(ibm_pair)),
                                        make_trace(2, 4, 1000, four_samples)}));
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\nn\ny\nn\n0\n");
    EXPECT_TRUE(run.out.ends_with(fix_prompt_after_yes + ssn_prompt + trace_line(2, 0, 1) +
                                  trace_line(4, 1, 2)));
    expected_header h1;
    h1.interval = 1000;
    expected_header h2;
    h2.trace_number = 2;
    h2.count = 4;
    h2.interval = 1000;
    h2.ssn = 1;
    EXPECT_EQ(read_file(dir / "out.varn"), concat({varn_trace(words_of(h1), float_pair),
                                                   varn_trace(words_of(h2), four_values)}));
}

TEST(Conversion, FixedLengthCutsOrPadsButReadsWholeTraces) {
    const bytes three = ibm_samples({0x41100000, 0xC276A000, 0x42640000});
    const std::pair<int, std::vector<float>> cases[] = {
        {5, {1.0F, -118.625F, 100.0F, 0.0F, 0.0F}},
        {2, {1.0F, -118.625F}},
    };
    for (const auto& [length, values] : cases) {
        SCOPED_TRACE(length);
        scratch_dir dir;
        write_file(dir / "in.sgy", segy_file({3, 4000, 1}, {make_trace(1, 3, 4000, three),
                                                            make_trace(2, 3, 4000, three)}));
        const run_result run = run_tarnvik(
            dir.path(), "\nin.sgy\n0\n\nout.varn\nn\nn\ny\n" + std::to_string(length) + "\n0\n");
        EXPECT_TRUE(run.out.ends_with(trace_line(3, 0, 1) + trace_line(3, 1, 2)));
        expected_header h1;
        h1.count = length;
        expected_header h2 = h1;
        h2.trace_number = 2;
        h2.ssn = 1;
        EXPECT_EQ(read_file(dir / "out.varn"),
                  concat({varn_trace(words_of(h1), values), varn_trace(words_of(h2), values)}));
    }
}

TEST(Conversion, TrailingFragmentIsIgnored) {
    scratch_dir dir;
    bytes input = segy_file({2, 4000, 1}, {make_trace(1, 2, 4000, ibm_samples(ibm_pair))});
    input.insert(input.end(), 100, 0x77);
    write_file(dir / "in.sgy", input);
    const run_result run = run_tarnvik(dir.path(), plain_answers("out.varn"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file(dir / "out.varn"), varn_trace(words_of({}), float_pair));
}

TEST(Conversion, AppendsAfterWhatTheOutputHeld) {
    scratch_dir dir;
    write_file(dir / "in.sgy",
               segy_file({2, 4000, 1}, {make_trace(1, 2, 4000, ibm_samples(ibm_pair))}));
    const bytes earlier(333, 0xEE);
    write_file(dir / "out.varn", earlier);
    const run_result run = run_tarnvik(dir.path(), plain_answers("out.varn"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file(dir / "out.varn"), concat({earlier, varn_trace(words_of({}), float_pair)}));
}

TEST(Conversion, DistanceAndTraceTypeMessagesInTheirPlaces) {
    scratch_dir dir;
    segy_trace trace = make_trace(1, 2, 4000, ibm_samples(ibm_pair));
    put_be32(trace.header, 36, 40000);
    put_be16(trace.header, 28, 0);
    write_file(dir / "in.sgy", segy_file({2, 4000, 1}, {trace}));
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\ny\nn\nn\nn\n0\n");
    EXPECT_TRUE(run.out.ends_with(
        ssn_prompt + "Distance value too big/small --Setting it to 32000" + trace_line(2, 0, 1) +
        "Undefined trace type found(0)-Setting to 1 = seismic data\n"))
        << run.out;
    expected_header h;
    h.distance = 32000;
    h.multiplier = 1;
    EXPECT_EQ(read_file(dir / "out.varn"), varn_trace(words_of(h), float_pair));
}

// In place, the input is replaced by its conversion once the run has
// succeeded, however much longer the output traces are than the input's.
TEST(Conversion, InPlaceReplacesTheInputWithItsConversion) {
    struct in_place_case {
        const char* what;
        std::uint8_t format;
        int samples;
        int fixed;  // 0 for none
    };
    const in_place_case cases[] = {
        {"IBM", 1, 4, 0},
        {"2-byte integers, output twice the input", 3, 1000, 0},
        {"fixed length above the count", 1, 4, 1500},
    };
    for (const in_place_case& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_dir dir;
        std::vector<segy_trace> traces;
        std::vector<bytes> expected;
        for (int t = 1; t <= 5; ++t) {
            std::vector<float> values(static_cast<std::size_t>(c.fixed > 0 ? c.fixed : c.samples),
                                      0.0F);
            std::vector<std::int16_t> ints;
            std::vector<std::uint32_t> ibm;
            for (int k = 0; k < c.samples; ++k) {
                const int v = (t * 7 + k * 3) % 200 - 100;
                ints.push_back(static_cast<std::int16_t>(v));
                // Small integers as IBM: v = sign, 16^2 exponent, v/256 fraction.
                ibm.push_back((v < 0 ? 0x80000000u : 0u) | 0x42000000u |
                              (static_cast<std::uint32_t>(std::abs(v)) << 16));
                values[static_cast<std::size_t>(k)] = static_cast<float>(v);
            }
            traces.push_back(make_trace(t, c.samples, 2000,
                                        c.format == 3 ? int16_samples(ints) : ibm_samples(ibm)));
            expected_header h;
            h.trace_number = t;
            h.count = c.fixed > 0 ? c.fixed : c.samples;
            h.interval = 2000;
            h.ssn = t - 1;
            expected.push_back(varn_trace(words_of(h), values));
        }
        write_file(dir / "in.sgy", segy_file({c.samples, 2000, 1, 0, c.format}, traces));
        const auto permissions =
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
        fs::permissions(dir / "in.sgy", permissions);
        const std::string fixed = c.fixed > 0 ? "y\n" + std::to_string(c.fixed) + "\n" : "n\n";
        const run_result run =
            run_tarnvik(dir.path(), "\nin.sgy\n0\n\nin.sgy\ny\nn\nn\n" + fixed + "0\n");
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_TRUE(run.out.find(same_file_warning + distance_prompt) != std::string::npos);
        EXPECT_EQ(read_file(dir / "in.sgy"), concat(expected));
        if (!testing_windows_build()) {  // Windows keeps no such permissions
            EXPECT_EQ(fs::status(dir / "in.sgy").permissions(), permissions);
        }
        EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"in.sgy"});
    }
}

TEST(Conversion, InPlaceThroughASymbolicLinkReplacesTheFileItPointsTo) {
    scratch_dir dir;
    write_file(dir / "in.sgy",
               segy_file({2, 4000, 1}, {make_trace(1, 2, 4000, ibm_samples(ibm_pair))}));
    fs::create_symlink("in.sgy", dir / "link.sgy");
    const run_result run = run_tarnvik(dir.path(), "\nlink.sgy\n0\n\nlink.sgy\nY\nn\nn\nn\n0\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(fs::is_symlink(dir / "link.sgy"));
    EXPECT_EQ(read_file(dir / "in.sgy"), varn_trace(words_of({}), float_pair));
}

TEST(Conversion, InPlaceWithNoCompleteTraceLeavesAnEmptyFile) {
    scratch_dir dir;
    bytes input = reel_header({2, 4000, 1});
    input.insert(input.end(), 100, 0x11);
    write_file(dir / "in.sgy", input);
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nin.sgy\ny\nn\nn\nn\n0\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(fs::file_size(dir / "in.sgy"), 0u);
}

// Every end before success leaves an in-place input exactly as it was, with
// no temporary file behind.
TEST(Conversion, InPlaceEndsBeforeSuccessLeaveTheInputUntouched) {
    bytes input = segy_file({2, 4000, 1}, {make_trace(1, 2, 4000, ibm_samples(ibm_pair)),
                                           make_trace(2, 2, 4000, ibm_samples(ibm_pair))});
    input.resize(input.size() - 3);  // the last trace is cut short
    const std::pair<const char*, std::string> cases[] = {
        {"short sample read", "\nin.sgy\n0\n\nin.sgy\ny\nn\nn\nn\n0\n"},
        {"fixed length refused", "\nin.sgy\n0\n\nin.sgy\ny\nn\nn\ny\n0\n"},
        {"answers ended", "\nin.sgy\n0\n\nin.sgy\ny\nn\n"},
    };
    for (const auto& [what, answers] : cases) {
        SCOPED_TRACE(what);
        scratch_dir dir;
        write_file(dir / "in.sgy", input);
        const run_result run = run_tarnvik(dir.path(), answers);
        EXPECT_NE(run.out.find(same_file_warning), std::string::npos);
        EXPECT_EQ(read_file(dir / "in.sgy"), input);
        EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"in.sgy"});
    }
}

TEST(Conversion, ShortSampleReadKeepsTheTracesBefore) {
    scratch_dir dir;
    bytes input = segy_file({2, 4000, 1}, {make_trace(1, 2, 4000, ibm_samples(ibm_pair)),
                                           make_trace(2, 2, 4000, ibm_samples(ibm_pair))});
    input.resize(input.size() - 1);
    write_file(dir / "in.sgy", input);
    const run_result run = run_tarnvik(dir.path(), plain_answers("out.varn"));
    EXPECT_EQ(run.out, plain_dialogue(2, 1, 4000, "out.varn") + trace_line(2, 0, 1) + "2 " +
                           "Error during data read.  Corrupt data\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(read_file(dir / "out.varn"), varn_trace(words_of({}), float_pair));
}

TEST(Conversion, NegativeSampleCountIsACorruptRead) {
    scratch_dir dir;
    write_file(dir / "in.sgy", segy_file({2, 4000, 1}, {make_trace(1, 0xFFFF, 4000, {})}));
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\nn\ny\nn\n0\n");
    EXPECT_TRUE(run.out.ends_with(ssn_prompt + "-1 Error during data read.  Corrupt data\n"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(fs::file_size(dir / "out.varn"), 0u);
}

TEST(Conversion, FullDeviceFailsAtTheFirstHeader) {
    if (testing_windows_build()) {
        GTEST_SKIP() << "no /dev/full on Windows";
    }
    scratch_dir dir;
    write_file(dir / "in.sgy",
               segy_file({2, 4000, 1}, {make_trace(1, 2, 4000, ibm_samples(ibm_pair)),
                                        make_trace(2, 2, 4000, ibm_samples(ibm_pair))}));
    const run_result run = run_tarnvik(dir.path(), plain_answers("/dev/full"));
    EXPECT_EQ(run.out, plain_dialogue(2, 1, 4000, "/dev/full") + trace_line(2, 0, 1) +
                           "Error writing header\n");
    EXPECT_EQ(run.status, 1);
}

// A disk filling up part way: the console ends at the trace that could not
// be written, and the output keeps only whole traces.
TEST(Conversion, DiskFullInTheMiddleReportsTheTraceItReached) {
    if (testing_windows_build()) {
        GTEST_SKIP() << "Wine does not show a per-process file size limit to the program";
    }
    constexpr int samples = 1000;
    constexpr std::uint64_t trace_size = 240 + 4 * samples;
    std::vector<segy_trace> traces;
    for (int t = 1; t <= 4; ++t) {
        traces.push_back(make_trace(t, samples, 4000,
                                    ibm_samples(std::vector<std::uint32_t>(samples, 0x41100000))));
    }
    const bytes input = segy_file({samples, 4000, 1}, traces);
    struct limit_case {
        std::uint64_t limit;
        const char* message;
    };
    const limit_case cases[] = {
        {trace_size + 100, "Error writing header\n"},
        {2 * trace_size + 240 + 8, "Error writing trace data\n"},
    };
    for (const limit_case& c : cases) {
        SCOPED_TRACE(c.limit);
        const int failing = static_cast<int>(c.limit / trace_size) + 1;
        for (const bool in_place : {false, true}) {
            SCOPED_TRACE(in_place);
            scratch_dir dir;
            write_file(dir / "in.sgy", input);
            const std::string output = in_place ? "in.sgy" : "out.varn";
            const run_result run = run_tarnvik(
                dir.path(), "\nin.sgy\n0\n\n" + output + (in_place ? "\ny" : "") + "\nn\nn\nn\n1\n",
                {c.limit});
            std::string lines;
            for (int t = 1; t <= failing; ++t) {
                lines += trace_line(samples, t, t);
            }
            EXPECT_TRUE(run.out.ends_with(ssn_prompt + lines + c.message)) << run.out;
            EXPECT_EQ(run.status, 1);
            if (in_place) {
                EXPECT_EQ(read_file(dir / "in.sgy"), input);
                EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"in.sgy"});
            } else {
                EXPECT_EQ(fs::file_size(dir / "out.varn"),
                          static_cast<std::uint64_t>(failing - 1) * trace_size);
            }
        }
    }
}

TEST(Conversion, ALostConsoleDoesNotStopTheConversion) {
    scratch_dir dir;
    std::vector<segy_trace> traces;
    for (int t = 1; t <= 300; ++t) {
        traces.push_back(make_trace(t, 2, 4000, ibm_samples(ibm_pair)));
    }
    write_file(dir / "in.sgy", segy_file({2, 4000, 1}, traces));
    run_options options;
    options.console_closed = true;
    const run_result run = run_tarnvik(dir.path(), plain_answers("out.varn"), options);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(fs::file_size(dir / "out.varn"), 300u * 248u);
}

}  // namespace
}  // namespace tarnvik::testing
