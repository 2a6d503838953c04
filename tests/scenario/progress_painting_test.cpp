// Painting of the progress window, checked on the recorded calls and on the
// pixels of the simulated desktop's framebuffer.
#include "intent_names.h"
#include "launcher_scenario.h"
#include "progress/progress_meter.h"
#include "progress/progress_state.h"
#include "progress_window_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using scenario::call_mark;
using scenario::calls_since;

constexpr uint32_t grey = 0xC0C0C0;
constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t blue = 0x0000FF;
constexpr uint32_t black = 0x000000;

const char *const first_line = "Setup is preparing the Kelvara installation wizard.";
const char *const second_line = "It is not necessary to wait while the files which will be used "
                                "to install this application are extracted.";

void set_status(const char *text) {
    snprintf(status_text, status_text_size, "%s", text);
}

// Repaints without erasing, as the meter does.
void repaint(HWND window) {
    InvalidateRgn(window, NULL, FALSE);
    UpdateWindow(window);
}

// Pixels of a rectangle that are not the given colour.
int count_other(HWND window, int left, int top, int right, int bottom, uint32_t colour) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            n += sim::pixel(window, x, y) != colour;
    return n;
}

struct BarCase {
    const char *intent;
    int32_t value;
    int bar_end; // 0: nothing drawn
};

class Bar : public testing::TestWithParam<BarCase> {};

TEST_P(Bar, IsDrawnFromTheProgressValueWithItsFrame) {
    const BarCase &c = GetParam();
    set_status(first_line);
    HWND window = scenario::open_progress_window();
    progress_value = c.value;
    scenario::show_progress_window();
    if (c.bar_end == 0) {
        // Value 1 draws nothing: the erased window stays plain light grey.
        EXPECT_EQ(count_other(window, 0, 0, 315, 100, grey), 0);
        return;
    }
    EXPECT_EQ(count_other(window, 10, 60, c.bar_end, 80, blue), 0) << "filled part";
    EXPECT_EQ(count_other(window, c.bar_end, 60, 300, 80, white), 0) << "empty part";
    EXPECT_EQ(count_other(window, 10, 59, 300, 60, black), 0) << "frame top line";
    EXPECT_EQ(count_other(window, 9, 59, 10, 80, black), 0) << "frame left line";
    // No frame along the bar's right or bottom side, nothing left of x = 9.
    EXPECT_EQ(count_other(window, 300, 59, 315, 100, grey), 0) << "right of the bar";
    EXPECT_EQ(count_other(window, 9, 80, 300, 100, grey), 0) << "below the bar";
    EXPECT_EQ(count_other(window, 0, 50, 9, 100, grey), 0) << "left of the frame";
    scenario::expect_no_faults();
}

INSTANTIATE_TEST_SUITE_P(
    Values, Bar,
    testing::Values(BarCase{"empty bar at 0", 0, 10}, BarCase{"nothing drawn at 1", 1, 0},
                    BarCase{"two blue columns at 2", 2, 12}, BarCase{"half way", 150, 160},
                    BarCase{"full at 290", 290, 300}, BarCase{"clamped past 300", 301, 300}),
    scenario::IntentName());

TEST(Painting, ValueOneReleasesTheDcAndEndsThePaintWithoutDrawing) {
    HWND window = scenario::open_progress_window();
    scenario::show_progress_window();
    progress_value = 1;
    set_status(first_line);
    size_t mark = call_mark();
    repaint(window);
    EXPECT_TRUE(
        scenario::same_calls({"BeginPaint(hwnd1) = hdc4 {0,0,315,100}", "GetDC(hwnd1) = hdc5",
                              "ReleaseDC(hwnd1, hdc5) = 1", "EndPaint(hwnd1, hdc4) = TRUE"},
                             calls_since(mark, {"BeginPaint", "GetDC", "SetBkColor", "FillRect",
                                                "DrawTextA", "ReleaseDC", "EndPaint"})));
}

