// Window classes, windows, placement, search and the cursor.
#include "platform/host/desktop.h"

#include <algorithm>
#include <cctype>

using namespace sim::detail;

namespace {

const char* show_name(int command) {
    switch (command) {
    case SW_HIDE: return "SW_HIDE";
    case SW_SHOWNORMAL: return "SW_SHOWNORMAL";
    case SW_SHOWMINIMIZED: return "SW_SHOWMINIMIZED";
    case SW_SHOWMAXIMIZED: return "SW_SHOWMAXIMIZED";
    case SW_SHOW: return "SW_SHOW";
    case SW_MINIMIZE: return "SW_MINIMIZE";
    case SW_RESTORE: return "SW_RESTORE";
    case SW_SHOWDEFAULT: return "SW_SHOWDEFAULT";
    default: return nullptr;
    }
}

std::string hex(DWORD value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(value));
    return buf;
}

std::string coordinate(int value) {
    return value == CW_USEDEFAULT ? "CW_USEDEFAULT" : std::to_string(value);
}

std::string show_text(int command) {
    const char* name = show_name(command);
    return name ? name : std::to_string(command);
}

// Makes a window visible or hidden. A window that becomes visible needs its
// whole client area painted, background first; a hidden one has nothing to
// paint.
void set_visible(HWND handle, Window& w, bool visible) {
    if (w.visible == visible)
        return;
    if (!w.foreign)
        call_window_proc(handle, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
    Window* again = find_window(handle);
    if (!again)
        return;
    again->visible = visible;
    if (visible) {
        invalidate_client(*again, true);
    } else {
        again->has_update = false;
        again->erase_pending = false;
    }
}

} // namespace

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    CallRecord c("RegisterClassA",
                 wc ? "{style=" + number(wc->style) + ", proc=" +
                          (wc->lpfnWndProc ? "set" : "NULL") + ", instance=" +
                          handle_name(wc->hInstance) + ", icon=" + handle_name(wc->hIcon) +
                          ", cursor=" + handle_name(wc->hCursor) + ", background=" +
                          handle_name(wc->hbrBackground) + ", menu=" + quoted(wc->lpszMenuName) +
                          ", class=" + quoted(wc->lpszClassName) + "}"
                    : "NULL");
    World& w = world();
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || injected_failure("RegisterClassA")) {
        c.result("0");
        return 0;
    }
    for (const auto& existing : w.classes)
        if (same_name(wc->lpszClassName, existing.name)) {
            c.result("0"); // ERROR_CLASS_ALREADY_EXISTS
            return 0;
        }
    w.classes.push_back(WindowClass{wc->lpszClassName, *wc});
    ATOM atom = static_cast<ATOM>(0xC000 + w.classes.size() - 1);
    c.result(number(atom));
    return atom;
}

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    CallRecord c("CreateWindowExA",
                 hex(ex_style) + ", " + quoted(class_name) + ", " + quoted(title) + ", " +
                     hex(style) + ", " + coordinate(x) + ", " + coordinate(y) + ", " + coordinate(width) +
                     ", " + coordinate(height) + ", " + handle_name(parent) + ", " +
                     handle_name(menu) + ", " + handle_name(instance) + ", " +
                     handle_name(param));
    World& w = world();
    const WindowClass* cls = nullptr;
    for (const auto& k : w.classes)
        if (class_name && same_name(class_name, k.name))
            cls = &k;
    if (injected_failure("CreateWindowExA")) {
        c.result("NULL");
        return nullptr;
    }
    if (!cls || parent || menu) {
        if (!cls)
            c.result("NULL");
        else {
            fault("CreateWindowExA: child windows and menus are not supported");
            c.result("NULL");
        }
        return nullptr;
    }
    Window win;
    win.exists = true;
    win.process = "launcher";
    win.class_name = cls->name;
    win.title = title ? title : "";
    // A top-level window that is neither a pop-up nor a child gets a caption.
    win.style = style;
    if (!(style & (WS_POPUP | WS_CHILD)))
        win.style |= WS_CAPTION | WS_CLIPSIBLINGS;
    win.ex_style = ex_style;
    win.topmost = (ex_style & WS_EX_TOPMOST) != 0;
    win.x = x == CW_USEDEFAULT ? 26 : x;
    win.y = x == CW_USEDEFAULT ? 26 : y;
    win.width = width == CW_USEDEFAULT ? 640 : width;
    win.height = width == CW_USEDEFAULT ? 480 : height;
    win.proc = cls->description.lpfnWndProc;
    win.background = cls->description.hbrBackground;
    w.windows.push_back(win);
    HWND handle = window_handle(w.windows.size() - 1);
    RECT client = client_rect(w.windows.back());
    w.windows.back().pixels.assign(static_cast<size_t>(client.right) * static_cast<size_t>(client.bottom),
                                   0);
    if (!call_window_proc(handle, WM_NCCREATE, 0, 0) ||
        call_window_proc(handle, WM_CREATE, 0, 0) == -1) {
        w.windows[reinterpret_cast<uintptr_t>(handle) - 1].exists = false;
        c.result("NULL");
        return nullptr;
    }
    if (style & WS_VISIBLE) {
        Window* made = find_window(handle);
        set_visible(handle, *made, true);
    }
    c.result(handle_name(handle));
    return handle;
}

