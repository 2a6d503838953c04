// Stands in for the launcher's side of the hand-off, to drive an installer on
// its own: a hidden progress window of the launcher's class and title that
// obeys the show and hide commands as the launcher's does, and, once the
// installer has shown it and its window exists, the hide command sent to the
// installer's window as the launcher sends it when the data file is complete.
//
//   e2e_progress_stand_in READY_FILE [--timeout-ms N]
//
// Writes READY_FILE once the progress window exists. Prints on stdout, in
// the order things happened:
//   command=<wParam> visible=0|1   a command the progress window received, and
//                                  its visibility after it
//   hide_sent answer=<n>           the installer's answer to the hide command
//   installer_text=<text>          the installer window's text after the hide
//                                  command, once it changes
//   installer_gone                 the installer's window has closed
// Exit codes: 0 the installer's window closed, 2 usage, 3 window creation
// failed, 4 timed out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT_PTR poll_timer = 1;
constexpr WPARAM hide_command = 55555;
constexpr WPARAM show_command = 55556;

enum class stage { wait_for_show, wait_for_text, wait_for_end };

stage current = stage::wait_for_show;
bool show_received = false;
char first_text[1024];
ULONGLONG deadline = 0;
bool timed_out = false;

// The text of the installer window's first static control, or its title.
void installer_text(HWND installer, char *text, int size) {
    text[0] = '\0';
    HWND label = FindWindowExA(installer, nullptr, "Static", nullptr);
    GetWindowTextA(label != nullptr ? label : installer, text, size);
    for (char *p = text; *p != '\0'; ++p)
        if (*p == '\r' || *p == '\n')
            *p = ' ';
}

void poll() {
    if (GetTickCount64() > deadline) {
        timed_out = true;
        PostQuitMessage(0);
        return;
    }
    HWND installer = FindWindowA("KelvaraClientInstaller", "Kelvara Installer");
    if (current == stage::wait_for_show) {
        if (!show_received || installer == nullptr)
            return;
        installer_text(installer, first_text, sizeof first_text);
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutA(installer, WM_COMMAND, hide_command, 0, SMTO_NORMAL, 10000,
                                &answer))
            std::printf("hide_sent answer=%lu\n", static_cast<unsigned long>(answer));
        else
            std::printf("hide_sent no_answer\n");
        current = stage::wait_for_text;
        return;
    }
    if (installer == nullptr) {
        std::printf("installer_gone\n");
        PostQuitMessage(0);
        return;
    }
    if (current == stage::wait_for_text) {
        char text[1024];
        installer_text(installer, text, sizeof text);
        if (std::strcmp(text, first_text) != 0) {
            std::printf("installer_text=%s\n", text);
            current = stage::wait_for_end;
        }
    }
}

LRESULT CALLBACK progress_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER && wparam == poll_timer) {
        poll();
        return 0;
    }
    if (message == WM_COMMAND) {
        LRESULT answer = 0;
        if (wparam == show_command) {
            ShowWindow(window, SW_SHOW);
            show_received = true;
            answer = 1;
        } else if (wparam == hide_command) {
            ShowWindow(window, SW_HIDE);
            answer = 1;
        }
        std::printf("command=%llu visible=%d\n", static_cast<unsigned long long>(wparam),
                    IsWindowVisible(window) ? 1 : 0);
        std::fflush(stdout);
        return answer;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: e2e_progress_stand_in READY_FILE [--timeout-ms N]\n");
        return 2;
    }
    unsigned long timeout_ms = 60000;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--timeout-ms") == 0 && i + 1 < argc) {
            timeout_ms = std::strtoul(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "e2e_progress_stand_in: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    deadline = GetTickCount64() + timeout_ms;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = progress_proc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "KLDecompressor";
    HWND progress =
        RegisterClassA(&wc) != 0
            ? CreateWindowExA(WS_EX_TOPMOST, "KLDecompressor", "Kelvara Installation", WS_BORDER, 0,
                              0, 321, 125, nullptr, nullptr, instance, nullptr)
            : nullptr;
    if (progress == nullptr) {
        std::fprintf(stderr, "e2e_progress_stand_in: no progress window: %lu\n", GetLastError());
        return 3;
    }
    SetTimer(progress, poll_timer, 50, nullptr);
    HANDLE ready = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "e2e_progress_stand_in: cannot write %s\n", argv[1]);
        return 3;
    }
    CloseHandle(ready);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    std::fflush(stdout);
    if (timed_out) {
        std::fprintf(stderr, "e2e_progress_stand_in: timed out\n");
        return 4;
    }
    return 0;
}