TEST(Painting, TextAndFrameOnlyAtTheFirstPaintAfterTheTextChanged) {
    HWND window = scenario::open_progress_window();
    scenario::show_progress_window();
    progress_value = 40;
    set_status(first_line);
    const std::vector<std::string> painting = {"BeginPaint",   "GetDC",    "SetBkColor",
                                               "SelectObject", "FillRect", "DrawTextA",
                                               "ReleaseDC",    "EndPaint"};
    size_t mark = call_mark();
    repaint(window);
    EXPECT_TRUE(scenario::same_calls(
        {
            "BeginPaint(hwnd1) = hdc4 {0,0,315,100}",
            "GetDC(hwnd1) = hdc5",
            "SetBkColor(hdc5, 0xC0C0C0) = 0xFFFFFF",
            "SelectObject(hdc5, font1) = SYSTEM_FONT",
            "FillRect(hdc4, {10,59,300,60}, brush2) = 1",
            "FillRect(hdc4, {9,59,10,80}, brush2) = 1",
            "FillRect(hdc4, {10,16,300,50}, brush5) = 1",
            "DrawTextA(hdc5, \"Setup is preparing the Kelvara installation wizard.\", 51, "
            "{10,16,300,50}, 16) = 13",
            "FillRect(hdc4, {50,60,300,80}, brush3) = 1",
            "FillRect(hdc4, {10,60,50,80}, brush4) = 1",
            "ReleaseDC(hwnd1, hdc5) = 1",
            "EndPaint(hwnd1, hdc4) = TRUE",
        },
        calls_since(mark, painting)));
    EXPECT_GT(count_other(window, 10, 16, 300, 29, grey), 0) << "the text was drawn";

    // The same text again: the two parts of the bar and nothing else.
    progress_value = 42;
    mark = call_mark();
    repaint(window);
    EXPECT_TRUE(scenario::same_calls(
        {"FillRect(hdc6, {52,60,300,80}, brush3) = 1", "FillRect(hdc6, {10,60,52,80}, brush4) = 1"},
        calls_since(mark, {"FillRect", "DrawTextA"})));
    scenario::expect_no_faults();
}

TEST(Painting, NewTextReplacesTheOldOneWithoutErase) {
    HWND window = scenario::open_progress_window();
    scenario::show_progress_window();
    set_status("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    repaint(window);
    int dark_before = count_other(window, 150, 16, 300, 29, grey);
    set_status("i");
    repaint(window);
    EXPECT_GT(dark_before, 0);
    EXPECT_EQ(count_other(window, 150, 16, 300, 50, grey), 0) << "nothing of the old line remains";
}

TEST(Painting, LongStatusLineWrapsWithinTheTextArea) {
    HWND window = scenario::open_progress_window();
    scenario::show_progress_window();
    set_status(second_line);
    repaint(window);
    // Two lines of 13 pixels from y = 16, inside x = 10 to 299.
    EXPECT_GT(count_other(window, 10, 16, 300, 29, grey), 0) << "first line";
    EXPECT_GT(count_other(window, 10, 29, 300, 42, grey), 0) << "second line";
    EXPECT_EQ(count_other(window, 10, 42, 300, 50, grey), 0) << "no third line";
    EXPECT_EQ(count_other(window, 300, 0, 315, 59, grey), 0) << "nothing right of the area";
    EXPECT_EQ(count_other(window, 0, 0, 315, 16, grey), 0) << "nothing above the area";
    scenario::expect_no_faults();
}

TEST(Painting, TextBeyondTheAreaIsCutAtItsBottom) {
    HWND window = scenario::open_progress_window();
    scenario::show_progress_window();
    std::string twice = std::string(second_line) + " " + second_line;
    set_status(twice.c_str());
    repaint(window);
    EXPECT_GT(count_other(window, 10, 42, 300, 50, grey), 0) << "the third line, cut";
    EXPECT_EQ(count_other(window, 0, 50, 315, 59, grey), 0) << "nothing below y = 50";
    scenario::expect_no_faults();
}

TEST(Painting, SecondShowWithTheSameTextLeavesTheTextAreaPlain) {
    HWND window = scenario::open_progress_window();
    set_status(first_line);
    progress_value = 100;
    scenario::show_progress_window();
    EXPECT_GT(count_other(window, 10, 16, 300, 50, grey), 0);
    SendMessageA(window, WM_COMMAND, 55555, 0);
    scenario::show_progress_window();
    // Erased and repainted: the bar is back, the text and frame are not.
    EXPECT_EQ(count_other(window, 10, 16, 300, 50, grey), 0);
    EXPECT_EQ(count_other(window, 9, 59, 300, 60, grey), 0);
    EXPECT_EQ(count_other(window, 10, 60, 110, 80, blue), 0);
    EXPECT_EQ(count_other(window, 110, 60, 300, 80, white), 0);
}

} // namespace
