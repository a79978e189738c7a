// Hostile answers, damaged files and failing disks: every run ends with a
// defined message and exit status, and nothing the user owns is lost,
// half-written or left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/dialogue_text.hpp"
#include "support/run_binary.hpp"
#include "support/segy_builder.hpp"

namespace tarnvik::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint32_t> ibm_pair = {0x41100000, 0xC276A000};  // 1.0, -118.625

bytes small_input(int traces = 1) {
    std::vector<segy_trace> list;
    for (int t = 1; t <= traces; ++t) {
        list.push_back(make_trace(t, 2, 4000, ibm_samples(ibm_pair)));
    }
    return segy_file({2, 4000, 1}, list);
}

std::string trace_line(int count, int ssn, int trace) {
    return std::to_string(count) + " Writing SSN " + std::to_string(ssn) + " Trace " +
           std::to_string(trace) + " Normalizing value = 1.000000\n";
}

const std::string before_output =
    banner + input_prompt + reel_summary_text(2, 1, 4000) + data_type_prompt + override_prompt(1);

TEST(HostileAnswers, MegabyteLinesAreCutAndConsumedWhole) {
    scratch_dir dir;
    write_file(dir / "in.sgy", small_input());
    const std::string megabyte(1 << 20, 'y');
    const std::string digits(1 << 20, '7');
    // A megabyte at the pause, as the data type (saturating: asked again),
    // as the channel override and at every yes/no question.
    const run_result run =
        run_tarnvik(dir.path(), megabyte + "\nin.sgy\n" + digits + "\n1\n" + digits +
                                    "\nout.varn\n" + megabyte + "\n" + megabyte + "\n" + megabyte +
                                    "\n" + megabyte + "\n" + "1000" + digits + "\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, banner + input_prompt + reel_summary_text(2, 1, 4000) + data_type_prompt +
                           data_type_prompt + override_prompt(1) + output_prompt +
                           appending_to("out.varn") + distance_prompt + float_distance_prompt +
                           force_prompt + fix_prompt_after_yes + fixed_length_prompt +
                           "Can't accept values > 32767 start over.\n");
}

TEST(HostileAnswers, MegabyteFileNameIsRefused) {
    scratch_dir dir;
    write_file(dir / "in.sgy", small_input());
    const run_result run = run_tarnvik(dir.path(), "\n" + std::string(1 << 20, 'a') + "\n");
    EXPECT_EQ(run.out, banner + input_prompt + "\nFile name too long: at most 4095 bytes.\n");
    EXPECT_EQ(run.status, 1);
}

TEST(HostileAnswers, NulBytesAndGarbage) {
    struct garbage_case {
        const char* what;
        std::string answers;
        std::string ending;
        int status;
    };
    const std::string nul(1, '\0');
    const garbage_case cases[] = {
        {"NUL in the input name", "\nin.sgy" + nul + "x\n", "\nFile name holds a NUL byte.\n", 1},
        {"NUL in the output name", "\nin.sgy\n0\n\nout" + nul + ".varn\n",
         "\nFile name holds a NUL byte.\n", 1},
        {"garbage input name", "\n\x01\xff\xfe\x80\n", "File not found\n", 1},
        {"garbage and NUL answers",
         "\nin.sgy\n" + nul + "\xff\n\xfe" + nul + "\nout.varn\n" + nul + "y\n\x80\n\xff\n0\n",
         "2 Writing SSN 0 Trace 1 Normalizing value = 1.000000\n", 0},
    };
    for (const garbage_case& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_dir dir;
        write_file(dir / "in.sgy", small_input());
        const run_result run = run_tarnvik(dir.path(), c.answers);
        EXPECT_TRUE(run.out.ends_with(c.ending)) << run.out;
        EXPECT_EQ(run.status, c.status);
        if (c.status != 0) {
            EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"in.sgy"});
        }
    }
}

