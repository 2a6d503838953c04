// Prints the geometry and state of a top-level window found by class and title.
//
//   e2e_window_probe CLASS TITLE [--after-box CAPTION] [--timeout-ms N]
//
// With --after-box it first waits for a message box with that caption, so the
// window is looked at once its owner has finished setting it up.
// stdout:
//   client=L,T,R,B
//   window=L,T,R,B
//   visible=0|1
//   topmost=0|1
//   style=0x........ exstyle=0x........
// Exit codes: 0 printed, 2 usage, 3 not found within the time-out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct BoxSearch {
    const char *caption;
    bool found;
};

BOOL CALLBACK find_box(HWND window, LPARAM param) {
    auto *search = reinterpret_cast<BoxSearch *>(param);
    char cls[64] = {};
    char title[256] = {};
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, title, sizeof title);
    if (std::strcmp(cls, "#32770") == 0 && std::strcmp(title, search->caption) == 0) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(
            stderr, "usage: e2e_window_probe CLASS TITLE [--after-box CAPTION] [--timeout-ms N]\n");
        return 2;
    }
    const char *cls = argv[1];
    const char *title = argv[2];
    const char *box_caption = nullptr;
    unsigned long timeout_ms = 30000;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--after-box") == 0 && i + 1 < argc) {
            box_caption = argv[++i];
        } else if (std::strcmp(argv[i], "--timeout-ms") == 0 && i + 1 < argc) {
            timeout_ms = std::strtoul(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "e2e_window_probe: unknown argument %s\n", argv[i]);
            return 2;
        }
    }

    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    if (box_caption != nullptr) {
        BoxSearch search{box_caption, false};
        while (EnumWindows(find_box, reinterpret_cast<LPARAM>(&search)), !search.found) {
            if (GetTickCount64() > deadline) {
                std::fprintf(stderr, "e2e_window_probe: no message box \"%s\"\n", box_caption);
                return 3;
            }
            Sleep(50);
        }
    }
    HWND window;
    while ((window = FindWindowA(cls, title)) == nullptr) {
        if (GetTickCount64() > deadline) {
            std::fprintf(stderr, "e2e_window_probe: no window %s / %s\n", cls, title);
            return 3;
        }
        Sleep(50);
    }

    RECT client{};
    RECT outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    const auto style = static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE));
    const auto exstyle = static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE));
    std::printf("client=%ld,%ld,%ld,%ld\n", client.left, client.top, client.right, client.bottom);
    std::printf("window=%ld,%ld,%ld,%ld\n", outer.left, outer.top, outer.right, outer.bottom);
    std::printf("visible=%d\ntopmost=%d\n", IsWindowVisible(window) ? 1 : 0,
                (exstyle & WS_EX_TOPMOST) ? 1 : 0);
    std::printf("style=0x%08lx exstyle=0x%08lx\n", style, exstyle);
    return 0;
}
