// A window whose procedure writes down the messages it receives that a
// launcher window can observe: creation, placement, activation, painting,
// commands and messages of the application's own range. Messages that
// Windows sends besides (WM_GETICON, WM_IME_*, WM_GETTEXT ...) pass on to the
// default procedure unrecorded.
#pragma once

#include "platform/platform.h"

#include <string>
#include <vector>

namespace conformance {

// A new hidden window of the launcher's kind (top-most, bordered, default
// position), made without recording.
HWND make_window();
// Makes a window as make_window does, recording its creation.
HWND make_window_recording(std::vector<std::string> &observed);
// Records what reaches window from now on (nullptr: nothing is recorded).
void record(HWND window, std::vector<std::string> *observed);
// Shows the window as the launcher does and handles what that queued,
// without recording.
void show_and_settle(HWND window);
// Hides the window without recording, so that the next scenario starts with
// no visible window.
void put_away(HWND window);
// Handles every queued message of the window (PeekMessageA with PM_REMOVE).
void drain(HWND window);

} // namespace conformance
