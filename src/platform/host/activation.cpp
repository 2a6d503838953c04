// Activation of the launcher thread's windows. The launcher has one thread,
// so every launcher window is a top-level window of the application.
#include "platform/host/activation.h"

#include "platform/host/world.h"

namespace sim::detail {

namespace {

void tell_application(BOOL active) {
    World &w = world();
    for (size_t i = 0; i < w.user.windows.size(); ++i) {
        HWND h = window_handle(i);
        if (is_launcher_window(h))
            call_window_proc(h, WM_ACTIVATEAPP, static_cast<WPARAM>(active), 0);
    }
    world().user.application_active = active != FALSE;
}

void lose_activation(HWND window) {
    if (find_window(window)) {
        call_window_proc(window, WM_NCACTIVATE, FALSE, 0);
        call_window_proc(window, WM_ACTIVATE, WA_INACTIVE, 0);
    }
}

void lose_focus() {
    World &w = world();
    HWND focus = w.user.focus;
    w.user.focus = nullptr;
    if (focus && find_window(focus))
        call_window_proc(focus, WM_KILLFOCUS, 0, 0);
}

} // namespace

void set_focus(HWND window) {
    World &w = world();
    HWND previous = w.user.focus;
    if (previous == window)
        return;
    if (previous && find_window(previous))
        call_window_proc(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    w.user.focus = window;
    call_window_proc(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
}

void activate(HWND window) {
    World &w = world();
    Window *win = find_window(window);
    if (!win || !win->visible || w.user.active == window)
        return;
    HWND previous = w.user.active;
    // Brought to the top of the Z order; nothing else changes.
    WINDOWPOS pos{window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE};
    call_window_proc(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (previous)
        lose_activation(previous);
    w.user.active = window;
    if (!w.user.application_active)
        tell_application(TRUE);
    call_window_proc(window, WM_NCACTIVATE, TRUE, 0);
    call_window_proc(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
}

void deactivate_application() {
    World &w = world();
    HWND previous = w.user.active;
    if (!w.user.application_active && !previous)
        return;
    w.user.active = nullptr;
    if (previous)
        lose_activation(previous);
    if (w.user.application_active)
        tell_application(FALSE);
    lose_focus();
}

HWND activate_own_dialog() {
    World &w = world();
    HWND previous = w.user.active;
    if (previous) {
        w.user.active = nullptr;
        lose_activation(previous);
        lose_focus();
    }
    if (!w.user.application_active)
        tell_application(TRUE);
    return previous;
}

void dialog_closed(HWND previously_active) {
    Window *win = find_window(previously_active);
    if (win && win->visible) {
        activate(previously_active);
        return;
    }
    if (world().user.application_active)
        tell_application(FALSE);
}

} // namespace sim::detail
