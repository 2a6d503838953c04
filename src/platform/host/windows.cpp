// Window classes, windows, placement, search and the cursor.
#include "platform/host/activation.h"
#include "platform/host/window_placement.h"
#include "platform/host/world.h"

#include <algorithm>
#include <cctype>

using namespace sim::detail;

namespace sim::detail {

Window *find_window(HWND handle) {
    auto value = reinterpret_cast<uintptr_t>(handle);
    World &w = world();
    if (value == 0 || value > w.user.windows.size())
        return nullptr;
    Window &win = w.user.windows[value - 1];
    return win.exists ? &win : nullptr;
}

bool is_launcher_window(HWND handle) {
    Window *w = find_window(handle);
    return w && w->owner == launcher_owner;
}

// Non-client metrics as the classic theme has them: a captioned window has
// a 3-pixel fixed frame and a 19-pixel caption (18 and a 1-pixel line); a
// bordered window without caption has a 1-pixel border.
RECT client_rect(const Window &w) {
    int frame = 0, caption = 0;
    if ((w.style & WS_CAPTION) == WS_CAPTION) {
        frame = 3;
        caption = 19;
    } else if (w.style & WS_BORDER) {
        frame = 1;
    }
    return RECT{0, 0, std::max(0, w.width - 2 * frame),
                std::max(0, w.height - 2 * frame - caption)};
}

namespace {

void resize_framebuffer(Window &w) {
    RECT client = client_rect(w);
    w.pixels.assign(static_cast<size_t>(client.right) * static_cast<size_t>(client.bottom), 0);
}

} // namespace

void set_window_pos(HWND window, int x, int y, int cx, int cy, UINT flags) {
    Window *w = find_window(window);
    if (!w)
        return;
    const bool own = w->owner == launcher_owner;
    WINDOWPOS pos{window, nullptr, x, y, cx, cy, flags};
    if (own) {
        call_window_proc(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
        w = find_window(window);
        if (!w)
            return;
    }
    const RECT old_client = client_rect(*w);
    const bool moved = !(pos.flags & SWP_NOMOVE) && (pos.x != w->x || pos.y != w->y);
    const bool sized = !(pos.flags & SWP_NOSIZE) && (pos.cx != w->width || pos.cy != w->height);
    if (moved) {
        w->x = pos.x;
        w->y = pos.y;
    }
    if (sized) {
        w->width = pos.cx;
        w->height = pos.cy;
        if (own)
            resize_framebuffer(*w);
    }
    if (own && (moved || sized)) {
        NCCALCSIZE_PARAMS params{};
        params.rgrc[0] = RECT{w->x, w->y, w->x + w->width, w->y + w->height};
        params.lppos = &pos;
        call_window_proc(window, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
        w = find_window(window);
        if (!w)
            return;
        if (sized && w->visible)
            invalidate_client(*w, true);
    }
    const bool showing = (pos.flags & SWP_SHOWWINDOW) && !w->visible;
    const bool hiding = (pos.flags & SWP_HIDEWINDOW) && w->visible;
    if (showing) {
        w->visible = true;
        if (own)
            invalidate_client(*w, true);
    } else if (hiding) {
        w->visible = false;
        w->has_update = false;
        w->erase_pending = false;
    }
    if (!own)
        return;
    if (showing && !(pos.flags & SWP_NOACTIVATE))
        activate(window);
    if (showing) {
        // A window that appears has its frame and background painted at
        // once; its WM_PAINT follows through the queue.
        call_window_proc(window, WM_NCPAINT, 1, 0);
        erase_now(window);
    }
    w = find_window(window);
    if (!w)
        return;
    const RECT new_client = client_rect(*w);
    UINT changed = pos.flags;
    if (new_client.right == old_client.right && new_client.bottom == old_client.bottom)
        changed |= SWP_NOCLIENTSIZE;
    if (!moved)
        changed |= SWP_NOCLIENTMOVE;
    if (hiding)
        changed |= SWP_NOZORDER;
    WINDOWPOS done{window, nullptr, w->x, w->y, w->width, w->height, changed};
    call_window_proc(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&done));
    if (hiding && world().user.active == window)
        deactivate_application();
}

BOOL show_window(HWND window, int command) {
    Window *w = find_window(window);
    if (!w)
        return FALSE;
    const bool own = w->owner == launcher_owner;
    const BOOL was_visible = w->visible ? TRUE : FALSE;
    bool show = true;
    switch (command) {
    case SW_HIDE:
        show = false;
        break;
    case SW_SHOWMAXIMIZED:
        w->maximized = true;
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        w->maximized = false;
        break;
    case SW_SHOW:
    case SW_SHOWDEFAULT:
        break;
    default:
        fault("ShowWindow: command " + show_command_name(command) + " is not supported");
        return was_visible;
    }
    if (show == (was_visible != FALSE))
        return was_visible;
    if (own)
        call_window_proc(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    set_window_pos(window, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE |
                       (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW | SWP_NOACTIVATE));
    w = find_window(window);
    if (own && w && show && w->needs_size_and_move) {
        // A window shown for the first time without having been sized yet
        // learns its size and place.
        w->needs_size_and_move = false;
        RECT client = client_rect(*w);
        call_window_proc(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
        call_window_proc(window, WM_MOVE, 0, MAKELPARAM(w->x, w->y));
    }
    return was_visible;
}

} // namespace sim::detail

ATOM WINAPI RegisterClassA(const WNDCLASSA *wc) {
    Args a;
    if (wc)
        a.text("{style=" + std::to_string(wc->style) + ", proc=" +
               (wc->lpfnWndProc ? "set" : "NULL") + ", instance=" + handle_name(wc->hInstance) +
               ", icon=" + handle_name(wc->hIcon) + ", cursor=" + handle_name(wc->hCursor) +
               ", background=" + handle_name(wc->hbrBackground) +
               ", menu=" + quoted(wc->lpszMenuName) + ", class=" + quoted(wc->lpszClassName) + "}");
    else
        a.text("NULL");
    CallRecord c("RegisterClassA", a);
    World &w = world();
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || injected_failure("RegisterClassA")) {
        c.result("0");
        return 0;
    }
    for (const auto &existing : w.user.classes)
        if (same_name(wc->lpszClassName, existing.name)) {
            c.result("0"); // ERROR_CLASS_ALREADY_EXISTS
            return 0;
        }
    w.user.classes.push_back(WindowClass{wc->lpszClassName, *wc});
    ATOM atom = static_cast<ATOM>(0xC000 + w.user.classes.size() - 1);
    c.result_number(atom);
    return atom;
}

namespace {

std::string coordinate(int value) {
    return value == CW_USEDEFAULT ? "CW_USEDEFAULT" : std::to_string(value);
}

// Where Windows puts a top-level window given CW_USEDEFAULT: the first
// cascade position, and a default size.
constexpr int default_x = 26, default_y = 26, default_width = 640, default_height = 480;

} // namespace

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    CallRecord c("CreateWindowExA", Args()
                                        .hex(ex_style)
                                        .string(class_name)
                                        .string(title)
                                        .hex(style)
                                        .text(coordinate(x))
                                        .text(coordinate(y))
                                        .text(coordinate(width))
                                        .text(coordinate(height))
                                        .handle(parent)
                                        .handle(menu)
                                        .handle(instance)
                                        .handle(param));
    World &w = world();
    const WindowClass *cls = nullptr;
    for (const auto &k : w.user.classes)
        if (class_name && same_name(class_name, k.name))
            cls = &k;
    if (injected_failure("CreateWindowExA") || !cls) {
        c.result("NULL");
        return nullptr;
    }
    if (parent || menu) {
        fault("CreateWindowExA: child windows and menus are not supported");
        c.result("NULL");
        return nullptr;
    }
    Window win;
    win.exists = true;
    win.class_name = cls->name;
    win.title = title ? title : "";
    // A top-level window that is neither a pop-up nor a child gets a caption.
    win.style = style & ~WS_VISIBLE;
    const bool overlapped = !(style & (WS_POPUP | WS_CHILD));
    if (overlapped)
        win.style |= WS_CAPTION | WS_CLIPSIBLINGS;
    win.ex_style = ex_style;
    win.topmost = (ex_style & WS_EX_TOPMOST) != 0;
    win.x = x == CW_USEDEFAULT ? default_x : x;
    win.y = x == CW_USEDEFAULT ? default_y : y;
    win.width = width == CW_USEDEFAULT ? default_width : width;
    win.height = width == CW_USEDEFAULT ? default_height : height;
    win.proc = cls->description.lpfnWndProc;
    win.background = cls->description.hbrBackground;
    resize_framebuffer(win);
    w.user.windows.push_back(win);
    const size_t index = w.user.windows.size() - 1;
    HWND handle = window_handle(index);

    CREATESTRUCTA create{};
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parent;
    create.cy = win.height;
    create.cx = win.width;
    create.y = win.y;
    create.x = win.x;
    create.style = static_cast<LONG>(style);
    create.lpszName = title;
    create.lpszClass = class_name;
    create.dwExStyle = ex_style;
    auto created = reinterpret_cast<LPARAM>(&create);
    if (overlapped || (style & WS_THICKFRAME)) {
        MINMAXINFO limits{};
        call_window_proc(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    }
    bool ok = call_window_proc(handle, WM_NCCREATE, 0, created) != 0;
    if (ok) {
        RECT frame{win.x, win.y, win.x + win.width, win.y + win.height};
        call_window_proc(handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&frame));
        ok = call_window_proc(handle, WM_CREATE, 0, created) != -1;
    }
    if (!ok) {
        world().user.windows[index].exists = false;
        c.result("NULL");
        return nullptr;
    }
    if (style & WS_VISIBLE)
        show_window(handle, SW_SHOW);
    c.result(handle_name(handle));
    return handle;
}

BOOL WINAPI SetWindowPos(HWND window, HWND insert_after, int x, int y, int cx, int cy, UINT flags) {
    CallRecord c("SetWindowPos", Args()
                                     .window(window)
                                     .handle(insert_after)
                                     .number(x)
                                     .number(y)
                                     .number(cx)
                                     .number(cy)
                                     .hex(flags));
    if (!find_window(window)) {
        set_last_error(ERROR_INVALID_WINDOW_HANDLE);
        c.result_bool(FALSE);
        return FALSE;
    }
    set_window_pos(window, x, y, cx, cy, flags);
    c.result_bool(TRUE);
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    CallRecord c("ShowWindow", Args().window(window).show_command(command));
    Window *w = find_window(window);
    if (!w) {
        set_last_error(ERROR_INVALID_WINDOW_HANDLE);
        c.result_bool(FALSE);
        return FALSE;
    }
    if (w->owner != launcher_owner) {
        // Another process's window: it changes, and the program sees it.
        BOOL was_visible = show_window(window, command);
        deliver_to_process_window(window, 0, 0, 0, "ShowWindow(" + show_command_name(command) + ")",
                                  nullptr);
        c.result_bool(was_visible);
        return was_visible;
    }
    BOOL was_visible = show_window(window, command);
    c.result_bool(was_visible);
    return was_visible;
}

HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR title) {
    CallRecord c("FindWindowA", Args().string(class_name).string(title));
    if (!class_name || !title) {
        fault("FindWindowA: a search without class or title is not supported");
        c.result("NULL");
        return nullptr;
    }
    HWND found = sim::find_window(class_name, title);
    c.result(handle_name(found));
    return found;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    const auto resource = reinterpret_cast<uintptr_t>(name);
    CallRecord c("LoadCursorA",
                 Args().handle(instance).text(resource == wait_cursor_resource    ? "IDC_WAIT"
                                              : resource == arrow_cursor_resource ? "IDC_ARROW"
                                                                                  : quoted(name)));
    HCURSOR cursor = nullptr;
    if (!instance && (resource == wait_cursor_resource || resource == arrow_cursor_resource))
        cursor = system_cursor(resource);
    else
        fault("LoadCursorA: only the system's wait and arrow cursors exist here");
    c.result(handle_name(cursor));
    return cursor;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    CallRecord c("SetCursor", Args().handle(cursor));
    World &w = world();
    HCURSOR previous = nullptr;
    if (w.user.cursor == "IDC_WAIT")
        previous = system_cursor(wait_cursor_resource);
    else if (w.user.cursor == "IDC_ARROW")
        previous = system_cursor(arrow_cursor_resource);
    w.user.cursor = cursor ? handle_name(cursor) : "none";
    c.result(handle_name(previous));
    return previous;
}

