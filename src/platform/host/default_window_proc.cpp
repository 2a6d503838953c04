// The default window procedure: what Windows does with the messages a window
// procedure passes on, as far as a launcher window can observe it.
#include "platform/host/activation.h"
#include "platform/host/world.h"

using namespace sim::detail;

namespace {

// The client area of a window whose frame is at rect, in the same
// coordinates.
RECT client_within(const Window &w, const RECT &frame) {
    RECT client = client_rect(w);
    int border = ((w.width - client.right) / 2);
    int caption = w.height - client.bottom - 2 * border;
    return RECT{frame.left + border, frame.top + border + caption, frame.right - border,
                frame.bottom - border};
}

} // namespace

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    CallRecord c("DefWindowProcA",
                 Args().window(window).message(message).wparam(wparam).lparam(lparam));
    LRESULT r = 0;
    Window *w = find_window(window);
    switch (message) {
    case WM_NCCREATE:
        r = TRUE;
        break;
    case WM_NCCALCSIZE:
        // The client area within the proposed frame.
        if (w && lparam) {
            RECT *frame = wparam ? &reinterpret_cast<NCCALCSIZE_PARAMS *>(lparam)->rgrc[0]
                                 : reinterpret_cast<RECT *>(lparam);
            *frame = client_within(*w, *frame);
        }
        break;
    case WM_WINDOWPOSCHANGING: {
        // A window that can be sized asks its own limits first.
        auto *pos = reinterpret_cast<WINDOWPOS *>(lparam);
        if (w && pos && !(pos->flags & SWP_NOSIZE) &&
            ((w->style & WS_THICKFRAME) || !(w->style & (WS_POPUP | WS_CHILD)))) {
            MINMAXINFO limits{};
            call_window_proc(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        }
        break;
    }
    case WM_WINDOWPOSCHANGED: {
        // Tells the window that its client area moved or changed size.
        auto *pos = reinterpret_cast<WINDOWPOS *>(lparam);
        if (w && pos) {
            RECT client = client_rect(*w);
            if (!(pos->flags & SWP_NOCLIENTMOVE))
                call_window_proc(window, WM_MOVE, 0, MAKELPARAM(w->x, w->y));
            if (!(pos->flags & SWP_NOCLIENTSIZE))
                call_window_proc(window, WM_SIZE, w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                                 MAKELPARAM(client.right, client.bottom));
        }
        break;
    }
    case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE)
            set_focus(window);
        break;
    case WM_NCACTIVATE:
        r = TRUE;
        break;
    case WM_ERASEBKGND:
        // Erase with the class brush, within the DC's clipping.
        if (w && w->background) {
            RECT all = client_rect(*w);
            FillRect(reinterpret_cast<HDC>(wparam), &all, w->background);
            r = 1;
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        break;
    }
    case WM_CLOSE:
        fault("DefWindowProcA: WM_CLOSE would destroy the window, which is not modelled");
        break;
    default:
        break;
    }
    c.result_number(r);
    return r;
}
