#include "window_log.h"

#include "peer_world.h"

namespace conformance {

namespace {

HWND watched = nullptr;
bool watch_any = false;
std::vector<std::string> *lines = nullptr;

std::string with_wparam(const char *name, WPARAM wparam) {
    return std::string(name) + " wParam=" + std::to_string(static_cast<unsigned long long>(wparam));
}

// The line for a message, or "" for one that is not recorded.
std::string describe(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_NCCREATE:
    case WM_CREATE: {
        const auto *create = reinterpret_cast<const CREATESTRUCTA *>(lparam);
        const bool names_us = create && create->lpszName &&
                              std::string(create->lpszName) == own_title &&
                              reinterpret_cast<uintptr_t>(create->lpszClass) > 0xFFFF &&
                              std::string(create->lpszClass) == own_class;
        return std::string(message == WM_CREATE ? "WM_CREATE" : "WM_NCCREATE") +
               (names_us ? " with its CREATESTRUCT" : " without a CREATESTRUCT");
    }
    case WM_GETMINMAXINFO:
        return "WM_GETMINMAXINFO";
    case WM_NCCALCSIZE:
        return with_wparam("WM_NCCALCSIZE", wparam);
    case WM_WINDOWPOSCHANGING:
        return "WM_WINDOWPOSCHANGING";
    case WM_WINDOWPOSCHANGED:
        return "WM_WINDOWPOSCHANGED";
    case WM_SHOWWINDOW:
        return with_wparam("WM_SHOWWINDOW", wparam);
    case WM_ACTIVATEAPP:
        return with_wparam("WM_ACTIVATEAPP", wparam ? 1 : 0);
    case WM_NCACTIVATE:
        return with_wparam("WM_NCACTIVATE", wparam ? 1 : 0);
    case WM_ACTIVATE:
        return with_wparam("WM_ACTIVATE", LOWORD(wparam));
    case WM_SETFOCUS:
        return "WM_SETFOCUS";
    case WM_KILLFOCUS:
        return "WM_KILLFOCUS";
    case WM_NCPAINT:
        return "WM_NCPAINT";
    case WM_ERASEBKGND:
        return "WM_ERASEBKGND";
    case WM_PAINT:
        return "WM_PAINT";
    case WM_MOVE:
        return "WM_MOVE";
    case WM_SIZE:
        return with_wparam("WM_SIZE", wparam) + " " + std::to_string(LOWORD(lparam)) + "x" +
               std::to_string(HIWORD(lparam));
    case WM_COMMAND:
        return with_wparam("WM_COMMAND", wparam);
    default:
        if (message >= WM_USER && message < WM_USER + 100)
            return "WM_USER+" + std::to_string(message - WM_USER);
        return "";
    }
}

LRESULT CALLBACK logging_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const bool recording = lines && (watch_any || window == watched);
    if (recording) {
        std::string line = describe(message, wparam, lparam);
        if (!line.empty())
            lines->push_back(line);
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        if (recording)
            lines->push_back(std::string("BeginPaint fErase=") + (paint.fErase ? "1" : "0"));
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_COMMAND || message >= WM_USER)
        return 1;
    return DefWindowProcA(window, message, wparam, lparam);
}

bool registered = false;

HWND create() {
    if (!registered) {
        WNDCLASSA window_class{};
        window_class.style = CS_HREDRAW | CS_VREDRAW;
        window_class.lpfnWndProc = logging_proc;
        window_class.hCursor = LoadCursorA(NULL, IDC_WAIT);
        window_class.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
        window_class.lpszClassName = own_class;
        registered = RegisterClassA(&window_class) != 0;
    }
    return CreateWindowExA(WS_EX_TOPMOST, own_class, own_title, WS_BORDER, CW_USEDEFAULT, 0,
                           CW_USEDEFAULT, 0, NULL, NULL, NULL, NULL);
}

} // namespace

HWND make_window() {
    record(nullptr, nullptr);
    return create();
}

HWND make_window_recording(std::vector<std::string> &observed) {
    lines = &observed;
    watch_any = true;
    HWND window = create();
    watch_any = false;
    record(window, &observed);
    return window;
}

void record(HWND window, std::vector<std::string> *observed) {
    watched = window;
    lines = observed;
}

void drain(HWND window) {
    MSG message;
    while (PeekMessageA(&message, window, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void show_and_settle(HWND window) {
    std::vector<std::string> *saved = lines;
    HWND saved_window = watched;
    record(nullptr, nullptr);
    SetWindowPos(window, NULL, 0, 0, 321, 125, SWP_SHOWWINDOW);
    drain(window);
    record(saved_window, saved);
}

void put_away(HWND window) {
    record(nullptr, nullptr);
    ShowWindow(window, SW_HIDE);
    drain(window);
}

} // namespace conformance
