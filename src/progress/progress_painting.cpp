#include "progress/progress_painting.h"

LRESULT on_progress_create() { return 0; }

LRESULT on_progress_paint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 1;
}
