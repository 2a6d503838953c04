#include "progress/progress_state.h"

HWND progress_window;
HBRUSH white_brush;
HBRUSH blue_brush;
HBRUSH light_grey_brush;
char status_text[status_text_size];

void create_progress_brushes() {
    white_brush = CreateSolidBrush(RGB(255, 255, 255));
    blue_brush = CreateSolidBrush(RGB(0, 0, 255));
    light_grey_brush = CreateSolidBrush(RGB(192, 192, 192));
}
