// What a window procedure of the launcher observes of window creation,
// placement, showing, hiding and painting, and of the order of its queue.
#include "observations.h"
#include "window_log.h"

namespace conformance {

namespace {

void create_window(std::vector<std::string> &observed) {
    HWND window = make_window_recording(observed);
    put_away(window);
}

void set_window_pos_shows(std::vector<std::string> &observed) {
    HWND window = make_window();
    record(window, &observed);
    SetWindowPos(window, NULL, 0, 0, 321, 125, SWP_SHOWWINDOW);
    observed.push_back("-- the queue");
    drain(window);
    put_away(window);
}

void show_window_hides(std::vector<std::string> &observed) {
    HWND window = make_window();
    show_and_settle(window);
    record(window, &observed);
    ShowWindow(window, SW_HIDE);
    observed.push_back("-- the queue");
    drain(window);
    put_away(window);
}

void show_window_shows(std::vector<std::string> &observed) {
    HWND window = make_window();
    show_and_settle(window);
    put_away(window);
    record(window, &observed);
    ShowWindow(window, SW_SHOW);
    observed.push_back("-- the queue");
    drain(window);
    put_away(window);
}

void posted_before_paint(std::vector<std::string> &observed) {
    HWND window = make_window();
    show_and_settle(window);
    record(window, &observed);
    InvalidateRgn(window, NULL, FALSE);
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostMessageA(window, WM_USER + 2, 0, 0);
    drain(window);
    put_away(window);
}

void quit_after_posted(std::vector<std::string> &observed) {
    HWND window = make_window();
    record(window, &observed);
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostQuitMessage(3);
    PostMessageA(window, WM_USER + 2, 0, 0);
    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, NULL, 0, 0)) > 0)
        DispatchMessageA(&message);
    observed.push_back("GetMessageA = " + std::to_string(got) + " with WM_QUIT " +
                       std::to_string(message.wParam));
    put_away(window);
}

void get_message_error(std::vector<std::string> &observed) {
    // A handle that names no window.
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FFF0));
    MSG message;
    SetLastError(0);
    BOOL got = GetMessageA(&message, window, 0, 0);
    observed.push_back("GetMessageA = " + std::to_string(got) +
                       " error=" + std::to_string(GetLastError()));
}

void update_and_erase(std::vector<std::string> &observed) {
    HWND window = make_window();
    show_and_settle(window);
    record(window, &observed);
    observed.push_back("-- UpdateWindow, nothing invalid");
    UpdateWindow(window);
    observed.push_back("-- InvalidateRgn without erase, UpdateWindow");
    InvalidateRgn(window, NULL, FALSE);
    UpdateWindow(window);
    observed.push_back("-- InvalidateRgn with erase, UpdateWindow");
    InvalidateRgn(window, NULL, TRUE);
    UpdateWindow(window);
    observed.push_back("-- hidden: InvalidateRgn, UpdateWindow");
    put_away(window);
    record(window, &observed);
    InvalidateRgn(window, NULL, TRUE);
    UpdateWindow(window);
    drain(window);
    observed.push_back("-- end");
}

} // namespace

