// The largest payloads a launcher can carry: 32-bit sizes, and a request
// total that the progress meter's 32-bit signed count can hold.
#include "payload_limits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

namespace {

constexpr uint64_t u32_max = 0xFFFFFFFFu;
constexpr uint64_t i32_max = 0x7FFFFFFFu;

TEST(PayloadLimits, RequestsCoverEveryStartedBlockAndOneThatFindsTheEnd) {
    EXPECT_EQ(most_bytes_requested(0), 4096u);
    EXPECT_EQ(most_bytes_requested(1), 4096u);
    EXPECT_EQ(most_bytes_requested(2047), 4096u);
    EXPECT_EQ(most_bytes_requested(2048), 6144u); // one full block, then a read of nothing
    EXPECT_EQ(most_bytes_requested(2049), 6144u);
}

struct LimitCase {
    const char *name;
    payload_sizes sizes;
    const char *problem; // a phrase of the refusal; empty when the payloads fit
};

void PrintTo(const LimitCase &c, std::ostream *out) {
    *out << c.name;
}

class PayloadSizes : public testing::TestWithParam<LimitCase> {};

TEST_P(PayloadSizes, AreRefusedOnlyPastTheLimits) {
    const LimitCase &c = GetParam();
    const std::string problem = payload_size_problem(c.sizes);
    if (c.problem[0] == '\0')
        EXPECT_EQ(problem, "");
    else
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
}

// With an empty installer stream (4096 bytes of requests), the largest data
// stream whose requests stay within the signed 32-bit count.
constexpr uint64_t largest_data_stream = (i32_max - 4096) / 2048 * 2048 - 4096 + 2047;
static_assert(largest_data_stream == 2147475455u);

INSTANTIATE_TEST_SUITE_P(
    Table, PayloadSizes,
    testing::Values(LimitCase{"TypicalPayloads", {60000, 30000, 3000000, 1600000}, ""},
                    LimitCase{"LargestDecodedInstaller", {u32_max, 30000, 100, 100}, ""},
                    LimitCase{"InstallerPast32Bits",
                              {u32_max + 1, 30000, 100, 100},
                              "installer file is 4294967296 bytes"},
                    LimitCase{"DataPast32Bits",
                              {100, 100, u32_max + 1, 30000},
                              "data file is 4294967296 bytes"},
                    LimitCase{"DataStreamPast32Bits",
                              {100, 100, 100, u32_max + 1},
                              "data payload compresses to 4294967296"},
                    LimitCase{"LargestRequestTotal", {0, 0, 100, largest_data_stream}, ""},
                    LimitCase{"OneBytePastTheRequestTotal",
                              {0, 0, 100, largest_data_stream + 1},
                              "progress meter"},
                    LimitCase{"SplitEvenlyPastTheRequestTotal",
                              {100, i32_max / 2, 100, i32_max / 2},
                              "progress meter"}),
    [](const testing::TestParamInfo<LimitCase> &info) { return std::string(info.param.name); });

} // namespace
