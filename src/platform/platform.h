// The one header through which the launcher reaches Windows and the C runtime.
//
// The logic is written against the platform's own names (FindWindowA,
// PeekMessageA, _open ...). On Windows they mean the real thing; everywhere
// else they are our own declarations, implemented by the simulated desktop in
// host/. This is the only place that decides which.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
// Formatted printing uses the runtime DLL's formatter; mingw-w64's own C99
// one would be most of the launcher's size. snprintf in the logic is that
// formatter with a too long result cut and terminated, as C99 has it,
// whichever formatter the C++ headers choose for the other printf calls.
#include "platform/windows/bounded_snprintf.h"
#define snprintf(...) bounded_snprintf(__VA_ARGS__)
#else
#include "platform/host/win32_api.h"
#endif
