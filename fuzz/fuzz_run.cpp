// Fuzz target: one whole run, in process, in a private directory. The data
// holds the answers and the input file:
//
//   byte 0      flags: bit 0 converts in place
//   bytes 1-2   length A of the answer material (big-endian)
//   A bytes     answer lines, newline-separated, one a question
//   the rest    the input file
//
// The file names are the harness's own, in its own directory, so no answer
// can name a file elsewhere: answer lines lose every slash. A run must end
// with status 0, 1 or -1; must leave no temporary file; an input converted
// in place must be the original unless the run succeeded; and an output
// must hold whole traces only.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "driver/console.hpp"
#include "driver/run.hpp"
#include "segy/reel_header.hpp"

namespace {

namespace fs = std::filesystem;

using namespace tarnvik;

// Aborts with a message, so the fuzzer keeps the input.
void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz_run: %s\n", what);
        std::abort();
    }
}

const fs::path& work_directory() {
    static const fs::path dir = [] {
        char pattern[] = "/tmp/tarnvik-fuzz-XXXXXX";
        require(mkdtemp(pattern) != nullptr, "no private directory");
        require(chdir(pattern) == 0, "cannot enter the private directory");
        return fs::path(pattern);
    }();
    return dir;
}

// Hands out the answer lines in turn; missing lines are empty.
struct answer_lines {
    std::vector<std::string> lines;
    std::size_t next = 0;
    std::string take() {
        return next < lines.size() ? lines[next++] : std::string();
    }
};

std::vector<std::uint8_t> read_all(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The answers a dialogue over this input asks for, one line a question:
// questions that repeat get a valid answer after the fuzzed one, so that
// the output name always lands on its own question.
std::string script(answer_lines& fuzzed, bool in_place, const std::vector<std::uint8_t>& file) {
    std::string answers = fuzzed.take() + "\nin.sgy\n";
    if (file.size() < reel_header_size) {
        return answers;
    }
    std::array<std::uint8_t, reel_header_size> reel_bytes{};
    std::copy(file.begin(), file.begin() + reel_header_size, reel_bytes.begin());
    const reel_summary reel = decode_reel_header(reel_bytes);
    if (reel.format_code < 1 || reel.format_code > 3) {
        return answers;
    }
    const std::string type = fuzzed.take();
    const std::int32_t code = parse_decimal(type.c_str());
    answers += type + "\n" + (code >= 0 && code <= 4 && code != 3 ? "" : "1\n");
    std::int32_t channels = reel.traces_per_record;
    if (channels < 1) {
        const std::string given = fuzzed.take();
        channels = parse_decimal(given.c_str());
        answers += given + "\n" + (channels < 1 ? "3\n" : "");
    }
    answers += fuzzed.take() + "\n";
    answers += in_place ? "in.sgy\n" + fuzzed.take() + "\n" : "out.varn\n";
    const std::string distances = fuzzed.take();
    answers += distances + "\n";
    if (is_yes(distances.c_str())) {
        answers += fuzzed.take() + "\n";
    }
    answers += fuzzed.take() + "\n";  // force the trace counts
    const std::string fixed = fuzzed.take();
    answers += fixed + "\n";
    if (is_yes(fixed.c_str())) {
        answers += fuzzed.take() + "\n";
    }
    return answers + fuzzed.take() + "\n";
}

// A VARN file of whole traces: each header's word 57 states the samples
// that follow it, at least one.
bool whole_traces(const std::vector<std::uint8_t>& out) {
    std::size_t at = 0;
    while (at < out.size()) {
        if (out.size() - at < 240) {
            return false;
        }
        const auto count = static_cast<std::int16_t>(out[at + 114] | out[at + 115] << 8);
        if (count < 1) {
            return false;
        }
        at += 240 + 4 * static_cast<std::size_t>(count);
    }
    return at == out.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const fs::path& dir = work_directory();
    for (const auto& entry : fs::directory_iterator(dir)) {
        fs::remove_all(entry.path());
    }
    const bool in_place = (data[0] & 1) != 0;
    const std::size_t answer_size =
        std::min<std::size_t>(size - 3, static_cast<std::size_t>(data[1] << 8 | data[2]));
    answer_lines fuzzed;
    fuzzed.lines.emplace_back();
    for (std::size_t i = 3; i < 3 + answer_size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n') {
            fuzzed.lines.emplace_back();
        } else if (c != '/') {
            fuzzed.lines.back() += c;
        }
    }
    const std::vector<std::uint8_t> file(data + 3 + answer_size, data + size);
    {
        std::ofstream out(dir / "in.sgy", std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()),
                  static_cast<std::streamsize>(file.size()));
    }
    std::string answers = script(fuzzed, in_place, file);

    static auto* run = static_cast<run_state*>(::operator new(sizeof(run_state)));
    new (run) run_state{};
    run->con.in = fmemopen(answers.data(), answers.size(), "rb");
    run->con.out = std::fopen("/dev/null", "wb");
    require(run->con.in != nullptr && run->con.out != nullptr, "no console");
    const int status = run_conversion(*run);
    std::fclose(run->con.in);
    std::fclose(run->con.out);

    require(status == 0 || status == 1 || status == -1, "an exit status outside 0, 1 and -1");
    bool temporary = false;
    for (const auto& entry : fs::directory_iterator(dir)) {
        temporary |=
            entry.path().filename().string().find(".tarnvik-converting-") != std::string::npos;
    }
    require(!temporary, "a temporary file left behind");
    if (in_place && status != 0) {
        require(read_all(dir / "in.sgy") == file, "an input converted in place was changed");
    }
    if (!in_place && fs::exists(dir / "out.varn")) {
        require(whole_traces(read_all(dir / "out.varn")), "an output holding part of a trace");
    }
    return 0;
}
