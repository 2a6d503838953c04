// The launcher thread's last error: set by the calls that fail, read back
// with GetLastError.
#include "platform/host/world.h"

using namespace sim::detail;

namespace sim::detail {
void set_last_error(DWORD error) {
    world().runtime.last_error = error;
}
} // namespace sim::detail

DWORD WINAPI GetLastError(void) {
    CallRecord c("GetLastError");
    c.result_number(world().runtime.last_error);
    return world().runtime.last_error;
}

void WINAPI SetLastError(DWORD error) {
    CallRecord c("SetLastError", Args().number(error));
    world().runtime.last_error = error;
}