BOOL WINAPI SetWindowPos(HWND window, HWND insert_after, int x, int y, int cx, int cy, UINT flags) {
    CallRecord c("SetWindowPos", handle_name(window) + ", " + handle_name(insert_after) + ", " +
                                     number(x) + ", " + number(y) + ", " + number(cx) + ", " +
                                     number(cy) + ", " + hex(flags));
    Window* w = find_window(window);
    if (!w) {
        c.result("FALSE");
        return FALSE;
    }
    if (!(flags & SWP_NOMOVE)) {
        w->x = x;
        w->y = y;
    }
    if (!(flags & SWP_NOSIZE)) {
        w->width = cx;
        w->height = cy;
        if (!w->foreign) {
            RECT client = client_rect(*w);
            w->pixels.assign(static_cast<size_t>(client.right) * static_cast<size_t>(client.bottom), 0);
            if (w->visible)
                invalidate_client(*w, true);
        }
    }
    if (flags & SWP_SHOWWINDOW) {
        // SetWindowPos shows without WM_SHOWWINDOW.
        if (!w->visible) {
            w->visible = true;
            if (!w->foreign)
                invalidate_client(*w, true);
        }
    } else if (flags & SWP_HIDEWINDOW) {
        w->visible = false;
        w->has_update = false;
    }
    c.result("TRUE");
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    CallRecord c("ShowWindow", handle_name(window) + ", " + show_text(command));
    Window* w = find_window(window);
    if (!w) {
        c.result("FALSE"); // ERROR_INVALID_WINDOW_HANDLE
        return FALSE;
    }
    BOOL was_visible = w->visible ? TRUE : FALSE;
    if (w->foreign)
        w->received.push_back("ShowWindow(" + show_text(command) + ")");
    switch (command) {
    case SW_HIDE: set_visible(window, *w, false); break;
    case SW_SHOWMAXIMIZED:
        w->maximized = true;
        set_visible(window, *w, true);
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        w->maximized = false;
        set_visible(window, *w, true);
        break;
    case SW_SHOW:
    case SW_SHOWDEFAULT: set_visible(window, *w, true); break;
    default: fault("ShowWindow: command " + show_text(command) + " is not supported"); break;
    }
    c.result(bool_text(was_visible));
    return was_visible;
}

HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR title) {
    CallRecord c("FindWindowA", quoted(class_name) + ", " + quoted(title));
    HWND found = sim::find_window(class_name ? class_name : "", title ? title : "");
    if (!class_name || !title) {
        fault("FindWindowA: a search without class or title is not supported");
        found = nullptr;
    }
    c.result(handle_name(found));
    return found;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    CallRecord c("LoadCursorA", handle_name(instance) + ", " +
                                    (name == IDC_WAIT    ? std::string("IDC_WAIT")
                                     : name == IDC_ARROW ? std::string("IDC_ARROW")
                                                         : quoted(name)));
    // System cursors are shared objects with fixed handles.
    HCURSOR cursor = nullptr;
    if (!instance && name == IDC_WAIT)
        cursor = reinterpret_cast<HCURSOR>(0x30000 + 32514);
    else if (!instance && name == IDC_ARROW)
        cursor = reinterpret_cast<HCURSOR>(0x30000 + 32512);
    else
        fault("LoadCursorA: only the system's wait and arrow cursors exist here");
    c.result(cursor == reinterpret_cast<HCURSOR>(0x30000 + 32514)   ? "IDC_WAIT"
             : cursor == reinterpret_cast<HCURSOR>(0x30000 + 32512) ? "IDC_ARROW"
                                                                    : "NULL");
    return cursor;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    auto name = [](HCURSOR h) -> std::string {
        if (h == reinterpret_cast<HCURSOR>(0x30000 + 32514))
            return "IDC_WAIT";
        if (h == reinterpret_cast<HCURSOR>(0x30000 + 32512))
            return "IDC_ARROW";
        return h ? handle_name(h) : "NULL";
    };
    CallRecord c("SetCursor", name(cursor));
    World& w = world();
    std::string previous = w.cursor;
    w.cursor = cursor ? name(cursor) : "none";
    c.result(previous == "none" ? "NULL" : previous);
    if (previous == "IDC_WAIT")
        return reinterpret_cast<HCURSOR>(0x30000 + 32514);
    if (previous == "IDC_ARROW")
        return reinterpret_cast<HCURSOR>(0x30000 + 32512);
    return nullptr;
}

int WINAPI ShowCursor(BOOL show) {
    CallRecord c("ShowCursor", bool_text(show));
    World& w = world();
    w.cursor_count += show ? 1 : -1;
    c.result(number(w.cursor_count));
    return w.cursor_count;
}
