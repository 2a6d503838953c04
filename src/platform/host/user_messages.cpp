// The launcher thread's message queue, sent and posted messages, the default
// window procedure and message boxes.
//
// Windows hands a message that another process sends to a window of this
// thread to its procedure only while the thread is inside PeekMessageA,
// GetMessageA, SendMessageA or a modal loop; so does this desktop.
#include "platform/host/desktop.h"

using namespace sim::detail;

namespace sim::detail {

// Past this much virtual time a run is taken to hang.
constexpr uint64_t time_limit_ms = 24ull * 3600 * 1000;
// More messages than this at one virtual moment means a loop that never ends.
constexpr uint64_t busy_limit = 1000000;

LRESULT call_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* w = find_window(window);
    if (!w || w->foreign || !w->proc)
        return 0;
    WNDPROC proc = w->proc;
    // WM_ERASEBKGND carries a device context.
    std::string first = message == WM_ERASEBKGND ? handle_name(reinterpret_cast<HDC>(wparam))
                                                 : number(static_cast<long long>(wparam));
    CallRecord c("wndproc", handle_name(window) + ", " + message_name(message) + ", " + first + ", " +
                                number(static_cast<long long>(lparam)));
    LRESULT r = proc(window, message, wparam, lparam);
    c.result(number(r));
    return r;
}

void deliver_incoming_sends() {
    // Whatever other processes did up to now has happened.
    advance_to(world().now);
    World& w = world();
    while (!w.incoming.empty()) {
        IncomingSend s = w.incoming.front();
        w.incoming.pop_front();
        ForeignSend& record = w.foreign_sends[s.record];
        UINT message = record.message;
        WPARAM wparam = record.wparam;
        LPARAM lparam = record.lparam;
        CallRecord c("incoming", record.sender + " sends " + message_name(message) + ", " +
                                     number(static_cast<long long>(wparam)) + ", " +
                                     number(static_cast<long long>(lparam)) + " to " +
                                     handle_name(s.target));
        bool alive = find_window(s.target) != nullptr;
        LRESULT r = alive ? call_window_proc(s.target, message, wparam, lparam) : 0;
        ForeignSend& done = world().foreign_sends[s.record];
        done.delivered = alive;
        done.result = r;
        done.answered_at_ms = world().now;
    }
}

bool take_message(MSG* msg, HWND filter, bool remove) {
    World& w = world();
    for (auto it = w.posted.begin(); it != w.posted.end(); ++it) {
        if (!filter || it->hwnd == filter) {
            *msg = *it;
            if (remove)
                w.posted.erase(it);
            return true;
        }
    }
    if (!filter && w.quit_posted) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(w.quit_code);
        msg->time = static_cast<DWORD>(w.now);
        if (remove)
            w.quit_posted = false;
        return true;
    }
    for (size_t i = 0; i < w.windows.size(); ++i) {
        Window& win = w.windows[i];
        HWND handle = window_handle(i);
        if (win.exists && !win.foreign && win.visible && win.has_update &&
            (!filter || filter == handle)) {
            // WM_PAINT is not queued: it comes whenever nothing else is due
            // and stays until the update region is validated.
            *msg = MSG{};
            msg->hwnd = handle;
            msg->message = WM_PAINT;
            msg->time = static_cast<DWORD>(w.now);
            return true;
        }
    }
    return false;
}

} // namespace sim::detail

