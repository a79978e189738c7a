#include "driver/console.hpp"

#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "support/test_console.hpp"

namespace tarnvik {
namespace {

TEST(ReadAnswer, LinesWithoutTheirEndings) {
    testing::test_console console("yes\r\nno\n\r\nlast\rx\nend");
    std::array<char, 12> answer{};
    std::vector<std::string> got;
    for (int i = 0; i < 5; ++i) {
        const answer_line line = read_answer(console.con(), answer);
        EXPECT_FALSE(line.ended);
        got.emplace_back(answer.data());
    }
    EXPECT_EQ(got, (std::vector<std::string>{"yes", "no", "", "last\rx", "end"}));
    EXPECT_TRUE(read_answer(console.con(), answer).ended);
}

TEST(ReadAnswer, OverLongLineIsCutAndItsRestConsumed) {
    testing::test_console console("abcdefghijklmnop\ny\n");
    std::array<char, 12> answer{};
    const answer_line line = read_answer(console.con(), answer);
    EXPECT_TRUE(line.cut);
    EXPECT_STREQ(answer.data(), "abcdefghijk");
    EXPECT_FALSE(read_answer(console.con(), answer).cut);
    EXPECT_STREQ(answer.data(), "y");
}

TEST(ReadAnswer, NulBytesAreReported) {
    testing::test_console console(std::string("y\0n\n", 4));
    std::array<char, 12> answer{};
    EXPECT_TRUE(read_answer(console.con(), answer).has_nul);
    EXPECT_STREQ(answer.data(), "y");
}

TEST(ReadAnswer, ReleasesHeldTextFirst) {
    testing::test_console console("1\n");
    print(console.con(), "Prompt ");
    std::array<char, 12> answer{};
    read_answer(console.con(), answer);
    EXPECT_EQ(console.con().held_size, 0u);
    EXPECT_EQ(console.text(), "Prompt ");
}

TEST(ParseDecimal, Table) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"", 0},
        {"abc", 0},
        {"4", 4},
        {"  +4 word", 4},
        {"-3", -3},
        {"48x", 48},
        {"\t\v\f\r 7", 7},
        {"+-5", 0},
        {"- 5", 0},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"99999999999999999999", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"-99999999999", -2147483647 - 1},
        {"007", 7},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(parse_decimal(text), value) << '"' << text << '"';
    }
}

TEST(IsYes, OnlyTheFirstCharacterCounts) {
    for (const char* yes : {"y", "Y", "yes", "yellow"}) {
        EXPECT_TRUE(is_yes(yes)) << yes;
    }
    for (const char* no : {"", "n", " y", "N", "1"}) {
        EXPECT_FALSE(is_yes(no)) << no;
    }
}

TEST(ReadDecimal, Table) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"\n\n  \n12 34\n", 12},       {"abc\n", 0}, {"-5\n", -5}, {"", 0}, {"+\n", 0}, {"   ", 0},
        {"99999999999\n", 2147483647},
    };
    for (const auto& [text, value] : cases) {
        testing::test_console console(text);
        EXPECT_EQ(read_decimal(console.con()), value) << '"' << text << '"';
    }
}

TEST(ConsoleHold, ReleaseUpToDropsTheTextAfterTheMark) {
    testing::test_console console;
    print(console.con(), "first ");
    const std::int64_t mark = printed_so_far(console.con());
    print(console.con(), "second");
    release_up_to(console.con(), mark);
    EXPECT_EQ(console.text(), "first ");
}

TEST(ClearConsole, OnlyATerminalIsCleared) {
    for (const bool terminal : {false, true}) {
        testing::test_console console;
        console.con().out_is_terminal = terminal;
        clear_console(console.con());
        EXPECT_EQ(console.text(), terminal ? "\x1b[H\x1b[2J" : "");
    }
}

}  // namespace
}  // namespace tarnvik
