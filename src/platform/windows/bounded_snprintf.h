// Formatted printing into a fixed buffer with the runtime DLL's formatter.
#pragma once

#include <stddef.h>

// Formats into buffer with msvcrt's _vsnprintf. A result too long for the
// buffer is cut and terminated (the DLL's own call leaves it unterminated),
// so that the buffer always holds a string when size is not 0.
//
// Returns the length written, or -1 when the result was cut or size is 0.
int bounded_snprintf(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(ms_printf, 3, 4)));