int WINAPI ShowCursor(BOOL show) {
    CallRecord c("ShowCursor", Args().boolean(show));
    World &w = world();
    w.user.cursor_count += show ? 1 : -1;
    c.result_number(w.user.cursor_count);
    return w.user.cursor_count;
}

namespace sim {

WindowView window(HWND handle) {
    WindowView v;
    Window *w = detail::find_window(handle);
    if (!w)
        return v;
    v.handle = handle;
    v.process = w->owner == launcher_owner
                    ? "launcher"
                    : world().processes.records[static_cast<size_t>(w->owner)].program;
    v.class_name = w->class_name;
    v.title = w->title;
    v.style = w->style;
    v.ex_style = w->ex_style;
    v.x = w->x;
    v.y = w->y;
    v.width = w->width;
    v.height = w->height;
    RECT c = client_rect(*w);
    v.client_width = c.right;
    v.client_height = c.bottom;
    v.visible = w->visible;
    v.maximized = w->maximized;
    v.topmost = w->topmost;
    return v;
}

HWND find_window(const std::string &class_name, const std::string &title) {
    World &w = world();
    // Newest first: the top of the Z order.
    for (size_t i = w.user.windows.size(); i-- > 0;) {
        const Window &win = w.user.windows[i];
        if (win.exists && same_name(win.class_name, class_name) && same_name(win.title, title))
            return window_handle(i);
    }
    return nullptr;
}

std::vector<std::string> registered_classes() {
    std::vector<std::string> out;
    for (const auto &c : world().user.classes)
        out.push_back(c.name);
    return out;
}

std::string current_cursor() {
    return world().user.cursor;
}
int cursor_show_count() {
    return world().user.cursor_count;
}

} // namespace sim
