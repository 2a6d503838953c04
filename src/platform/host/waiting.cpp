// Sleeping and waiting for a process, in virtual time. Neither delivers a
// message sent to the launcher's thread; what other processes do meanwhile
// still happens.
#include "platform/host/world.h"

using namespace sim::detail;

void WINAPI Sleep(DWORD milliseconds) {
    CallRecord c("Sleep", Args().number(milliseconds));
    if (milliseconds == INFINITE) {
        fault("Sleep(INFINITE) never returns");
        return;
    }
    advance_to(now() + milliseconds);
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    CallRecord c("WaitForSingleObject", Args().handle(handle).number(milliseconds));
    const int process = process_for_handle(handle);
    if (process < 0) {
        if (handle)
            fault("WaitForSingleObject: only process handles are modelled");
        set_last_error(ERROR_INVALID_HANDLE);
        c.result("WAIT_FAILED");
        return WAIT_FAILED;
    }
    const bool forever = milliseconds == INFINITE;
    const uint64_t deadline = now() + (forever ? 0 : milliseconds);
    advance_to(now());
    for (;;) {
        if (!process_alive(process)) {
            c.result("WAIT_OBJECT_0");
            return WAIT_OBJECT_0;
        }
        if (has_future_event() && (forever || next_event_time() <= deadline)) {
            advance_to(next_event_time());
            continue;
        }
        if (forever) {
            fault("WaitForSingleObject(INFINITE) on a process that never ends");
            c.result("WAIT_FAILED");
            return WAIT_FAILED;
        }
        advance_to(deadline);
        c.result("WAIT_TIMEOUT");
        return WAIT_TIMEOUT;
    }
}

BOOL WINAPI GetExitCodeProcess(HANDLE handle, LPDWORD exit_code) {
    CallRecord c("GetExitCodeProcess", Args().handle(handle));
    const int process = process_for_handle(handle);
    if (process < 0 || !exit_code) {
        set_last_error(ERROR_INVALID_HANDLE);
        c.result_bool(FALSE);
        return FALSE;
    }
    *exit_code = world().processes.records[static_cast<size_t>(process)].exit_code;
    c.result("TRUE " + std::to_string(*exit_code));
    return TRUE;
}
