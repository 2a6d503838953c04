// Start-up: the steps WinMain takes before its message loop.
#pragma once

#include "platform/platform.h"

#include <cstdint>

// TEMP without one trailing backslash, or the fallback (which is then also
// put into the environment the installer inherits).
void resolve_temp_directory();

// A temp directory too long for the paths built in it is refused with an
// "Error" box. Returns nonzero when the run can go on.
int temp_directory_fits();

// 'x' when the argument string starts with a lower-case x, else 'i'.
char take_mode_letter(const char *arguments);

// The temp directory's drive has room for both payloads; otherwise the
// "Error" box. Returns nonzero when the run can go on.
int enough_free_space();

// Free bytes from GetDiskFreeSpaceA's counts; saturates instead of wrapping.
uint64_t free_bytes(DWORD sectors_per_cluster, DWORD bytes_per_sector, DWORD free_clusters);
