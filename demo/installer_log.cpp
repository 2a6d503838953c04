#include "installer_log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

char log_path[MAX_PATH + 64];
DWORD start_time;

} // namespace

void start_log(const char *path) {
    std::snprintf(log_path, sizeof log_path, "%s", path);
    start_time = GetTickCount();
    HANDLE file = CreateFileA(log_path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

void log_line(const char *format, ...) {
    char line[1024];
    int length = std::snprintf(line, sizeof line,
                               "%lu ms: ", static_cast<unsigned long>(GetTickCount() - start_time));
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line + length, sizeof line - static_cast<size_t>(length) - 2, format, arguments);
    va_end(arguments);
    length = static_cast<int>(std::strlen(line));
    line[length++] = '\r';
    line[length++] = '\n';

    // Opened for each line, so that the log is complete whenever the program
    // is stopped.
    HANDLE file = CreateFileA(log_path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
}
