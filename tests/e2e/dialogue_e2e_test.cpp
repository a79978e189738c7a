// Whole runs of the program through its dialogue: exact console bytes,
// exit status and the files left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/dialogue_text.hpp"
#include "support/run_binary.hpp"
#include "support/segy_builder.hpp"

namespace tarnvik::testing {
namespace {

namespace fs = std::filesystem;

// An input of one reel header and one 2-sample IBM trace.
bytes one_trace_input(int traces_per_record = 24) {
    return segy_file({2, 4000, traces_per_record},
                     {make_trace(1, 2, 4000, ibm_samples({0x41100000, 0xC276A000}))});
}

// The output header word at `index` of the first output trace.
std::uint16_t first_word(const bytes& out, std::size_t index) {
    return static_cast<std::uint16_t>(out.at(2 * index) | (out.at(2 * index + 1) << 8));
}

const std::string trace_line = "2 Writing SSN 0 Trace 1 Normalizing value = 1.000000\n";

TEST(Dialogue, PlainRunOverAReelHeaderOnly) {
    scratch_dir dir;
    write_file(dir / "in.sgy", reel_header({1000, 2000, 24, 0, 3}));
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\nn\nn\nn\n1\n");
    EXPECT_EQ(run.out, plain_dialogue(1000, 24, 2000, "out.varn", "2 byte integer.\n"));
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(fs::exists(dir / "out.varn"));
    EXPECT_EQ(fs::file_size(dir / "out.varn"), 0u);
}

TEST(Dialogue, AnswersEndingInCarriageReturnsWorkAlike) {
    scratch_dir dir;
    write_file(dir / "in.sgy", one_trace_input());
    const run_result run =
        run_tarnvik(dir.path(), "\r\nin.sgy\r\n1\r\n\r\nout.varn\r\nn\r\nn\r\nn\r\n5\r\n");
    EXPECT_EQ(run.out, plain_dialogue(2, 24, 4000, "out.varn") +
                           "2 Writing SSN 5 Trace 1 Normalizing value = 1.000000\n");
    EXPECT_EQ(run.status, 0);
}

TEST(Dialogue, DataTypeCodeIsAskedAgainUntilAccepted) {
    struct code_case {
        std::string answers;
        int repeats;
        std::uint16_t code;
    };
    const code_case cases[] = {
        {"3\n5\n-1\n  +4 word\n", 4, 4},
        {"\n", 1, 0},
        {"2\n", 1, 2},
        {"99999999999\n1\n", 2, 1},
    };
    for (const code_case& c : cases) {
        SCOPED_TRACE(c.answers);
        scratch_dir dir;
        write_file(dir / "in.sgy", one_trace_input());
        const run_result run =
            run_tarnvik(dir.path(), "\nin.sgy\n" + c.answers + "\nout.varn\nn\nn\nn\n0\n");
        std::string prompts;
        for (int i = 0; i < c.repeats; ++i) {
            prompts += data_type_prompt;
        }
        EXPECT_EQ(run.out, banner + input_prompt + reel_summary_text(2, 24, 4000) + prompts +
                               override_prompt(24) + output_prompt + appending_to("out.varn") +
                               plain_questions(2) + trace_line);
        const bytes out = read_file(dir / "out.varn");
        EXPECT_EQ(first_word(out, 0), c.code);
        EXPECT_EQ(first_word(out, 2), c.code == 2 ? 12 : 0);
    }
}

TEST(Dialogue, ChannelCountFaultAsksUntilAtLeastOne) {
    scratch_dir dir;
    write_file(dir / "in.sgy", one_trace_input(0));
    const run_result run =
        run_tarnvik(dir.path(), "\nin.sgy\n0\n0\nabc\n24\n\nout.varn\nn\nn\nn\n0\n");
    EXPECT_EQ(run.out, banner + input_prompt + reel_summary_text(2, 0, 4000) + data_type_prompt +
                           channel_fault_prompt + channel_fault_prompt + channel_fault_prompt +
                           override_prompt(24) + output_prompt + appending_to("out.varn") +
                           plain_questions(2) + trace_line);
    EXPECT_EQ(first_word(read_file(dir / "out.varn"), 1), 24);
}

TEST(Dialogue, ChannelOverrideTakesOnlyPositiveNumbers) {
    const std::pair<std::string, std::uint16_t> cases[] = {
        {"", 24}, {"48x", 48}, {"-3", 24}, {"0", 24}, {"70000", 4464}};
    for (const auto& [answer, channels] : cases) {
        SCOPED_TRACE(answer);
        scratch_dir dir;
        write_file(dir / "in.sgy", one_trace_input());
        const run_result run =
            run_tarnvik(dir.path(), "\nin.sgy\n0\n" + answer + "\nout.varn\nn\nn\nn\n0\n");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(first_word(read_file(dir / "out.varn"), 1), channels);
    }
}

TEST(Dialogue, InputFileProblems) {
    struct input_case {
        const char* what;
        bool create;
        bytes content;
        std::string text;
        int status;
    };
    const input_case cases[] = {
        {"missing", false, {}, "File not found\n", 1},
        {"empty", true, {}, "Corrupt data file\n", 1},
        {"3599 bytes", true, bytes(3599, 0), "Corrupt data file\n", 1},
        {"refused format", true, reel_header({1000, 2000, 24, 1, 0}),
         "I'm sorry this type of data can not be processed.\n"
         "Data type = 0  (only 1,2,or3 allowable)\n"
         "Number samples = 1000Number channels = 24",
         0},
        {"format 5", true, reel_header({1, 1, 1, 0, 5}),
         "I'm sorry this type of data can not be processed.\n"
         "Data type = 5  (only 1,2,or3 allowable)\nNumber samples = 1Number channels = 1",
         0},
    };
    for (const input_case& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_dir dir;
        if (c.create) {
            write_file(dir / "in.sgy", c.content);
        }
        const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\nn\nn\nn\n0\n");
        EXPECT_EQ(run.out, banner + input_prompt + c.text);
        EXPECT_EQ(run.status, c.status);
        EXPECT_FALSE(fs::exists(dir / "out.varn"));
    }
}

TEST(Dialogue, DirectoryAsInputIsACorruptDataFile) {
    scratch_dir dir;
    fs::create_directory(dir / "folder");
    const run_result run = run_tarnvik(dir.path(), "\nfolder\n");
    EXPECT_EQ(run.out, banner + input_prompt + "Corrupt data file\n");
    EXPECT_EQ(run.status, 1);
}

TEST(Dialogue, DistanceFloatQuestionOnlyAfterYes) {
    const std::pair<std::string, bool> cases[] = {{"n", false}, {"", false}, {"Yes", true}};
    for (const auto& [answer, asked] : cases) {
        SCOPED_TRACE(answer);
        scratch_dir dir;
        write_file(dir / "in.sgy", reel_header({1000, 2000, 24}));
        const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\n" + answer + "\n" +
                                                           (asked ? "n\n" : "") + "n\nn\n0\n");
        EXPECT_EQ(run.out, banner + input_prompt + reel_summary_text(1000, 24, 2000) +
                               data_type_prompt + override_prompt(24) + output_prompt +
                               appending_to("out.varn") + distance_prompt +
                               (asked ? float_distance_prompt : "") + force_prompt +
                               fix_prompt_after_no(1000) + ssn_prompt);
    }
}

TEST(Dialogue, FixedLengthQuestionWordingFollowsTheForceAnswer) {
    scratch_dir dir;
    write_file(dir / "in.sgy", reel_header({1000, 2000, 24}));
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\nn\ny\ny\n1\n0\n");
    EXPECT_EQ(run.out, banner + input_prompt + reel_summary_text(1000, 24, 2000) +
                           data_type_prompt + override_prompt(24) + output_prompt +
                           appending_to("out.varn") + distance_prompt + force_prompt +
                           fix_prompt_after_yes + fixed_length_prompt + ssn_prompt);
    EXPECT_EQ(run.status, 0);
}

TEST(Dialogue, FixedLengthOutsideOneTo32767IsRefused) {
    const std::pair<std::string, std::string> cases[] = {
        {"0", "Can't accept values < 1 start over.\n"},
        {"-10", "Can't accept values < 1 start over.\n"},
        {"", "Can't accept values < 1 start over.\n"},
        {"32768", "Can't accept values > 32767 start over.\n"},
        {"99999999999", "Can't accept values > 32767 start over.\n"},
    };
    for (const auto& [answer, refusal] : cases) {
        SCOPED_TRACE(answer);
        scratch_dir dir;
        write_file(dir / "in.sgy", one_trace_input());
        const run_result run =
            run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\nn\nn\ny\n" + answer + "\n0\n");
        EXPECT_EQ(run.out, banner + input_prompt + reel_summary_text(2, 24, 4000) +
                               data_type_prompt + override_prompt(24) + output_prompt +
                               appending_to("out.varn") + distance_prompt + force_prompt +
                               fix_prompt_after_no(2) + fixed_length_prompt + refusal);
        EXPECT_EQ(run.status, 0);
        // The output opened before the question stays, untouched.
        EXPECT_EQ(fs::file_size(dir / "out.varn"), 0u);
    }
}

TEST(Dialogue, StartingSsnReading) {
    const std::pair<std::string, std::uint16_t> cases[] = {
        {"\n\n12 34\n", 12}, {"abc\n", 0}, {"-5\n", 0xFFFB}, {"", 0}, {"70000\n", 4464}};
    for (const auto& [answer, ssn] : cases) {
        SCOPED_TRACE(answer);
        scratch_dir dir;
        write_file(dir / "in.sgy", one_trace_input());
        const run_result run =
            run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\nn\nn\nn\n" + answer);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(first_word(read_file(dir / "out.varn"), 91), ssn);
    }
}

// Standard input ending at each question in turn: a clear message, status
// 1, nothing converted, and an output this run created is gone.
TEST(Dialogue, AnswersEndingAtAnyQuestion) {
    const std::vector<std::string> answers = {"",  "in.sgy", "0", "", "out.varn",
                                              "y", "y",      "n", "y"};
    for (std::size_t given = 0; given < answers.size(); ++given) {
        SCOPED_TRACE(given);
        scratch_dir dir;
        write_file(dir / "in.sgy", one_trace_input());
        std::string text;
        for (std::size_t i = 0; i < given; ++i) {
            text += answers[i] + "\n";
        }
        const run_result run = run_tarnvik(dir.path(), text);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.ends_with(answers_ended)) << run.out;
        EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"in.sgy"});
    }
}

