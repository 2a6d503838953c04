#include "bootstrap/progress_window.h"

#include "bootstrap/handoff.h"
#include "bootstrap/launcher_state.h"
#include "bootstrap/start_message.h"
#include "payload/payload_reader.h"
#include "progress/progress_painting.h"
#include "progress/progress_state.h"

ATOM register_progress_class(HINSTANCE instance) {
    WNDCLASSA window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = progress_window_proc;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = instance;
    window_class.hIcon = NULL;
    window_class.hCursor = LoadCursorA(NULL, IDC_WAIT);
    window_class.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    window_class.lpszMenuName = NULL;
    window_class.lpszClassName = progress_class_name;
    return RegisterClassA(&window_class);
}

int create_progress_window(HINSTANCE instance) {
    instance_handle = instance;
    progress_window =
        CreateWindowExA(WS_EX_TOPMOST, progress_class_name, progress_window_title, WS_BORDER,
                        CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, NULL, NULL, instance, NULL);
    if (progress_window == NULL)
        return 0;
    SetWindowPos(progress_window, NULL, 0, 0, progress_window_width, progress_window_height,
                 SWP_SHOWWINDOW);
    ShowWindow(progress_window, SW_HIDE);
    return 1;
}

LRESULT CALLBACK progress_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        return on_progress_create();
    case WM_DESTROY:
        PostQuitMessage(0);
        return 1;
    case WM_PAINT:
        return on_progress_paint(window);
    case WM_COMMAND:
        // The whole wParam counts: a notification code in its high word
        // matches neither command.
        if (wparam == hide_command) {
            ShowWindow(window, SW_HIDE);
            return 1;
        }
        if (wparam == show_command) {
            ShowWindow(window, SW_SHOW);
            return 1;
        }
        return 0;
    case start_message:
        return on_start_message();
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}
