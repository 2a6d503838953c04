// The progress window's class, creation and procedure.
#pragma once

#include "platform/platform.h"

// Registers the window class; nonzero on success.
ATOM register_progress_class(HINSTANCE instance);

// Creates the progress window, places it at the screen's top left corner and
// hides it. 1 on success, 0 on failure.
int create_progress_window(HINSTANCE instance);

LRESULT CALLBACK progress_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Placement of the progress window.
inline constexpr int progress_window_width = 321;
inline constexpr int progress_window_height = 125;
