// The simulated desktop declares the Windows records itself. Compiled for the
// 32-bit target, the start-up and process records it declares have the sizes
// that the shipped launcher passes (the host build checks the 64-bit sizes).
#include "platform/host/win32_api.h"

static_assert(sizeof(STARTUPINFOA) == 68);
static_assert(sizeof(PROCESS_INFORMATION) == 16);
