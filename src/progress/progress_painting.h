// The progress window's creation and paint handlers.
#pragma once

#include "platform/platform.h"

// WM_CREATE: makes the status font and the black brush. Returns 0 so that
// the creation goes on.
LRESULT on_progress_create();

// WM_PAINT: draws the status line, its frame and the bar. Returns 1.
LRESULT on_progress_paint(HWND window);
