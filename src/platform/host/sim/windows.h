// Windows as a test sees them from outside: the launcher's and other
// processes', their message boxes, the cursor and the pixels of a client area.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct MessageBoxShown {
    uint64_t time_ms = 0;
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
};

// What a window looks like from outside, the launcher's own or another
// process's.
struct WindowView {
    HWND handle = nullptr;
    std::string process; // "launcher" or the name of the program that made it
    std::string class_name;
    std::string title;
    DWORD style = 0;
    DWORD ex_style = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int client_width = 0, client_height = 0;
    bool visible = false;
    bool maximized = false;
    bool topmost = false;
};

// How long each message box stays open, in virtual time, before the user
// presses its only button (default 1000 ms).
void set_message_box_time(uint64_t ms);

const std::vector<MessageBoxShown> &message_boxes();
WindowView window(HWND handle);
// A top-level window of any process, found as FindWindowA finds it.
HWND find_window(const std::string &class_name, const std::string &title);
std::vector<std::string> registered_classes();
// The cursor that SetCursor installed last ("IDC_WAIT", "none") and the show count.
std::string current_cursor();
int cursor_show_count();

// ---- pixels ----

// A launcher window's client area as painted so far. Sizes are 0 for a
// handle that is not a launcher window.
int client_width(HWND window);
int client_height(HWND window);
// One pixel as 0x00RRGGBB; 0xFFFFFFFF outside the client area or for a handle
// that is not a launcher window.
uint32_t pixel(HWND window, int x, int y);
// Writes the client area to a PNG file (RGB, 8 bits a channel) so that a
// person can look at it. False when there is nothing to write or the file
// cannot be written.
bool write_png(HWND window, const std::string &path);
// The font file that DrawTextA renders with; by default DejaVu Sans
// (/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf). When it cannot be
// loaded, DrawTextA draws nothing and records a fault.
void set_font_file(const std::string &path);

} // namespace sim
