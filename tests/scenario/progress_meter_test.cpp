// The progress meter: requested bytes to bar length, and the repaint pump
// that runs on every even length.
#include "bootstrap/handoff.h"
#include "desktop_programs.h"
#include "intent_names.h"
#include "launcher_scenario.h"
#include "payload/payload_figures.h"
#include "progress/progress_meter.h"
#include "progress_window_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using scenario::call_mark;
using scenario::calls_since;

const std::vector<std::string> pump_calls = {"InvalidateRgn", "UpdateWindow", "PeekMessageA",
                                             "wndproc"};

struct MeterCase {
    const char *intent;
    int32_t bytes;
    int32_t value;
    bool repaints;
};

class Meter : public testing::TestWithParam<MeterCase> {};

TEST_P(Meter, RepaintsOnEvenValuesOnly) {
    const MeterCase &c = GetParam();
    scenario::open_progress_window();
    scenario::show_progress_window();
    bytes_requested = c.bytes;
    size_t mark = call_mark();
    refresh_progress();
    EXPECT_EQ(progress_value, c.value) << c.intent;
    std::vector<std::string> expected;
    if (c.repaints)
        expected = {"InvalidateRgn(hwnd1, NULL, FALSE) = TRUE", "UpdateWindow(hwnd1) = TRUE",
                    "wndproc(hwnd1, WM_PAINT, 0, 0) = 1",
                    "PeekMessageA(hwnd1, 0, 0, PM_REMOVE) = FALSE"};
    EXPECT_TRUE(scenario::same_calls(expected, calls_since(mark, pump_calls))) << c.intent;
    scenario::expect_no_faults();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Meter,
    testing::Values(MeterCase{"before the first request", 0, 0, true},
                    MeterCase{"request 1", 2048, 0, true}, MeterCase{"request 2", 4096, 0, true},
                    MeterCase{"request 3", 6144, 0, true}, MeterCase{"request 4", 8192, 1, false},
                    MeterCase{"request 5", 10240, 1, false},
                    MeterCase{"request 6", 12288, 1, false}, MeterCase{"request 7", 14336, 2, true},
                    MeterCase{"exactly both payloads", 1879320, 300, true},
                    MeterCase{"past the total, odd", 921 * 2048, 301, false},
                    MeterCase{"past the total, even", 925 * 2048, 302, true}),
    scenario::IntentName());

TEST(Meter, DoubleProductEqualsTheExactQuotientForEveryWholeRequest) {
    progress_scale = payload_progress_scale;
    for (int64_t bytes = 0; bytes < (int64_t{1} << 31); bytes += 2048) {
        int32_t exact = static_cast<int32_t>(bytes * 300 / 1879320);
        ASSERT_EQ(progress_for(static_cast<int32_t>(bytes)), exact) << bytes;
    }
}

TEST(Meter, HiddenWindowDrawsNothingButOneMessageIsStillTaken) {
    HWND window = scenario::open_progress_window();
    PostMessageA(window, WM_USER + 5, 0, 0);
    PostMessageA(window, WM_USER + 6, 0, 0);
    size_t mark = call_mark();
    refresh_progress();
    EXPECT_TRUE(scenario::same_calls(
        {"InvalidateRgn(hwnd1, NULL, FALSE) = TRUE", "UpdateWindow(hwnd1) = TRUE",
         "PeekMessageA(hwnd1, 0, 0, PM_REMOVE) = TRUE {hwnd1, WM_USER+5, 0, 0}",
         "wndproc(hwnd1, WM_USER+5, 0, 0) = 0"},
        calls_since(mark, pump_calls)));
    EXPECT_TRUE(calls_since(mark, {"BeginPaint", "FillRect"}).empty());
    // The second message waits for the next even value.
    mark = call_mark();
    refresh_progress();
    EXPECT_EQ(calls_since(mark, {"wndproc"}),
              std::vector<std::string>{"wndproc(hwnd1, WM_USER+6, 0, 0) = 0"});
}

TEST(Meter, ShowCommandSentDuringExtractionIsHandledInThePump) {
    HWND window = scenario::open_progress_window();
    scenario::send_commands_to_progress_window(0, {show_command});
    size_t mark = call_mark();
    refresh_progress();
    EXPECT_TRUE(sim::window(window).visible);
    // The show arrives inside PeekMessageA and erases the window at once;
    // with nothing queued, the same call then takes the paint that the show
    // asked for.
    std::vector<sim::Call> pump(sim::calls().begin() + static_cast<long>(mark), sim::calls().end());
    EXPECT_TRUE(scenario::calls_match(
        {
            {.name = "PeekMessageA"},
            {.name = "wndproc", .message = WM_COMMAND, .wparam = show_command, .result = "1"},
            {.name = "wndproc", .message = WM_SHOWWINDOW, .wparam = TRUE},
            {.name = "wndproc", .message = WM_ERASEBKGND, .result = "1"},
            {.name = "wndproc", .message = WM_PAINT, .result = "1"},
        },
        pump));
    EXPECT_TRUE(calls_since(mark, {"BeginPaint"}).size() == 1);
    // The next repaint does not erase.
    mark = call_mark();
    refresh_progress();
    EXPECT_TRUE(scenario::same_calls({"wndproc(hwnd1, WM_PAINT, 0, 0) = 1"},
                                     calls_since(mark, {"wndproc"})));
}

} // namespace
