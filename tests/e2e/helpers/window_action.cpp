// Finds a top-level window by class and title, does one thing to it as a user
// would, and prints its state.
//
//   e2e_window_action CLASS TITLE {state|minimize|close} [--timeout-ms N]
//
// minimize: minimizes the window and waits until it is. close: asks the
// window to close (WM_CLOSE) and waits until it is gone. stdout, for state
// and minimize:
//   visible=0|1
//   iconic=0|1
//   zoomed=0|1
// Exit codes: 0 done, 2 usage, 3 no such window within the time-out, 4 the
// window did not do as asked within the time-out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: e2e_window_action CLASS TITLE {state|minimize|close} "
                             "[--timeout-ms N]\n");
        return 2;
    }
    const char *cls = argv[1];
    const char *title = argv[2];
    const char *action = argv[3];
    unsigned long timeout_ms = 30000;
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "--timeout-ms") == 0 && i + 1 < argc) {
            timeout_ms = std::strtoul(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "e2e_window_action: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    if (std::strcmp(action, "state") != 0 && std::strcmp(action, "minimize") != 0 &&
        std::strcmp(action, "close") != 0) {
        std::fprintf(stderr, "e2e_window_action: unknown action %s\n", action);
        return 2;
    }

    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    HWND window;
    while ((window = FindWindowA(cls, title)) == nullptr) {
        if (GetTickCount64() > deadline) {
            std::fprintf(stderr, "e2e_window_action: no window %s / %s\n", cls, title);
            return 3;
        }
        Sleep(20);
    }

    if (std::strcmp(action, "close") == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        while (IsWindow(window)) {
            if (GetTickCount64() > deadline) {
                std::fprintf(stderr, "e2e_window_action: %s / %s did not close\n", cls, title);
                return 4;
            }
            Sleep(20);
        }
        return 0;
    }
    if (std::strcmp(action, "minimize") == 0) {
        ShowWindow(window, SW_MINIMIZE);
        while (!IsIconic(window)) {
            if (GetTickCount64() > deadline) {
                std::fprintf(stderr, "e2e_window_action: %s / %s did not minimize\n", cls, title);
                return 4;
            }
            Sleep(20);
        }
    }
    std::printf("visible=%d\niconic=%d\nzoomed=%d\n", IsWindowVisible(window) ? 1 : 0,
                IsIconic(window) ? 1 : 0, IsZoomed(window) ? 1 : 0);
    return 0;
}
