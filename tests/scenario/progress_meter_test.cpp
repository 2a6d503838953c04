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

const std::vector<std::string> pump_calls = {"InvalidateRgn",    "UpdateWindow",     "PeekMessageA",
                                             "TranslateMessage", "DispatchMessageA", "wndproc"};

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

// The scale is 300 pixels over the payloads' summed compressed size, which
// this build carries, so the cases follow from that sum: the bytes of the
// first whole request at which the bar reaches `value` pixels, and of the
// last request before it.
constexpr int64_t request = 2048;
constexpr int64_t total = static_cast<int64_t>(free_space_threshold);
static_assert(request * 300 < total, "one request moves the bar by less than a pixel");
static_assert(total * 2 < (int64_t{1} << 31));

constexpr int32_t first_request_at(int64_t value) {
    return static_cast<int32_t>((value * total + request * 300 - 1) / (request * 300) * request);
}

constexpr int32_t last_request_before(int64_t value) {
    return static_cast<int32_t>(first_request_at(value) - request);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Meter,
    testing::Values(MeterCase{"before the first request", 0, 0, true},
                    MeterCase{"the first request", 2048, 0, true},
                    MeterCase{"the last request at 0", last_request_before(1), 0, true},
                    MeterCase{"the first request at 1", first_request_at(1), 1, false},
                    MeterCase{"the last request at 1", last_request_before(2), 1, false},
                    MeterCase{"the first request at 2", first_request_at(2), 2, true},
                    MeterCase{"exactly both payloads", static_cast<int32_t>(total), 300, true},
                    MeterCase{"past the total, odd", first_request_at(301), 301, false},
                    MeterCase{"past the total, even", first_request_at(302), 302, true}),
    scenario::IntentName());

TEST(Meter, DoubleProductEqualsTheExactQuotientForEveryWholeRequest) {
    progress_scale = payload_progress_scale;
    for (int64_t bytes = 0; bytes < (int64_t{1} << 31); bytes += 2048) {
        int32_t exact = static_cast<int32_t>(bytes * 300 / total);
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
         "TranslateMessage({hwnd1, WM_USER+5, 0, 0}) = FALSE",
         "DispatchMessageA({hwnd1, WM_USER+5, 0, 0}) = 0", "wndproc(hwnd1, WM_USER+5, 0, 0) = 0"},
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
