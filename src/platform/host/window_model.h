// Window classes, windows of every process, activation and the cursor.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <string>
#include <vector>

namespace sim::detail {

struct WindowClass {
    std::string name;
    WNDCLASSA description{};
};

// Which process a window belongs to: the launcher, or another process by its
// index in the process table.
inline constexpr int launcher_owner = -1;

struct Window {
    bool exists = false;
    int owner = launcher_owner;
    std::string class_name;
    std::string title;
    DWORD style = 0;
    DWORD ex_style = 0;
    int x = 0, y = 0, width = 0, height = 0;
    bool visible = false;
    bool maximized = false;
    bool topmost = false;
    // Until the first ShowWindow that shows it, which then sends WM_SIZE and
    // WM_MOVE whatever SetWindowPos sent before.
    bool needs_size_and_move = true;
    WNDPROC proc = nullptr;
    HBRUSH background = nullptr;
    // Update region, kept as its bounding rectangle: the launcher only ever
    // invalidates whole client areas.
    bool has_update = false;
    RECT update{};
    bool erase_pending = false;
    std::vector<uint32_t> pixels; // client area, 0x00RRGGBB, row after row
};

struct WindowSystem {
    std::vector<WindowClass> classes;
    std::vector<Window> windows; // handle value = index + 1
    // The launcher thread's activation: its active window and focus, and
    // whether it is the foreground application.
    HWND active = nullptr;
    HWND focus = nullptr;
    bool application_active = false;
    std::string cursor = "none";
    int cursor_count = 0;
};

Window *find_window(HWND handle); // nullptr when not an existing window
bool is_launcher_window(HWND handle);
// The window's client area in client coordinates (left and top 0).
RECT client_rect(const Window &w);

} // namespace sim::detail
