// Moving, sizing, showing and hiding a window, with the messages Windows
// sends for it.
#pragma once

#include "platform/platform.h"

namespace sim::detail {

// SetWindowPos's work: WM_WINDOWPOSCHANGING, WM_NCCALCSIZE when the frame
// moved or changed size, activation of a window being shown, its frame and
// background painted at once, WM_WINDOWPOSCHANGED (whose default handling
// sends WM_MOVE and WM_SIZE), deactivation of an active window being hidden.
void set_window_pos(HWND window, int x, int y, int cx, int cy, UINT flags);
// ShowWindow's work. Returns whether the window was visible before.
BOOL show_window(HWND window, int command);

} // namespace sim::detail
