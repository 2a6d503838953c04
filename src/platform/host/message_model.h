// The launcher thread's message queue, messages that other processes send to
// it, and its message boxes.
#pragma once

#include "platform/host/sim/windows.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <vector>

namespace sim::detail {

// A message that another process has sent to a launcher window and that
// waits for the launcher thread's next delivery point.
struct IncomingSend {
    int sender;    // index in the process table
    size_t record; // index into that process's sent messages
    HWND target;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    std::function<void(LRESULT)> answered; // the sender goes on
};

struct MessageQueue {
    std::deque<MSG> posted;
    std::deque<IncomingSend> incoming;
    bool quit_posted = false;
    int quit_code = 0;
    std::vector<MessageBoxShown> boxes;
    uint64_t box_time = 1000;
};

// Hands the messages that other processes have sent to launcher windows to
// their window procedures (the delivery points of Windows).
void deliver_incoming_sends();
// Calls a launcher window's procedure, logged as "wndproc".
LRESULT call_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Takes the next message for a filter (nullptr = any window of the thread)
// in Windows' order: posted messages, then the quit message (unfiltered
// only), then WM_PAINT for a window with an update region.
bool take_message(MSG *msg, HWND filter, bool remove);

} // namespace sim::detail