std::vector<Scenario> message_scenarios() {
    return {
        {"create_window",
         "CreateWindowExA sends WM_GETMINMAXINFO, WM_NCCREATE and WM_CREATE with the "
         "CREATESTRUCT in lParam, and WM_NCCALCSIZE, before it returns",
         {
             {"WM_GETMINMAXINFO"},
             {"WM_NCCREATE with its CREATESTRUCT"},
             {"WM_NCCALCSIZE wParam=0"},
             {"WM_CREATE with its CREATESTRUCT"},
         },
         create_window},
        {"set_window_pos_shows",
         "SetWindowPos with SWP_SHOWWINDOW shows the window at once: it is placed, activated, "
         "its frame and background painted and WM_SIZE sent before the call returns; WM_PAINT "
         "comes through the queue",
         {
             {"WM_WINDOWPOSCHANGING"},
             {"WM_GETMINMAXINFO"},
             {"WM_NCCALCSIZE wParam=1"},
             {"WM_WINDOWPOSCHANGING", true, "Windows brings the window to the top first"},
             {"WM_ACTIVATEAPP wParam=1"},
             {"WM_NCACTIVATE wParam=1"},
             {"WM_ACTIVATE wParam=1"},
             {"WM_SETFOCUS"},
             {"WM_NCPAINT"},
             {"WM_ERASEBKGND"},
             {"WM_WINDOWPOSCHANGED"},
             {"WM_MOVE", true, "only when the default position was not already 0,0"},
             {"WM_SIZE wParam=0 315x100"},
             {"-- the queue"},
             {"WM_PAINT"},
             {"BeginPaint fErase=0"},
         },
         set_window_pos_shows},
        {"show_window_hides",
         "ShowWindow(SW_HIDE) on the active window hides it and deactivates the application",
         {
             {"WM_SHOWWINDOW wParam=0"},
             {"WM_WINDOWPOSCHANGING"},
             {"WM_WINDOWPOSCHANGED"},
             {"WM_NCACTIVATE wParam=0"},
             {"WM_ACTIVATE wParam=0"},
             {"WM_ACTIVATEAPP wParam=0"},
             {"WM_KILLFOCUS"},
             {"-- the queue"},
         },
         show_window_hides},
        {"show_window_shows",
         "ShowWindow(SW_SHOW) on a hidden window shows and activates it and erases its "
         "background at once; WM_PAINT then comes through the queue without another erase",
         {
             {"WM_SHOWWINDOW wParam=1"},
             {"WM_WINDOWPOSCHANGING"},
             {"WM_WINDOWPOSCHANGING", true, "Windows brings the window to the top first"},
             {"WM_ACTIVATEAPP wParam=1"},
             {"WM_NCACTIVATE wParam=1"},
             {"WM_ACTIVATE wParam=1"},
             {"WM_SETFOCUS"},
             {"WM_NCPAINT"},
             {"WM_ERASEBKGND"},
             {"WM_WINDOWPOSCHANGED"},
             {"WM_SIZE wParam=0 315x100", false,
              "the first ShowWindow that shows a window tells it its size and place even when "
              "SetWindowPos did before; Wine is the witness, and its message tests note the same "
              "of Windows"},
             {"WM_MOVE"},
             {"-- the queue"},
             {"WM_PAINT"},
             {"BeginPaint fErase=0"},
         },
         show_window_shows},
        {"posted_before_paint",
         "posted messages come out of the queue before WM_PAINT",
         {{"WM_USER+1"}, {"WM_USER+2"}, {"WM_PAINT"}, {"BeginPaint fErase=0"}},
         posted_before_paint},
        {"quit_after_posted",
         "the quit message comes after the messages posted before and after PostQuitMessage, "
         "and GetMessageA then returns 0 with its exit code",
         {{"WM_USER+1"}, {"WM_USER+2"}, {"GetMessageA = 0 with WM_QUIT 3"}},
         quit_after_posted},
        {"get_message_error",
         "GetMessageA with a filter that is no window fails at once: -1 and "
         "ERROR_INVALID_WINDOW_HANDLE",
         {{"GetMessageA = -1 error=1400"}},
         get_message_error},
        {"update_and_erase",
         "UpdateWindow sends WM_PAINT at once only for a visible window with something "
         "invalid; BeginPaint sends WM_ERASEBKGND only when the invalidation asked for it",
         {
             {"-- UpdateWindow, nothing invalid"},
             {"-- InvalidateRgn without erase, UpdateWindow"},
             {"WM_PAINT"},
             {"BeginPaint fErase=0"},
             {"-- InvalidateRgn with erase, UpdateWindow"},
             {"WM_PAINT"},
             {"WM_ERASEBKGND"},
             {"BeginPaint fErase=0"},
             {"-- hidden: InvalidateRgn, UpdateWindow"},
             {"-- end"},
         },
         update_and_erase},
    };
}

} // namespace conformance
