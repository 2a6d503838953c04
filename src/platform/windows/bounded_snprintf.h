// Formatted printing into a fixed buffer with the runtime DLL's formatter.
#pragma once

#include <stddef.h>

// snprintf over msvcrt's _vsnprintf: at most size bytes are written, and
// when size is not 0 the buffer always holds a terminated string, a too long
// result cut to fit (the DLL's own call leaves it unterminated).
//
// Returns the length written when the whole result fits, and otherwise a
// value of at least size, so that the test for a cut result is the one of
// C99's snprintf (result >= size). C99 would give the whole length there;
// counting it would take msvcrt's _vscprintf, which older versions of the
// DLL lack (mingw-w64 then links an emulation of 1.5 KB).
int bounded_snprintf(char *buffer, size_t size, const char *format, ...)
    __attribute__((format(ms_printf, 3, 4)));
