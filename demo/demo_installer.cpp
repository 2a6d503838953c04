// The demo installer: plays the installer's side of the hand-off as a user
// sees it. It opens its window, shows the launcher's progress window so that
// the extraction can be watched, and when the launcher says the data file is
// complete it hides that window again, checks the data file against the size
// and CRC-32 this build expects, says what it found, creates the two marker
// files the launcher cleans up, and ends a few seconds later.
//
// Its one argument is the launcher's mode letter. KELVARA_DEMO_INSTALLER_QUICK=1
// in the environment makes it end as soon as it has checked the data file.
// Everything it sees goes to kelvara-demo-installer.log in the temp folder.
// Exit codes: 0 the data file was complete, 1 it was missing or different,
// 2 the installer was closed before the launcher said the data was complete.
#include "bootstrap/handoff.h"
#include "data_file_check.h"
#include "expected_data_file.h"
#include "installer_log.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// Posted to itself on the hide command, so that the launcher's send returns
// before the data file is read.
constexpr UINT check_data_message = WM_APP + 1;
constexpr UINT_PTR end_timer = 1;
constexpr UINT end_delay_ms = 5000;
constexpr int exit_complete = 0;
constexpr int exit_data_wrong = 1;
constexpr int exit_closed_early = 2;
// How long a send to the launcher may wait for it to look at its messages.
constexpr UINT send_timeout_ms = 10000;

char temp_folder[MAX_PATH];
char data_file_path[MAX_PATH + 64];
char status_text[1024] = "Waiting for the launcher to finish writing the data file.";
HWND status_label;
bool quick;
bool hide_received;
int exit_code = exit_closed_early;

// The temp folder as the launcher resolves it: TEMP without one trailing
// backslash, or c:\temp.
void resolve_temp_folder() {
    const DWORD length = GetEnvironmentVariableA(temp_variable, temp_folder, sizeof temp_folder);
    if (length == 0 || length >= sizeof temp_folder)
        std::snprintf(temp_folder, sizeof temp_folder, "%s", fallback_temp_directory);
    const size_t end = std::strlen(temp_folder);
    if (end > 0 && temp_folder[end - 1] == '\\')
        temp_folder[end - 1] = '\0';
}

// Sends a command to the launcher's progress window; logs what came of it.
void send_to_progress_window(WPARAM command, const char *what) {
    HWND progress = FindWindowA(progress_class_name, progress_window_title);
    if (progress == nullptr) {
        log_line("%s command not sent: no progress window", what);
        return;
    }
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(progress, WM_COMMAND, command, 0, SMTO_NORMAL, send_timeout_ms,
                            &answer) == 0)
        log_line("%s command sent to the progress window: no answer within %u ms", what,
                 send_timeout_ms);
    else
        log_line("%s command sent to the progress window: answered %lu", what,
                 static_cast<unsigned long>(answer));
}

void create_marker(const char *format) {
    char path[MAX_PATH + 64];
    std::snprintf(path, sizeof path, format, temp_folder);
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        log_line("marker file %s not created: error %lu", path, GetLastError());
        return;
    }
    static const char content[] = "Created by the Kelvara demo installer.\r\n";
    DWORD written = 0;
    WriteFile(file, content, sizeof content - 1, &written, nullptr);
    CloseHandle(file);
    log_line("marker file %s created", path);
}

void check_data_file(HWND window) {
    const data_file_figures found = measure_data_file(data_file_path);
    const bool complete =
        found.readable && found.size == expected_data_size && found.crc32 == expected_data_crc32;
    if (!found.readable) {
        log_line("data file %s: cannot be read (error %lu)", data_file_path, found.error);
        std::snprintf(status_text, sizeof status_text, "The data file %s cannot be read.",
                      data_file_path);
    } else {
        log_line("data file %s: %llu bytes, CRC-32 %08lX", data_file_path,
                 static_cast<unsigned long long>(found.size),
                 static_cast<unsigned long>(found.crc32));
        std::snprintf(status_text, sizeof status_text,
                      "%s: %llu bytes, CRC-32 %08lX.\r\n%s (%lu bytes, CRC-32 %08lX).",
                      data_file_path, static_cast<unsigned long long>(found.size),
                      static_cast<unsigned long>(found.crc32),
                      complete ? "The data file is complete, as this build expects"
                               : "The data file is NOT what this build expects",
                      static_cast<unsigned long>(expected_data_size),
                      static_cast<unsigned long>(expected_data_crc32));
    }
    log_line("expected %lu bytes, CRC-32 %08lX: %s", static_cast<unsigned long>(expected_data_size),
             static_cast<unsigned long>(expected_data_crc32), complete ? "complete" : "different");
    SetWindowTextA(status_label, status_text);
    exit_code = complete ? exit_complete : exit_data_wrong;

    create_marker(marker_a_format);
    create_marker(marker_b_format);

    if (quick)
        DestroyWindow(window);
    else
        SetTimer(window, end_timer, end_delay_ms, nullptr);
}

LRESULT CALLBACK installer_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        status_label = CreateWindowExA(0, "STATIC", status_text, WS_CHILD | WS_VISIBLE | SS_LEFT,
                                       16, 16, 600, 120, window, nullptr, nullptr, nullptr);
        return status_label != nullptr ? 0 : -1;
    case WM_COMMAND:
        log_line("command %llu received", static_cast<unsigned long long>(wparam));
        if (wparam == hide_command && !hide_received) {
            hide_received = true;
            send_to_progress_window(hide_command, "hide");
            PostMessageA(window, check_data_message, 0, 0);
        }
        return 0;
    case check_data_message:
        check_data_file(window);
        return 0;
    case WM_TIMER:
        if (wparam == end_timer)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        log_line("end, exit code %d", exit_code);
        PostQuitMessage(exit_code);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    resolve_temp_folder();
    char log_path[MAX_PATH + 64];
    std::snprintf(log_path, sizeof log_path, "%s\\kelvara-demo-installer.log", temp_folder);
    start_log(log_path);
    std::snprintf(data_file_path, sizeof data_file_path, "%s\\%s%s", temp_folder, data_file_stem,
                  data_file_extension);

    char value[8] = "";
    GetEnvironmentVariableA("KELVARA_DEMO_INSTALLER_QUICK", value, sizeof value);
    quick = std::strcmp(value, "1") == 0;

    char temp_value[MAX_PATH] = "";
    const bool temp_set =
        GetEnvironmentVariableA(temp_variable, temp_value, sizeof temp_value) != 0;
    log_line("started");
    log_line("command line: %s", GetCommandLineA());
    log_line("TEMP: %s", temp_set ? temp_value : "(not set)");

    WNDCLASSA window_class{};
    window_class.lpfnWndProc = installer_window_proc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = installer_class_name;
    HWND window = RegisterClassA(&window_class) != 0
                      ? CreateWindowExA(0, installer_class_name, installer_window_title,
                                        WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 660, 200,
                                        nullptr, nullptr, instance, nullptr)
                      : nullptr;
    if (window == nullptr) {
        log_line("window not created: error %lu", GetLastError());
        return exit_closed_early;
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    log_line("window shown");

    send_to_progress_window(show_command, "show");

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
