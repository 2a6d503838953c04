// Update regions, WM_PAINT, device contexts and rectangle filling.
//
// Each launcher window has a framebuffer for its client area. A window that
// is shown needs its whole client area painted; its background is erased at
// once, and WM_PAINT follows through the queue. BeginPaint erases (sends
// WM_ERASEBKGND) only what is still to be erased, hands out a DC clipped to
// the update region and validates it.
#include "platform/host/world.h"

#include <algorithm>

using namespace sim::detail;

namespace sim::detail {

void invalidate_client(Window &w, bool erase) {
    if (!w.visible)
        return;
    w.has_update = true;
    w.update = client_rect(w);
    w.erase_pending = w.erase_pending || erase;
}

void fill_pixels(Window &w, const RECT &rect, const RECT &clip, COLORREF color) {
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

HDC new_dc(HWND window, bool for_paint, const RECT &clip) {
    World &w = world();
    DeviceContext dc;
    dc.window = window;
    dc.for_paint = for_paint;
    dc.clip = clip;
    w.gdi.dcs.push_back(dc);
    return dc_handle(w.gdi.dcs.size() - 1);
}

void erase_now(HWND window) {
    Window *w = find_window(window);
    if (!w || !w->visible || !w->has_update || !w->erase_pending)
        return;
    HDC dc = new_dc(window, false, w->update);
    // A window that does not erase stays marked, and BeginPaint says so.
    if (call_window_proc(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0)) {
        if (Window *again = find_window(window))
            again->erase_pending = false;
    }
    world().gdi.dcs[reinterpret_cast<uintptr_t>(dc) - device_context_base].released = true;
}

GdiObject *find_object(HGDIOBJ handle) {
    auto value = reinterpret_cast<uintptr_t>(handle);
    World &w = world();
    if (value < gdi_object_base || value - gdi_object_base >= w.gdi.objects.size())
        return nullptr;
    return &w.gdi.objects[value - gdi_object_base];
}

DeviceContext *find_dc(HDC dc) {
    auto value = reinterpret_cast<uintptr_t>(dc);
    World &w = world();
    if (value < device_context_base || value - device_context_base >= w.gdi.dcs.size())
        return nullptr;
    return &w.gdi.dcs[value - device_context_base];
}

} // namespace sim::detail

BOOL WINAPI InvalidateRgn(HWND window, HRGN region, BOOL erase) {
    CallRecord c("InvalidateRgn", Args().window(window).handle(region).boolean(erase));
    if (!is_launcher_window(window)) {
        set_last_error(ERROR_INVALID_WINDOW_HANDLE);
        c.result_bool(FALSE);
        return FALSE;
    }
    if (region)
        fault("InvalidateRgn: only the whole client area (no region) is supported");
    invalidate_client(*find_window(window), erase != FALSE);
    c.result_bool(TRUE);
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window) {
    CallRecord c("UpdateWindow", Args().window(window));
    Window *w = find_window(window);
    if (!w || w->owner != launcher_owner) {
        set_last_error(ERROR_INVALID_WINDOW_HANDLE);
        c.result_bool(FALSE);
        return FALSE;
    }
    // WM_PAINT goes straight to the procedure, and only when there is
    // something to paint.
    if (w->visible && w->has_update)
        call_window_proc(window, WM_PAINT, 0, 0);
    c.result_bool(TRUE);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    CallRecord c("BeginPaint", Args().window(window));
    Window *w = find_window(window);
    if (!w || w->owner != launcher_owner || !paint) {
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
        paint->fErase =
            call_window_proc(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    c.result(handle_name(dc) + " " + Args().rect(&area).args_text());
    return dc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT *paint) {
    CallRecord c("EndPaint", Args().window(window).handle(paint ? paint->hdc : nullptr));
    DeviceContext *dc = paint ? find_dc(paint->hdc) : nullptr;
    if (!dc || !dc->for_paint || dc->released || dc->window != window) {
        c.result_bool(FALSE);
        return FALSE;
    }
    dc->released = true;
    c.result_bool(TRUE);
    return TRUE;
}

HDC WINAPI GetDC(HWND window) {
    CallRecord c("GetDC", Args().window(window));
    Window *w = find_window(window);
    if (!w || w->owner != launcher_owner) {
        c.result("NULL");
        return nullptr;
    }
    HDC dc = new_dc(window, false, client_rect(*w));
    c.result(handle_name(dc));
    return dc;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
    CallRecord c("ReleaseDC", Args().window(window).handle(dc));
    DeviceContext *d = find_dc(dc);
    if (!d || d->for_paint || d->released || d->window != window) {
        c.result_number(0);
        return 0;
    }
    d->released = true;
    c.result_number(1);
    return 1;
}

int WINAPI FillRect(HDC dc, const RECT *rect, HBRUSH brush) {
    CallRecord c("FillRect", Args().handle(dc).rect(rect).handle(brush));
    DeviceContext *d = find_dc(dc);
    GdiObject *b = find_object(brush);
    Window *w = d ? find_window(d->window) : nullptr;
    if (!d || d->released || !w || !rect || !b || b->kind != ObjectKind::brush) {
        c.result_number(0);
        return 0;
    }
    // Windows' rectangles leave out their right and bottom edges.
    fill_pixels(*w, *rect, d->clip, b->color);
    c.result_number(1);
    return 1;
}