TEST(HostileAnswers, NumbersBeyond32BitsSaturate) {
    scratch_dir dir;
    write_file(dir / "in.sgy", small_input(2));
    // Data type 2^32 + 1 saturates and is asked again. Channels of 10^11
    // saturate at 2147483647 (word 1 = 0xFFFF), so no record completes and
    // the SSN, saturated at 2147483647 too, stays; word 91 holds its low 16
    // bits and the progress line shows them as -1.
    const run_result run = run_tarnvik(dir.path(),
                                       "\nin.sgy\n4294967297\n1\n99999999999\nout.varn\nn\nn\nn\n"
                                       "99999999999\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.ends_with(trace_line(2, -1, 1) + trace_line(2, -1, 2))) << run.out;
    const bytes out = read_file(dir / "out.varn");
    ASSERT_EQ(out.size(), 2u * 248u);
    EXPECT_EQ(out[2], 0xFF);  // channel count word, low byte
    EXPECT_EQ(out[3], 0xFF);
    EXPECT_EQ(out[182], 0xFF);  // SSN word of 2147483647
    EXPECT_EQ(out[183], 0xFF);
}

TEST(HostileAnswers, NamesThatAreNoUsableFiles) {
    struct name_case {
        const char* what;
        std::string input;
        std::string output;
        std::string ending;
        int status;
    };
    const std::string long_name(4095, 'n');
    const name_case cases[] = {
        {"directory as input", "folder", "", "Corrupt data file\n", 1},
        {"character device as input", "/dev/zero", "", "/dev/zero is not a disk file\n", 1},
        {"named pipe as input", "pipe", "", "pipe is not a disk file\n", 1},
        {"4095-byte input name", long_name, "", "File not found\n", 1},
        {"10000-byte input name", std::string(10000, 'n'), "",
         "\nFile name too long: at most 4095 bytes.\n", 1},
        {"directory as output", "in.sgy", "folder",
         "Cannot open output file folder: Is a directory\n", 1},
        {"4095-byte output name", "in.sgy", long_name,
         "Cannot open output file " + long_name + ": File name too long\n", 1},
        {"10000-byte output name", "in.sgy", std::string(10000, 'n'),
         "\nFile name too long: at most 4095 bytes.\n", 1},
        {"device as output", "in.sgy", "/dev/null",
         "2 Writing SSN 0 Trace 1 Normalizing value = 1.000000\n", 0},
    };
    for (const name_case& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_dir dir;
        write_file(dir / "in.sgy", small_input());
        fs::create_directory(dir / "folder");
        ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
        const std::string answers = "\n" + c.input + "\n0\n\n" +
                                    (c.output.empty() ? "x.varn" : c.output) + "\nn\nn\nn\n0\n";
        const run_result run = run_tarnvik(dir.path(), answers);
        EXPECT_TRUE(run.out.ends_with(c.ending)) << run.out.substr(run.out.size() - 200);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(files_in(dir.path()), (std::vector<std::string>{"folder", "in.sgy", "pipe"}));
    }
}

// A named pipe with no reader as the output: opening it must not wait.
TEST(HostileAnswers, NamedPipeWithoutAReaderAsOutput) {
    if (testing_windows_build()) {
        GTEST_SKIP() << "named pipes of the file system are POSIX only";
    }
    scratch_dir dir;
    write_file(dir / "in.sgy", small_input());
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\npipe\nn\nn\nn\n0\n");
    EXPECT_TRUE(run.out.ends_with("Cannot open output file pipe: No such device or address\n"));
    EXPECT_EQ(run.status, 1);
}

TEST(Faults, OutputDirectoryWithoutWritePermission) {
    if (testing_windows_build()) {
        GTEST_SKIP() << "permissions are tested as an unprivileged POSIX user";
    }
    scratch_dir dir;
    fs::permissions(dir.path(), fs::perms::all);
    write_file(dir / "in.sgy", small_input());
    fs::create_directory(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
    run_options options;
    options.user = unprivileged_user();
    const run_result run =
        run_tarnvik(dir.path(), "\nin.sgy\n0\n\nlocked/out.varn\nn\nn\nn\n0\n", options);
    EXPECT_EQ(run.out, before_output + output_prompt + appending_to("locked/out.varn") +
                           "Cannot open output file locked/out.varn: Permission denied\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(fs::is_empty(dir / "locked"));
}

// In place needs the input writable and room for the temporary file
// beside it; without either, the input stays as it was.
TEST(Faults, InPlaceWithoutPermission) {
    if (testing_windows_build()) {
        GTEST_SKIP() << "permissions are tested as an unprivileged POSIX user";
    }
    struct permission_case {
        const char* what;
        fs::perms input;
        fs::perms directory;
        std::string ending;
    };
    const fs::perms read_write = fs::perms::owner_read | fs::perms::owner_write |
                                 fs::perms::group_read | fs::perms::group_write |
                                 fs::perms::others_read | fs::perms::others_write;
    const fs::perms read_only =
        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const fs::perms locked_directory =
        read_only | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    const permission_case cases[] = {
        {"read-only input", read_only, fs::perms::all,
         "Cannot convert in.sgy in place: Permission denied\n"},
        {"read-only directory", read_write, locked_directory,
         "Cannot create a temporary file beside in.sgy: Permission denied\n"},
    };
    for (const permission_case& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_dir dir;
        fs::permissions(dir.path(), fs::perms::all);
        fs::create_directory(dir / "work");
        write_file(dir / "work" / "in.sgy", small_input());
        fs::permissions(dir / "work" / "in.sgy", c.input);
        fs::permissions(dir / "work", c.directory);
        run_options options;
        options.user = unprivileged_user();
        const run_result run =
            run_tarnvik(dir / "work", "\nin.sgy\n0\n\nin.sgy\ny\nn\nn\nn\n0\n", options);
        EXPECT_EQ(run.out, before_output + output_prompt + same_file_warning + c.ending);
        EXPECT_EQ(run.status, 1);
        fs::permissions(dir / "work", fs::perms::all);
        EXPECT_EQ(read_file(dir / "work" / "in.sgy"), small_input());
        EXPECT_EQ(files_in(dir / "work"), std::vector<std::string>{"in.sgy"});
    }
}

// The disk filling up at the final write-out of a file of many blocks: the
// console ends at the last trace, the output keeps the whole traces before
// it (in place, the input stays as it was).
TEST(Faults, DiskFullAtTheFinalWriteOut) {
    if (testing_windows_build()) {
        GTEST_SKIP() << "Wine does not show a per-process file size limit to the program";
    }
    constexpr int traces = 1000;
    constexpr int samples = 1000;
    constexpr std::uint64_t trace_size = 240 + 4 * samples;
    std::vector<segy_trace> list;
    for (int t = 1; t <= traces; ++t) {
        list.push_back(make_trace(t, samples, 4000,
                                  ibm_samples(std::vector<std::uint32_t>(samples, 0x41100000))));
    }
    const bytes input = segy_file({samples, 4000, 1}, list);
    for (const bool in_place : {false, true}) {
        SCOPED_TRACE(in_place);
        scratch_dir dir;
        write_file(dir / "in.sgy", input);
        run_options options;
        options.file_size_limit = traces * trace_size - 100;
        // The input itself is larger than the limit, which only matters
        // for writing.
        const std::string output = in_place ? "in.sgy\ny" : "out.varn";
        const run_result run =
            run_tarnvik(dir.path(), "\nin.sgy\n0\n\n" + output + "\nn\nn\nn\n1\n", options);
        EXPECT_TRUE(run.out.ends_with(trace_line(samples, traces - 1, traces - 1) +
                                      trace_line(samples, traces, traces) +
                                      "Error writing trace data\n"));
        EXPECT_EQ(run.status, 1);
        if (in_place) {
            EXPECT_EQ(read_file(dir / "in.sgy"), input);
            EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"in.sgy"});
        } else {
            EXPECT_EQ(fs::file_size(dir / "out.varn"), (traces - 1) * trace_size);
        }
    }
}

TEST(Faults, DiskFullAtTheFirstTrace) {
    if (testing_windows_build()) {
        GTEST_SKIP() << "Wine does not show a per-process file size limit to the program";
    }
    for (const bool in_place : {false, true}) {
        SCOPED_TRACE(in_place);
        scratch_dir dir;
        write_file(dir / "in.sgy", small_input(3));
        run_options options;
        options.file_size_limit = 100;
        // The limit holds for the console file too, so only the status and
        // the files are looked at.
        const std::string output = in_place ? "in.sgy\ny" : "out.varn";
        const run_result run =
            run_tarnvik(dir.path(), "\nin.sgy\n0\n\n" + output + "\nn\nn\nn\n0\n", options);
        EXPECT_EQ(run.status, 1);
        if (in_place) {
            EXPECT_EQ(read_file(dir / "in.sgy"), small_input(3));
            EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"in.sgy"});
        } else {
            EXPECT_EQ(fs::file_size(dir / "out.varn"), 0u);
        }
    }
}

