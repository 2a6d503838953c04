// Stands in for an installer of an earlier run that is still running: a
// program that keeps its own executable file in use, wherever it was copied,
// until STOP_FILE appears. It opens no window.
//
//   e2e_busy_program READY_FILE STOP_FILE [--timeout-ms N]
//
// Writes READY_FILE once running. Exit codes: 0 stopped by STOP_FILE,
// 2 usage, 3 READY_FILE cannot be written, 4 timed out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
    if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--timeout-ms") == 0)) {
        std::fprintf(stderr, "usage: e2e_busy_program READY_FILE STOP_FILE [--timeout-ms N]\n");
        return 2;
    }
    const unsigned long timeout_ms = argc == 5 ? std::strtoul(argv[4], nullptr, 10) : 60000;
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    HANDLE ready = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE)
        return 3;
    CloseHandle(ready);
    while (GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount64() > deadline)
            return 4;
        Sleep(50);
    }
    return 0;
}
