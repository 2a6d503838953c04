// Update regions, WM_PAINT, device contexts and rectangle filling.
//
// Each launcher window has a framebuffer for its client area. A window that
// is shown needs its whole client area painted with the background erased;
// a hidden window has nothing to paint. BeginPaint erases (WM_ERASEBKGND)
// when asked, hands out a DC clipped to the update region and validates it.
#include "platform/host/desktop.h"

#include <algorithm>

using namespace sim::detail;

namespace sim::detail {

// Non-client metrics as the classic theme has them: a captioned window has
// a 3-pixel fixed frame and a 19-pixel caption (18 and a 1-pixel line); a
// bordered window without caption has a 1-pixel border.
RECT client_rect(const Window& w) {
    int frame = 0, caption = 0;
    if ((w.style & WS_CAPTION) == WS_CAPTION) {
        frame = 3;
        caption = 19;
    } else if (w.style & WS_BORDER) {
        frame = 1;
    }
    RECT r{0, 0, std::max(0, w.width - 2 * frame), std::max(0, w.height - 2 * frame - caption)};
    return r;
}

void invalidate_client(Window& w, bool erase) {
    if (!w.visible)
        return;
    w.has_update = true;
    w.update = client_rect(w);
    w.erase_pending = w.erase_pending || erase;
}

void fill_pixels(Window& w, const RECT& rect, const RECT& clip, COLORREF color) {
    RECT client = client_rect(w);
    LONG left = std::max({rect.left, clip.left, client.left});
    LONG top = std::max({rect.top, clip.top, client.top});
    LONG right = std::min({rect.right, clip.right, client.right});
    LONG bottom = std::min({rect.bottom, clip.bottom, client.bottom});
    // COLORREF is 0x00BBGGRR; the framebuffer keeps 0x00RRGGBB.
    uint32_t pixel = ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
    for (LONG y = top; y < bottom; ++y)
        for (LONG x = left; x < right; ++x)
            w.pixels[static_cast<size_t>(y) * static_cast<size_t>(client.right) +
                     static_cast<size_t>(x)] = pixel;
}

} // namespace sim::detail

namespace {

HDC new_dc(HWND window, bool for_paint, const RECT& clip) {
    World& w = world();
    DeviceContext dc;
    dc.window = window;
    dc.for_paint = for_paint;
    dc.clip = clip;
    w.dcs.push_back(dc);
    return dc_handle(w.dcs.size() - 1);
}

} // namespace

BOOL WINAPI InvalidateRgn(HWND window, HRGN region, BOOL erase) {
    CallRecord c("InvalidateRgn", handle_name(window) + ", " + handle_name(region) + ", " +
                                      bool_text(erase));
    Window* w = find_window(window);
    if (!w || w->foreign) {
        c.result("FALSE");
        return FALSE;
    }
    if (region)
        fault("InvalidateRgn: only the whole client area (no region) is supported");
    invalidate_client(*w, erase != FALSE);
    c.result("TRUE");
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window) {
    CallRecord c("UpdateWindow", handle_name(window));
    Window* w = find_window(window);
    if (!w || w->foreign) {
        c.result("FALSE");
        return FALSE;
    }
    // WM_PAINT goes straight to the procedure, and only when there is
    // something to paint.
    if (w->visible && w->has_update)
        call_window_proc(window, WM_PAINT, 0, 0);
    c.result("TRUE");
    return TRUE;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    CallRecord c("BeginPaint", handle_name(window));
    Window* w = find_window(window);
    if (!w || w->foreign || !paint) {
        c.result("NULL");
        return nullptr;
    }
    RECT area = w->has_update ? w->update : RECT{0, 0, 0, 0};
    bool erase = w->erase_pending;
    // Validate first, as Windows does: what the erase or the paint does
    // not invalidate again stays valid.
    w->has_update = false;
    w->erase_pending = false;
    HDC dc = new_dc(window, true, area);
    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    paint->rcPaint = area;
    paint->fErase = FALSE;
    if (erase)
        paint->fErase = call_window_proc(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE
                                                                                                  : TRUE;
    c.result(handle_name(dc) + " " + rect_text(&area));
    return dc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint) {
    CallRecord c("EndPaint", handle_name(window) + ", " + (paint ? handle_name(paint->hdc) : "NULL"));
    DeviceContext* dc = paint ? find_dc(paint->hdc) : nullptr;
    if (!dc || !dc->for_paint || dc->released || dc->window != window) {
        c.result("FALSE");
        return FALSE;
    }
    dc->released = true;
    c.result("TRUE");
    return TRUE;
}

HDC WINAPI GetDC(HWND window) {
    CallRecord c("GetDC", handle_name(window));
    Window* w = find_window(window);
    if (!w || w->foreign) {
        c.result("NULL");
        return nullptr;
    }
    HDC dc = new_dc(window, false, client_rect(*w));
    c.result(handle_name(dc));
    return dc;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
    CallRecord c("ReleaseDC", handle_name(window) + ", " + handle_name(dc));
    DeviceContext* d = find_dc(dc);
    if (!d || d->for_paint || d->released || d->window != window) {
        c.result("0");
        return 0;
    }
    d->released = true;
    c.result("1");
    return 1;
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    CallRecord c("FillRect", handle_name(dc) + ", " + rect_text(rect) + ", " + handle_name(brush));
    DeviceContext* d = find_dc(dc);
    GdiObject* b = find_object(brush);
    Window* w = d ? find_window(d->window) : nullptr;
    if (!d || d->released || !w || !rect || !b || b->kind != ObjectKind::brush) {
        c.result("0");
        return 0;
    }
    // Windows' rectangles leave out their right and bottom edges.
    fill_pixels(*w, *rect, d->clip, b->color);
    c.result("1");
    return 1;
}