namespace {

std::string msg_args(const MSG* m) {
    if (!m)
        return "NULL";
    return "{" + handle_name(m->hwnd) + ", " + message_name(m->message) + ", " +
           number(static_cast<long long>(m->wParam)) + ", " +
           number(static_cast<long long>(m->lParam)) + "}";
}

void check_filter_range(UINT first, UINT last, const char* call) {
    if (first != 0 || last != 0)
        fault(std::string(call) + ": message range filters are not supported");
}

} // namespace

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    CallRecord c("PostMessageA", handle_name(window) + ", " + message_name(message) + ", " +
                                     number(static_cast<long long>(wparam)) + ", " +
                                     number(static_cast<long long>(lparam)));
    Window* w = find_window(window);
    if (!w) {
        c.result("FALSE");
        return FALSE;
    }
    if (w->foreign) {
        w->received.push_back("PostMessageA(" + message_name(message) + ", " +
                              number(static_cast<long long>(wparam)) + ", " +
                              number(static_cast<long long>(lparam)) + ")");
    } else {
        MSG m{};
        m.hwnd = window;
        m.message = message;
        m.wParam = wparam;
        m.lParam = lparam;
        m.time = static_cast<DWORD>(world().now);
        world().posted.push_back(m);
    }
    c.result("TRUE");
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    CallRecord c("SendMessageA", handle_name(window) + ", " + message_name(message) + ", " +
                                     number(static_cast<long long>(wparam)) + ", " +
                                     number(static_cast<long long>(lparam)));
    Window* w = find_window(window);
    LRESULT r = 0;
    if (w && w->foreign) {
        // While this thread waits for the other process's answer, messages
        // sent to it are handled.
        deliver_incoming_sends();
        w = find_window(window);
        if (w)
            w->received.push_back("SendMessageA(" + message_name(message) + ", " +
                                  number(static_cast<long long>(wparam)) + ", " +
                                  number(static_cast<long long>(lparam)) + ")");
    } else if (w) {
        r = call_window_proc(window, message, wparam, lparam);
    }
    c.result(number(r));
    return r;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT first, UINT last, UINT remove) {
    CallRecord c("PeekMessageA", handle_name(window) + ", " + number(first) + ", " +
                                     number(last) + ", " +
                                     (remove == PM_REMOVE ? "PM_REMOVE" : number(remove)));
    check_filter_range(first, last, "PeekMessageA");
    deliver_incoming_sends();
    if (!take_message(msg, window, remove == PM_REMOVE)) {
        c.result("FALSE");
        return FALSE;
    }
    c.result("TRUE " + msg_args(msg));
    return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT first, UINT last) {
    CallRecord c("GetMessageA", handle_name(window) + ", " + number(first) + ", " + number(last));
    check_filter_range(first, last, "GetMessageA");
    World& w = world();
    for (;;) {
        deliver_incoming_sends();
        if (take_message(msg, window, true)) {
            if (++w.messages_at_this_time > busy_limit) {
                fault("GetMessageA: the same moment never ends (a WM_PAINT that is never "
                      "validated?)");
                *msg = MSG{};
                msg->message = WM_QUIT;
                msg->wParam = 0xDEAD;
            }
            break;
        }
        if (!has_future_event() || next_event_time() > time_limit_ms) {
            fault("GetMessageA would wait for ever: no message can arrive any more");
            *msg = MSG{};
            msg->message = WM_QUIT;
            msg->wParam = 0xDEAD;
            break;
        }
        advance_to(next_event_time());
    }
    BOOL r = msg->message == WM_QUIT ? FALSE : TRUE;
    c.result(bool_text(r) + " " + msg_args(msg));
    (void)w;
    return r;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    CallRecord c("TranslateMessage", msg_args(msg));
    // Only keyboard messages are translated, and none reach the launcher.
    c.result("FALSE");
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    CallRecord c("DispatchMessageA", msg_args(msg));
    LRESULT r = msg && msg->hwnd ? call_window_proc(msg->hwnd, msg->message, msg->wParam, msg->lParam)
                                 : 0;
    c.result(number(r));
    return r;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    CallRecord c("DefWindowProcA", handle_name(window) + ", " + message_name(message) + ", " +
                                       number(static_cast<long long>(wparam)) + ", " +
                                       number(static_cast<long long>(lparam)));
    LRESULT r = 0;
    Window* w = find_window(window);
    switch (message) {
    case WM_NCCREATE: r = TRUE; break;
    case WM_ERASEBKGND:
        // Erase with the class brush, within the paint DC's clipping.
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
    default: break;
    }
    (void)lparam;
    c.result(number(r));
    return r;
}

void WINAPI PostQuitMessage(int exit_code) {
    CallRecord c("PostQuitMessage", number(exit_code));
    world().quit_posted = true;
    world().quit_code = exit_code;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    CallRecord c("MessageBoxA",
                 handle_name(owner) + ", " + quoted(text) + ", " + quoted(caption) + ", " + number(type));
    World& w = world();
    if ((type & 0xF) != MB_OK)
        fault("MessageBoxA: only the OK button is supported");
    w.boxes.push_back(sim::MessageBoxShown{w.now, owner, text ? text : "", caption ? caption : "", type});
    // The box's modal loop: until the user presses OK, messages of this
    // thread, sent or posted, are handled.
    uint64_t closes_at = w.now + w.box_time;
    for (;;) {
        deliver_incoming_sends();
        MSG m;
        HWND any = nullptr;
        if (take_message(&m, any, true)) {
            if (++w.messages_at_this_time > busy_limit) {
                fault("MessageBoxA: the same moment never ends (a WM_PAINT that is never "
                      "validated?)");
                break;
            }
            if (m.message == WM_QUIT) {
                // The modal loop ends early and leaves the quit message for the
                // caller's loop.
                PostQuitMessage(static_cast<int>(m.wParam));
                break;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
            continue;
        }
        if (has_future_event() && next_event_time() <= closes_at) {
            advance_to(next_event_time());
            continue;
        }
        advance_to(closes_at);
        break;
    }
    c.result("IDOK");
    return IDOK;
}
