#include "progress_window_fixture.h"

#include "bootstrap/handoff.h"
#include "bootstrap/progress_window.h"
#include "payload/payload_figures.h"
#include "platform/host/sim.h"
#include "progress/progress_meter.h"
#include "progress/progress_state.h"

#include <algorithm>
#include <string>
#include <vector>

namespace scenario {

HWND open_progress_window() {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(0x400000);
    register_progress_class(instance);
    create_progress_window(instance);
    white_brush = CreateSolidBrush(0x00FFFFFF);
    blue_brush = CreateSolidBrush(0x00FF0000);
    light_grey_brush = CreateSolidBrush(0x00C0C0C0);
    progress_scale = payload_progress_scale;
    return progress_window;
}

void show_progress_window() {
    SendMessageA(progress_window, WM_COMMAND, show_command, 0);
    // The first paint after showing erases the background.
    UpdateWindow(progress_window);
}

size_t call_mark() {
    return sim::calls().size();
}

std::vector<std::string> calls_since(size_t mark, const std::vector<std::string> &names) {
    std::vector<std::string> out;
    const std::vector<sim::Call> &all = sim::calls();
    for (size_t i = mark; i < all.size(); ++i)
        if (names.empty() || std::find(names.begin(), names.end(), all[i].name) != names.end())
            out.push_back(all[i].text());
    return out;
}

} // namespace scenario
