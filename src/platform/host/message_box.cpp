// Message boxes: a window of the launcher's thread with a modal loop that
// handles the thread's messages until the user presses OK.
#include "platform/host/activation.h"
#include "platform/host/world.h"

using namespace sim::detail;

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    CallRecord c("MessageBoxA", Args().window(owner).string(text).string(caption).number(type));
    World &w = world();
    if ((type & 0xF) != MB_OK)
        fault("MessageBoxA: only the OK button is supported");
    w.queue.boxes.push_back(
        sim::MessageBoxShown{w.clock.now, owner, text ? text : "", caption ? caption : "", type});
    // The box becomes the active window of the application.
    HWND previously_active = activate_own_dialog();
    const uint64_t closes_at = w.clock.now + w.queue.box_time;
    for (;;) {
        deliver_incoming_sends();
        MSG m;
        if (take_message(&m, nullptr, true)) {
            if (++w.clock.messages_at_this_time > busy_limit) {
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
    dialog_closed(previously_active);
    c.result("IDOK");
    return IDOK;
}
