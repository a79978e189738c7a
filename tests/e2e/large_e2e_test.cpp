// Files beyond 4 GiB: read and write positions past 32 bits. The input is
// sparse (real reel and trace headers, holes for the samples) and each
// trace is cut to one sample, so the test writes little.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "support/run_binary.hpp"
#include "support/segy_builder.hpp"

namespace tarnvik::testing {
namespace {

namespace fs = std::filesystem;

TEST(LargeFiles, SparseInputBeyondFourGibibytesAppendedBeyondFourGibibytes) {
    constexpr std::int64_t samples = 32767;
    constexpr std::int64_t trace_size = 240 + 4 * samples;
    constexpr std::int64_t traces = (std::int64_t{9} << 29) / trace_size;  // 4.5 GiB of traces
    constexpr std::int64_t input_size = 3600 + traces * trace_size + 100;
    static_assert(input_size > (std::int64_t{1} << 32));
    constexpr std::int64_t earlier = (std::int64_t{17} << 28) + 7;  // 4.25 GiB of earlier output
    scratch_dir dir;
    {
        const int fd = open((dir / "in.sgy").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const bytes reel = reel_header({static_cast<int>(samples), 2000, 1});
        ASSERT_EQ(pwrite(fd, reel.data(), reel.size(), 0), 3600);
        for (std::int64_t t = 0; t < traces; ++t) {
            const segy_trace trace = make_trace(static_cast<int>(t + 1), samples, 2000, {});
            ASSERT_EQ(pwrite(fd, trace.header.data(), 240, 3600 + t * trace_size), 240);
        }
        ASSERT_EQ(ftruncate(fd, input_size), 0);  // and a trailing fragment
        close(fd);
    }
    write_file(dir / "out.varn", {});
    fs::resize_file(dir / "out.varn", static_cast<std::uintmax_t>(earlier));

    const run_result run = run_tarnvik(dir.path(), "\nin.sgy\n0\n\nout.varn\nn\nn\ny\n1\n0\n");
    EXPECT_EQ(run.status, 0);
    std::int64_t lines = 0;
    for (std::size_t at = 0; (at = run.out.find("32767 Writing SSN", at)) != std::string::npos;
         ++at) {
        ++lines;
    }
    EXPECT_EQ(lines, traces);
    EXPECT_TRUE(run.out.ends_with(" Trace " + std::to_string(static_cast<std::int16_t>(traces)) +
                                  " Normalizing value = 1.000000\n"));

    constexpr std::int64_t output_trace = 240 + 4;
    ASSERT_EQ(static_cast<std::int64_t>(fs::file_size(dir / "out.varn")),
              earlier + traces * output_trace);
    // The last output trace, beyond 4 GiB: its trace number and its one
    // (zero) sample.
    const int fd = open((dir / "out.varn").c_str(), O_RDONLY);
    std::uint8_t last[output_trace];
    ASSERT_EQ(pread(fd, last, sizeof last, earlier + (traces - 1) * output_trace), output_trace);
    close(fd);
    EXPECT_EQ(last[14] | last[15] << 8, static_cast<int>(traces & 0xFFFF));
    EXPECT_EQ(last[114] | last[115] << 8, 1);
    EXPECT_TRUE(std::all_of(last + 240, last + 244, [](std::uint8_t b) { return b == 0; }));
}

}  // namespace
}  // namespace tarnvik::testing