TEST(Dialogue, AnswersEndingLeaveAnExistingOutputAsItWas) {
    scratch_dir dir;
    write_file(dir / "in.sgy", one_trace_input());
    const bytes earlier{1, 2, 3, 4, 5};
    write_file(dir / "out.varn", earlier);
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\nn\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(read_file(dir / "out.varn"), earlier);
}

TEST(Dialogue, OverLongFileNamesAreRefusedWithNothingCreated) {
    const std::string long_name(4096, 'a');
    for (const bool as_output : {false, true}) {
        SCOPED_TRACE(as_output);
        scratch_dir dir;
        write_file(dir / "in.sgy", one_trace_input());
        const std::string answers =
            as_output ? "\nin.sgy\n0\n\n" + long_name + "\nn\nn\nn\n0\n" : "\n" + long_name + "\n";
        const run_result run = run_tarnvik(dir.path(), answers);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.ends_with("\nFile name too long: at most 4095 bytes.\n")) << run.out;
        EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"in.sgy"});
    }
}

TEST(Dialogue, OutputThatCannotBeOpenedIsReportedWithItsReason) {
    scratch_dir dir;
    write_file(dir / "in.sgy", one_trace_input());
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nmissing/out.varn\nn\nn\nn\n0\n");
    EXPECT_EQ(run.out, banner + input_prompt + reel_summary_text(2, 24, 4000) + data_type_prompt +
                           override_prompt(24) + output_prompt + appending_to("missing/out.varn") +
                           "Cannot open output file missing/out.varn: No such file or directory\n");
    EXPECT_EQ(run.status, 1);
}

