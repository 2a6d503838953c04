// What the progress window is drawn from: its handle, the brushes made at
// start-up and the status line. Set by start-up and the extraction, read by
// the painting.
#pragma once

#include "platform/platform.h"

#include <cstddef>

extern HWND progress_window;

// Empty part of the bar, filled part of the bar, background of the text area.
extern HBRUSH white_brush;
extern HBRUSH blue_brush;
extern HBRUSH light_grey_brush;

// Creates the three brushes above, in that order.
void create_progress_brushes();

// The line to show; always zero-terminated within its 200 bytes.
inline constexpr size_t status_text_size = 200;
extern char status_text[status_text_size];
