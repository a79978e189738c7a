// tarnvik-inspect: shows what a VARN trace file holds, so that a
// conversion can be checked: a summary, the trace headers as a table, or a
// picture of the traces.
//
// Exit status: 0 for a well-formed file, 1 when problems were found in it,
// 2 when the command line is wrong or a file cannot be read or written.
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "inspect/header_table.hpp"
#include "inspect/png_file.hpp"
#include "inspect/section_image.hpp"
#include "inspect/summary.hpp"
#include "inspect/varn_reader.hpp"

namespace {

using namespace tarnvik;

constexpr int status_well_formed = 0;
constexpr int status_problems = 1;
constexpr int status_trouble = 2;

constexpr double clip_percentile = 99;

constexpr const char* usage_text =
    "Usage: tarnvik-inspect [--headers] [--image OUT.png] [--traces A:B] FILE\n"
    "\n"
    "Shows what a VARN trace file holds. Without options: a summary of its\n"
    "traces, records, distances and amplitudes, and any problems found.\n"
    "\n"
    "  --headers         one line per trace with the header words, as CSV\n"
    "  --image OUT.png   a picture of the traces (variable density, traces\n"
    "                    left to right, time downwards) written to OUT.png\n"
    "  --traces A:B      only traces A to B (counted from 1) in the table or\n"
    "                    picture; A: runs to the last trace, :B from the first\n"
    "  --help            this text\n"
    "\n"
    "Exit status: 0 for a well-formed file, 1 when problems were found,\n"
    "2 when the command line is wrong or a file cannot be read or written.\n";

struct options {
    const char* file = nullptr;
    bool headers = false;
    const char* image = nullptr;
    std::int64_t first_trace = 1;
    std::int64_t last_trace = INT64_MAX;
    bool traces_given = false;
};

// A positive trace number; false when the text is not one.
bool parse_trace_number(const char* begin, const char* end, std::int64_t& number) {
    if (begin == end) {
        return false;
    }
    number = 0;
    for (const char* c = begin; c != end; ++c) {
        if (*c < '0' || *c > '9' || number > (INT64_MAX - 9) / 10) {
            return false;
        }
        number = number * 10 + (*c - '0');
    }
    return number >= 1;
}

// "A:B", "A:", ":B" or "A".
bool parse_trace_range(const char* text, options& chosen) {
    const char* colon = std::strchr(text, ':');
    const char* end = text + std::strlen(text);
    if (colon == nullptr) {
        if (!parse_trace_number(text, end, chosen.first_trace)) {
            return false;
        }
        chosen.last_trace = chosen.first_trace;
        return true;
    }
    if (colon != text && !parse_trace_number(text, colon, chosen.first_trace)) {
        return false;
    }
    if (colon + 1 != end && !parse_trace_number(colon + 1, end, chosen.last_trace)) {
        return false;
    }
    return chosen.first_trace <= chosen.last_trace && (colon != text || colon + 1 != end);
}

__attribute__((format(printf, 1, 2))) int usage_error(const char* format, ...) {
    std::fprintf(stderr, "tarnvik-inspect: ");
    std::va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fprintf(stderr, "\nTry 'tarnvik-inspect --help'.\n");
    return status_trouble;
}

// The value of an option given as "--name VALUE" or "--name=VALUE".
const char* option_value(int argc, char** argv, int& i, const char* name) {
    const std::size_t length = std::strlen(name);
    if (std::strncmp(argv[i], name, length) != 0) {
        return nullptr;
    }
    if (argv[i][length] == '=') {
        return argv[i] + length + 1;
    }
    if (argv[i][length] == '\0' && i + 1 < argc) {
        return argv[++i];
    }
    return nullptr;
}

// 0 to go on, otherwise the exit status with which to end.
int parse_options(int argc, char** argv, options& chosen, bool& help) {
    bool only_files = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (only_files || arg[0] != '-' || arg[1] == '\0') {
            if (chosen.file != nullptr) {
                return usage_error("more than one file given: %s", arg);
            }
            chosen.file = arg;
        } else if (std::strcmp(arg, "--") == 0) {
            only_files = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            help = true;
            return 0;
        } else if (std::strcmp(arg, "--headers") == 0) {
            chosen.headers = true;
        } else if (std::strncmp(arg, "--image", 7) == 0 && (arg[7] == '\0' || arg[7] == '=')) {
            chosen.image = option_value(argc, argv, i, "--image");
            if (chosen.image == nullptr || *chosen.image == '\0') {
                return usage_error("%s needs the name of the picture to write", "--image");
            }
        } else if (std::strncmp(arg, "--traces", 8) == 0 && (arg[8] == '\0' || arg[8] == '=')) {
            const char* range = option_value(argc, argv, i, "--traces");
            if (range == nullptr) {
                return usage_error("%s needs a range of traces, such as 1:100", "--traces");
            }
            if (!parse_trace_range(range, chosen)) {
                return usage_error("not a range of traces: %s (such as 1:100, 50: or :100)", range);
            }
            chosen.traces_given = true;
        } else {
            return usage_error("unknown option %s", arg);
        }
    }
    if (chosen.file == nullptr) {
        return usage_error("no file given");
    }
    if (chosen.traces_given && !chosen.headers && chosen.image == nullptr) {
        return usage_error("%s chooses traces for --headers or --image", "--traces");
    }
    return 0;
}

