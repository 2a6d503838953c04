// The launcher thread's message queue, sent and posted messages.
//
// Windows hands a message that another process sends to a window of this
// thread to its procedure only while the thread is inside PeekMessageA,
// GetMessageA, SendMessageA or a modal loop; so does this desktop.
#include "platform/host/world.h"

using namespace sim::detail;

namespace sim::detail {

LRESULT call_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Window *w = find_window(window);
    if (!w || w->owner != launcher_owner || !w->proc)
        return 0;
    WNDPROC proc = w->proc;
    Args a;
    a.window(window).message(message);
    // WM_ERASEBKGND carries a device context.
    if (message == WM_ERASEBKGND)
        a.wparam_as_handle(wparam);
    else
        a.wparam(wparam);
    a.lparam(lparam);
    CallRecord c("wndproc", a);
    LRESULT r = proc(window, message, wparam, lparam);
    c.result_number(r);
    return r;
}

void deliver_incoming_sends() {
    World &w = world();
    for (;;) {
        // Whatever other processes did up to now has happened.
        advance_to(w.clock.now);
        if (w.queue.incoming.empty())
            return;
        IncomingSend s = std::move(w.queue.incoming.front());
        w.queue.incoming.pop_front();
        ProcessRecord &sender = w.processes.records[static_cast<size_t>(s.sender)];
        CallRecord c("incoming", Args()
                                     .text(sender.program)
                                     .window(s.target)
                                     .message(s.message)
                                     .wparam(s.wparam)
                                     .lparam(s.lparam));
        const bool alive = is_launcher_window(s.target);
        sender.sent[s.record].delivered = alive;
        sender.sent[s.record].delivered_at_ms = w.clock.now;
        LRESULT r = alive ? call_window_proc(s.target, s.message, s.wparam, s.lparam) : 0;
        SentMessage &done = world().processes.records[static_cast<size_t>(s.sender)].sent[s.record];
        done.answered_at_ms = world().clock.now;
        done.result = r;
        c.result_number(r);
        if (s.answered)
            s.answered(r);
    }
}

bool take_message(MSG *msg, HWND filter, bool remove) {
    World &w = world();
    for (auto it = w.queue.posted.begin(); it != w.queue.posted.end(); ++it) {
        if (!filter || it->hwnd == filter) {
            *msg = *it;
            if (remove)
                w.queue.posted.erase(it);
            return true;
        }
    }
    if (!filter && w.queue.quit_posted) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(w.queue.quit_code);
        msg->time = static_cast<DWORD>(w.clock.now);
        if (remove)
            w.queue.quit_posted = false;
        return true;
    }
    for (size_t i = 0; i < w.user.windows.size(); ++i) {
        Window &win = w.user.windows[i];
        HWND handle = window_handle(i);
        if (win.exists && win.owner == launcher_owner && win.visible && win.has_update &&
            (!filter || filter == handle)) {
            // WM_PAINT is not queued: it comes whenever nothing else is due
            // and stays until the update region is validated.
            *msg = MSG{};
            msg->hwnd = handle;
            msg->message = WM_PAINT;
            msg->time = static_cast<DWORD>(w.clock.now);
            return true;
        }
    }
    return false;
}

} // namespace sim::detail

namespace {

void check_filter_range(UINT first, UINT last, const char *call) {
    if (first != 0 || last != 0)
        fault(std::string(call) + ": message range filters are not supported");
}

std::string message_text(const char *call, UINT message, WPARAM wparam, LPARAM lparam) {
    return std::string(call) + "(" + message_name(message) + ", " +
           std::to_string(static_cast<long long>(wparam)) + ", " +
           std::to_string(static_cast<long long>(lparam)) + ")";
}

} // namespace

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    CallRecord c("PostMessageA",
                 Args().window(window).message(message).wparam(wparam).lparam(lparam));
    Window *w = find_window(window);
    if (!w) {
        set_last_error(ERROR_INVALID_WINDOW_HANDLE);
        c.result_bool(FALSE);
        return FALSE;
    }
    if (w->owner != launcher_owner) {
        deliver_to_process_window(window, message, wparam, lparam,
                                  message_text("PostMessageA", message, wparam, lparam), nullptr);
    } else {
        MSG m{};
        m.hwnd = window;
        m.message = message;
        m.wParam = wparam;
        m.lParam = lparam;
        m.time = static_cast<DWORD>(world().clock.now);
        world().queue.posted.push_back(m);
    }
    c.result_bool(TRUE);
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    CallRecord c("SendMessageA",
                 Args().window(window).message(message).wparam(wparam).lparam(lparam));
    Window *w = find_window(window);
    LRESULT r = 0;
    if (!w) {
        set_last_error(ERROR_INVALID_WINDOW_HANDLE);
    } else if (w->owner == launcher_owner) {
        r = call_window_proc(window, message, wparam, lparam);
    } else {
        // The other process handles it on its own thread. While this thread
        // waits for the answer, messages sent to it are handled.
        bool answered = false;
        deliver_incoming_sends();
        deliver_to_process_window(window, message, wparam, lparam,
                                  message_text("SendMessageA", message, wparam, lparam),
                                  [&](LRESULT result) {
                                      answered = true;
                                      r = result;
                                  });
        while (!answered) {
            deliver_incoming_sends();
            if (answered)
                break;
            if (!has_future_event()) {
                fault("SendMessageA: the other process never answers");
                break;
            }
            advance_to(next_event_time());
        }
    }
    c.result_number(r);
    return r;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT first, UINT last, UINT remove) {
    CallRecord c("PeekMessageA", Args().window(window).number(first).number(last).text(
                                     remove == PM_REMOVE ? "PM_REMOVE" : std::to_string(remove)));
    check_filter_range(first, last, "PeekMessageA");
    deliver_incoming_sends();
    if (!take_message(msg, window, remove == PM_REMOVE)) {
        c.result_bool(FALSE);
        return FALSE;
    }
    c.result("TRUE " + Args().msg(msg).args_text());
    return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT first, UINT last) {
    CallRecord c("GetMessageA", Args().window(window).number(first).number(last));
    check_filter_range(first, last, "GetMessageA");
    // Windows fails the call for a filter that is no window of this thread.
    if (injected_failure("GetMessageA") || (window && !is_launcher_window(window))) {
        set_last_error(ERROR_INVALID_WINDOW_HANDLE);
        c.result("-1");
        return -1;
    }
    World &w = world();
    for (;;) {
        deliver_incoming_sends();
        if (take_message(msg, window, true)) {
            if (++w.clock.messages_at_this_time > busy_limit) {
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
    c.result((r ? "TRUE " : "FALSE ") + Args().msg(msg).args_text());
    return r;
}

BOOL WINAPI TranslateMessage(const MSG *msg) {
    CallRecord c("TranslateMessage", Args().msg(msg));
    // Only keyboard messages are translated, and none reach the launcher.
    c.result_bool(FALSE);
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    Args a;
    a.msg(msg);
    if (msg)
        a.record_message(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    CallRecord c("DispatchMessageA", a);
    LRESULT r =
        msg && msg->hwnd ? call_window_proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
    c.result_number(r);
    return r;
}

void WINAPI PostQuitMessage(int exit_code) {
    CallRecord c("PostQuitMessage", Args().number(exit_code));
    world().queue.quit_posted = true;
    world().queue.quit_code = exit_code;
}

namespace sim {

const std::vector<MessageBoxShown> &message_boxes() {
    return world().queue.boxes;
}

void set_message_box_time(uint64_t ms) {
    world().queue.box_time = ms;
}

} // namespace sim