TEST(Dialogue, AppendModeKeepsWhatTheOutputHeld) {
    scratch_dir dir;
    write_file(dir / "in.sgy", reel_header({2, 4000, 24}));
    const bytes earlier(1000, 0x5A);
    write_file(dir / "out.varn", earlier);
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\nn\nn\nn\n0\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file(dir / "out.varn"), earlier);
}

// The same-file test goes by the file itself, not by the spelling.
TEST(Dialogue, OutputNamingTheInputFileAsksForConfirmation) {
    struct name_case {
        const char* output;
        bool same;
    };
    // A name that differs in letter case is another file where names are
    // case-sensitive, and the same file on Windows.
    const name_case cases[] = {
        {"in.sgy", true},
        {"./in.sgy", true},
        {"link.sgy", true},
        {"hard.sgy", true},
        {"IN.SGY", testing_windows_build()},
    };
    for (const name_case& c : cases) {
        SCOPED_TRACE(c.output);
        scratch_dir dir;
        write_file(dir / "in.sgy", one_trace_input());
        fs::create_symlink("in.sgy", dir / "link.sgy");
        fs::create_hard_link(dir / "in.sgy", dir / "hard.sgy");
        const run_result run =
            run_tarnvik(dir.path(), std::string("\nin.sgy\n0\n\n") + c.output + "\nno\n");
        const std::string before = banner + input_prompt + reel_summary_text(2, 24, 4000) +
                                   data_type_prompt + override_prompt(24) + output_prompt;
        if (c.same) {
            EXPECT_EQ(run.out, before + same_file_warning + "Wise choice!\n");
            EXPECT_EQ(run.status, 0);
        } else {
            EXPECT_EQ(run.out, before + appending_to(c.output) + distance_prompt + force_prompt +
                                   answers_ended);
            EXPECT_EQ(run.status, 1);
        }
        EXPECT_EQ(read_file(dir / "in.sgy"), one_trace_input());
    }
}

TEST(Dialogue, DeclinedConfirmationsLeaveEverythingAsItWas) {
    for (const std::string answer : {"yes", " Y", "", "n", "yy"}) {
        SCOPED_TRACE(answer);
        scratch_dir dir;
        write_file(dir / "in.sgy", one_trace_input());
        const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nin.sgy\n" + answer + "\n");
        EXPECT_TRUE(run.out.ends_with(same_file_warning + "Wise choice!\n"));
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"in.sgy"});
        EXPECT_EQ(read_file(dir / "in.sgy"), one_trace_input());
    }
}

TEST(Dialogue, ReadOnlyInputIsNotConvertedInPlace) {
    scratch_dir dir;
    write_file(dir / "in.sgy", one_trace_input());
    fs::permissions(dir / "in.sgy", fs::perms::owner_read | fs::perms::group_read);
    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nin.sgy\ny\nn\nn\nn\n0\n");
    EXPECT_TRUE(run.out.ends_with(same_file_warning +
                                  "Cannot convert in.sgy in place: the file is read-only\n"))
        << run.out;
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(read_file(dir / "in.sgy"), one_trace_input());
    EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"in.sgy"});
}

}  // namespace
}  // namespace tarnvik::testing
