#include "platform/windows/bounded_snprintf.h"

#include <stdarg.h>
#include <stdio.h>

int bounded_snprintf(char* buffer, size_t size, const char* format, ...) {
    if (size == 0)
        return -1;
    va_list arguments;
    va_start(arguments, format);
    // Writes at most size bytes; returns -1 when the result did not fit and
    // size when it fitted only without its terminating zero.
    int written = _vsnprintf(buffer, size, format, arguments);
    va_end(arguments);
    if (written < 0 || static_cast<size_t>(written) >= size) {
        buffer[size - 1] = '\0';
        return -1;
    }
    return written;
}
