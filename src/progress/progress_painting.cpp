#include "progress/progress_painting.h"

#include "platform/out_of_line.h"
#include "progress/progress_meter.h"
#include "progress/progress_state.h"

namespace {

LOGFONTA status_font_description;
HFONT status_font;
HBRUSH black_brush;

// The status text as it was when it was last drawn.
char painted_text[status_text_size];

// Client coordinates; right and bottom edges are outside, as for FillRect.
constexpr RECT text_area = {10, 16, 300, 50};
constexpr RECT frame_top_line = {10, 59, 300, 60};
constexpr RECT frame_left_line = {9, 59, 10, 80};
constexpr LONG bar_left = 10;
constexpr LONG bar_right = 300;
constexpr LONG bar_top = 60;
constexpr LONG bar_bottom = 80;

} // namespace

// Fills every field of the status font's description.
OUT_OF_LINE static void describe_status_font(LOGFONTA *font) {
    font->lfHeight = 13;
    font->lfWidth = 0;
    font->lfEscapement = 0;
    font->lfOrientation = 0;
    font->lfWeight = FW_EXTRALIGHT;
    font->lfItalic = 0;
    font->lfUnderline = 0;
    font->lfStrikeOut = 0;
    font->lfCharSet = ANSI_CHARSET;
    font->lfOutPrecision = OUT_DEFAULT_PRECIS;
    font->lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font->lfQuality = DEFAULT_QUALITY;
    font->lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    font->lfFaceName[0] = '\0';
}

LRESULT on_progress_create() {
    describe_status_font(&status_font_description);
    status_font = CreateFontIndirectA(&status_font_description);
    black_brush = CreateSolidBrush(RGB(0, 0, 0));
    return 0;
}

LRESULT on_progress_paint(HWND window) {
    PAINTSTRUCT paint;
    HDC paint_dc = BeginPaint(window, &paint);
    HDC window_dc = GetDC(window);
    if (progress_value == 1) {
        ReleaseDC(window, window_dc);
        EndPaint(window, &paint);
        return 1;
    }
    SetBkColor(window_dc, RGB(192, 192, 192));
    SelectObject(window_dc, status_font);

    // The line and its frame only when the text changed: repaints during the
    // extraction do not erase, so what was drawn stays.
    if (strcmp(painted_text, status_text) != 0) {
        FillRect(paint_dc, &frame_top_line, black_brush);
        FillRect(paint_dc, &frame_left_line, black_brush);
        FillRect(paint_dc, &text_area, light_grey_brush);
        RECT text_rect = text_area;
        DrawTextA(window_dc, status_text, static_cast<int>(strlen(status_text)), &text_rect,
                  DT_WORDBREAK);
        snprintf(painted_text, sizeof painted_text, "%s", status_text);
    }

    LONG bar_end = progress_value + bar_left > bar_right ? bar_right : progress_value + bar_left;
    RECT empty_part = {bar_end, bar_top, bar_right, bar_bottom};
    FillRect(paint_dc, &empty_part, white_brush);
    RECT filled_part = {bar_left, bar_top, bar_end, bar_bottom};
    FillRect(paint_dc, &filled_part, blue_brush);

    ReleaseDC(window, window_dc);
    EndPaint(window, &paint);
    return 1;
}