// All storage of an inspection; nothing is allocated per trace.
struct inspection {
    varn_reader reader;
    varn_trace trace;
    problem_log problems;
    varn_summary summary;
    section_grid section;
};

int finish(const options& chosen, inspection& run, bool stopped_for_output) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "tarnvik-inspect: cannot write the output: %s\n",
                     std::strerror(errno));
        return status_trouble;
    }
    if (stopped_for_output) {
        return status_trouble;
    }
    const bool summary_mode = !chosen.headers && chosen.image == nullptr;
    if (!summary_mode && run.problems.count > 0) {
        std::fprintf(stderr, "tarnvik-inspect: %lld problem%s in %s:\n",
                     static_cast<long long>(run.problems.count), run.problems.count == 1 ? "" : "s",
                     chosen.file);
        print_problems(stderr, "  ", run.problems);
    }
    return run.problems.count > 0 ? status_problems : status_well_formed;
}

int inspect(const options& chosen, inspection& run) {
    const bool summary_mode = !chosen.headers && chosen.image == nullptr;
    const int error = open_varn(run.reader, chosen.file);
    if (error != 0) {
        std::fprintf(stderr, "tarnvik-inspect: cannot read %s: %s\n", chosen.file,
                     error == ENODEV ? "not a regular file" : std::strerror(error));
        return status_trouble;
    }
    if (chosen.image != nullptr) {
        start_section(run.section);
    }
    if (chosen.headers) {
        print_header_table_columns(stdout);
    }
    walk_step step;
    for (;;) {
        // The summary needs every sample and the picture those of its
        // traces; the table and the traces outside the picture need only
        // the headers, so the walk passes over their samples.
        const std::int64_t next = run.reader.traces_seen + 1;
        run.reader.read_samples =
            summary_mode ||
            (chosen.image != nullptr && next >= chosen.first_trace && next <= chosen.last_trace);
        step = next_trace(run.reader, run.trace, run.problems);
        if (step != walk_step::trace) {
            break;
        }
        add_to_summary(run.trace, run.summary);
        const bool chosen_trace =
            run.trace.number >= chosen.first_trace && run.trace.number <= chosen.last_trace;
        if (chosen_trace && chosen.headers) {
            print_header_table_row(stdout, run.trace);
        }
        if (chosen_trace && chosen.image != nullptr) {
            add_to_section(run.section, run.trace.samples);
        }
    }
    if (step == walk_step::failed) {
        const int read_error = errno;
        close_varn(run.reader);
        std::fprintf(stderr, "tarnvik-inspect: cannot read %s: %s\n", chosen.file,
                     std::strerror(read_error));
        return finish(chosen, run, true);
    }
    close_varn(run.reader);
    if (summary_mode) {
        print_summary(stdout, chosen.file, run.reader.size, run.summary, run.problems);
    }
    if (chosen.image != nullptr) {
        if (run.section.columns == 0) {
            std::fprintf(stderr, "tarnvik-inspect: %s holds no traces%s to draw\n", chosen.file,
                         chosen.traces_given ? " in the range given" : "");
            return finish(chosen, run, true);
        }
        const grey_picture picture = render_section(run.section, clip_percentile);
        const char* failure = write_png_file(chosen.image, picture);
        if (*failure != '\0') {
            std::fprintf(stderr, "tarnvik-inspect: cannot write %s: %s\n", chosen.image, failure);
            return finish(chosen, run, true);
        }
    }
    return finish(chosen, run, false);
}

}  // namespace

int main(int argc, char** argv) {
    static options chosen;
    bool help = false;
    const int status = parse_options(argc, argv, chosen, help);
    if (help) {
        std::fputs(usage_text, stdout);
        return std::fflush(stdout) == 0 ? status_well_formed : status_trouble;
    }
    if (status != 0) {
        return status;
    }
    static inspection run;
    return inspect(chosen, run);
}
