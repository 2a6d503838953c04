#include "progress/dispatch_one_message.h"

#include "progress/progress_state.h"

void dispatch_one_message() {
    MSG message;
    if (PeekMessageA(&message, progress_window, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
