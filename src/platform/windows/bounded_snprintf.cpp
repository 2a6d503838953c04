#include "platform/windows/bounded_snprintf.h"

#include <limits.h>
#include <stdarg.h>
#include <stdio.h>

int bounded_snprintf(char *buffer, size_t size, const char *format, ...) {
    if (size == 0)
        return 0;
    va_list arguments;
    va_start(arguments, format);
    // Writes at most size bytes; gives -1 when the result did not fit and
    // size when it fitted only without its terminating zero.
    int written = _vsnprintf(buffer, size, format, arguments);
    va_end(arguments);
    if (written >= 0 && static_cast<size_t>(written) < size)
        return written;
    buffer[size - 1] = '\0';
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}
