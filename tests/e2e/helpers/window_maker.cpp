// Creates the windows that a running launcher (and, optionally, its installer)
// would own, so that a second launcher can be started against them.
//
//   e2e_window_maker READY_FILE STOP_FILE [--installer] [--timeout-ms N]
//
// Writes READY_FILE once the windows exist, keeps pumping messages until
// STOP_FILE appears, then prints the installer window's state on stdout:
//   installer_zoomed_at_start=0|1
//   installer_zoomed=0|1
//   installer_visible=0|1
// Exit codes: 0 stopped by STOP_FILE, 2 usage, 3 window creation failed,
// 4 timed out waiting for STOP_FILE.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT_PTR poll_timer = 1;
constexpr UINT poll_interval_ms = 50;

const char *g_stop_file = nullptr;
ULONGLONG g_deadline = 0;
bool g_timed_out = false;

LRESULT CALLBACK maker_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER && wparam == poll_timer) {
        if (GetFileAttributesA(g_stop_file) != INVALID_FILE_ATTRIBUTES) {
            PostQuitMessage(0);
        } else if (GetTickCount64() > g_deadline) {
            g_timed_out = true;
            PostQuitMessage(0);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

bool register_class(HINSTANCE instance, const char *name) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = maker_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

bool write_ready_file(const char *path) {
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, "ready\n", 6, &written, nullptr);
    CloseHandle(file);
    return ok && written == 6;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(
            stderr,
            "usage: e2e_window_maker READY_FILE STOP_FILE [--installer] [--timeout-ms N]\n");
        return 2;
    }
    const char *ready_file = argv[1];
    g_stop_file = argv[2];
    bool with_installer = false;
    unsigned long timeout_ms = 60000;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--installer") == 0) {
            with_installer = true;
        } else if (std::strcmp(argv[i], "--timeout-ms") == 0 && i + 1 < argc) {
            timeout_ms = std::strtoul(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "e2e_window_maker: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    g_deadline = GetTickCount64() + timeout_ms;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!register_class(instance, "KLDecompressor")) {
        std::fprintf(stderr, "e2e_window_maker: RegisterClassA(KLDecompressor) failed: %lu\n",
                     GetLastError());
        return 3;
    }
    // Like the launcher's own: top-most, bordered, hidden.
    HWND progress = CreateWindowExA(WS_EX_TOPMOST, "KLDecompressor", "Kelvara Installation",
                                    WS_BORDER, 0, 0, 321, 125, nullptr, nullptr, instance, nullptr);
    if (progress == nullptr) {
        std::fprintf(stderr, "e2e_window_maker: CreateWindowExA(progress) failed: %lu\n",
                     GetLastError());
        return 3;
    }

    HWND installer = nullptr;
    if (with_installer) {
        if (!register_class(instance, "KelvaraClientInstaller")) {
            std::fprintf(stderr,
                         "e2e_window_maker: RegisterClassA(KelvaraClientInstaller) failed: %lu\n",
                         GetLastError());
            return 3;
        }
        installer =
            CreateWindowExA(0, "KelvaraClientInstaller", "Kelvara Installer", WS_OVERLAPPEDWINDOW,
                            40, 40, 400, 300, nullptr, nullptr, instance, nullptr);
        if (installer == nullptr) {
            std::fprintf(stderr, "e2e_window_maker: CreateWindowExA(installer) failed: %lu\n",
                         GetLastError());
            return 3;
        }
        // Shown normal: a maximized window afterwards can only be the launcher's doing.
        SetWindowPos(installer, HWND_TOP, 40, 40, 400, 300, SWP_SHOWWINDOW);
    }

    SetTimer(progress, poll_timer, poll_interval_ms, nullptr);
    const bool zoomed_at_start = installer != nullptr && IsZoomed(installer);
    if (!write_ready_file(ready_file)) {
        std::fprintf(stderr, "e2e_window_maker: cannot write %s: %lu\n", ready_file,
                     GetLastError());
        return 3;
    }

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (g_timed_out) {
        std::fprintf(stderr, "e2e_window_maker: timed out waiting for %s\n", g_stop_file);
        return 4;
    }
    if (installer != nullptr) {
        std::printf("installer_zoomed_at_start=%d\ninstaller_zoomed=%d\ninstaller_visible=%d\n",
                    zoomed_at_start ? 1 : 0, IsZoomed(installer) ? 1 : 0,
                    IsWindowVisible(installer) ? 1 : 0);
    }
    std::fflush(stdout);
    return 0;
}