TEST(DamagedFiles, SampleCountsThatCannotBeRead) {
    struct damage_case {
        const char* what;
        bytes input;
        std::string ending;
    };
    bytes cut = small_input(2);
    cut.resize(cut.size() - 5);
    bytes past_end = small_input(1);
    segy_trace huge = make_trace(2, 30000, 4000, ibm_samples(ibm_pair));
    bytes with_huge =
        concat({past_end, bytes(huge.header.begin(), huge.header.end()), huge.samples});
    const damage_case cases[] = {
        {"last trace cut short", cut,
         trace_line(2, 0, 1) + "2 Error during data read.  Corrupt data\n"},
        {"count pointing past the end", with_huge,
         trace_line(2, 0, 1) + "30000 Error during data read.  Corrupt data\n"},
        {"count 0x8000",
         segy_file({2, 4000, 1}, {make_trace(1, 0x8000, 4000, ibm_samples(ibm_pair))}),
         "-32768 Error during data read.  Corrupt data\n"},
        {"count 0xFFFF",
         segy_file({2, 4000, 1}, {make_trace(1, 0xFFFF, 4000, ibm_samples(ibm_pair))}),
         "-1 Error during data read.  Corrupt data\n"},
    };
    for (const damage_case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool in_place : {false, true}) {
            scratch_dir dir;
            write_file(dir / "in.sgy", c.input);
            // The trace's own counts are forced, so damaged counts are used.
            const std::string output = in_place ? "in.sgy\ny" : "out.varn";
            const run_result run =
                run_tarnvik(dir.path(), "\nin.sgy\n0\n\n" + output + "\nn\ny\nn\n0\n");
            EXPECT_TRUE(run.out.ends_with(c.ending)) << run.out.substr(run.out.size() - 120);
            EXPECT_EQ(run.status, 1);
            if (in_place) {
                EXPECT_EQ(read_file(dir / "in.sgy"), c.input);
                EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"in.sgy"});
            }
        }
    }
}

// Killed in the middle of an in-place conversion, the input is byte for
// byte the original; only the temporary file, named for what it is, stays.
TEST(Faults, KilledInPlaceLeavesTheInputAsItWas) {
    scratch_dir dir;
    std::vector<segy_trace> list;
    for (int t = 1; t <= 20000; ++t) {
        list.push_back(make_trace(t, 2, 4000, ibm_samples(ibm_pair)));
    }
    const bytes input = segy_file({2, 4000, 1}, list);
    write_file(dir / "in.sgy", input);
    stalled_run run = start_stalled(dir.path(), "\nin.sgy\n0\n\nin.sgy\ny\nn\nn\nn\n0\n");
    // Wait until converted traces have reached the temporary file.
    std::string temporary;
    for (int i = 0; i < 500 && temporary.empty(); ++i) {
        for (const std::string& name : files_in(dir.path())) {
            if (name.starts_with("in.sgy.tarnvik-converting-") && fs::file_size(dir / name) > 0) {
                temporary = name;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(kill_run(run), 128 + 9);
    EXPECT_FALSE(temporary.empty());
    EXPECT_EQ(read_file(dir / "in.sgy"), input);
}

}  // namespace
}  // namespace tarnvik::testing
