#include "progress/progress_state.h"

HWND progress_window;
HBRUSH white_brush;
HBRUSH blue_brush;
HBRUSH light_grey_brush;
char status_text[status_text_size];
