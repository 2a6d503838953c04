// The check of a call log against a table of expected calls.
#include "platform/host/sim.h"

#include <gtest/gtest.h>

namespace {

std::vector<sim::Call> log_of(const std::vector<std::pair<std::string, UINT>> &entries) {
    std::vector<sim::Call> log;
    for (const auto &[name, message] : entries) {
        sim::Call c;
        c.name = name;
        c.message = message;
        log.push_back(c);
    }
    return log;
}

const std::vector<sim::Call> sample = log_of({{"wndproc", WM_CREATE},
                                              {"Sleep", 0},
                                              {"wndproc", WM_SIZE},
                                              {"wndproc", WM_PAINT},
                                              {"PeekMessageA", 0}});

TEST(ExpectedCalls, MatchInOrderWithOtherCallsBetweenAndOptionalRowsMissing) {
    EXPECT_TRUE(sim::check_sequence({{.name = "wndproc", .message = WM_CREATE},
                                     {.name = "wndproc", .message = WM_MOVE, .optional = true},
                                     {.name = "wndproc", .message = WM_PAINT},
                                     {.name = "PeekMessageA"}},
                                    sample)
                    .matched);
}

TEST(ExpectedCalls, AnOptionalRowNeverTakesACallThatALaterRowNeeds) {
    EXPECT_TRUE(sim::check_sequence({{.name = "wndproc", .optional = true},
                                     {.name = "wndproc", .message = WM_CREATE},
                                     {.name = "wndproc", .message = WM_PAINT}},
                                    sample)
                    .matched);
}

TEST(ExpectedCalls, OutOfOrderOrMissingFailsWithASideBySideReport) {
    sim::SequenceCheck check = sim::check_sequence(
        {{.name = "wndproc", .message = WM_PAINT}, {.name = "wndproc", .message = WM_SIZE}},
        sample);
    EXPECT_FALSE(check.matched);
    EXPECT_NE(check.report.find("wndproc{message=WM_SIZE}"), std::string::npos) << check.report;
    EXPECT_NE(check.report.find("MISSING"), std::string::npos) << check.report;
    EXPECT_NE(check.report.find("| #4"), std::string::npos) << "the log goes on:\n" << check.report;
}

TEST(ExpectedCalls, StrictAboutListedNamesWhenAsked) {
    const std::vector<sim::Expected> table = {{.name = "wndproc", .message = WM_CREATE},
                                              {.name = "wndproc", .message = WM_PAINT}};
    EXPECT_TRUE(sim::check_sequence(table, sample, sim::Between::any_call).matched);
    sim::SequenceCheck strict = sim::check_sequence(table, sample, sim::Between::other_names_only);
    EXPECT_FALSE(strict.matched) << "WM_SIZE is an unlisted wndproc call";
    EXPECT_NE(strict.report.find("UNEXPECTED"), std::string::npos) << strict.report;
}

TEST(GetMessage, FailsWithMinusOneWhenATestSaysSoOrTheFilterIsNoWindow) {
    sim::fail_call("GetMessageA");
    MSG message;
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(GetMessageA(&message, reinterpret_cast<HWND>(77), 0, 0), -1);
}

} // namespace
