// Where a message that another process sends reaches a window procedure of
// the launcher's thread: only inside PeekMessageA, GetMessageA, SendMessageA
// and a message box's modal loop; never during Sleep or WaitForSingleObject.
#include "observations.h"
#include "peer_world.h"
#include "window_log.h"

namespace conformance {

namespace {

// Long enough for a started process to have sent its message, under Wine too.
constexpr DWORD settle_ms = 3000;

PROCESS_INFORMATION start(Role role, const char *file) {
    std::string path = work_folder() + "\\" + file;
    PROCESS_INFORMATION process{};
    if (!place_peer(path, role))
        return process;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    CreateProcessA(NULL, path.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process);
    return process;
}

HWND wait_for_peer_window() {
    for (int i = 0; i < 200; ++i) {
        if (HWND found = FindWindowA(peer_class, peer_title))
            return found;
        Sleep(50);
    }
    return NULL;
}

std::string wait_text(DWORD result) {
    switch (result) {
    case WAIT_OBJECT_0:
        return "WAIT_OBJECT_0";
    case WAIT_TIMEOUT:
        return "WAIT_TIMEOUT";
    case WAIT_FAILED:
        return "WAIT_FAILED";
    default:
        return std::to_string(result);
    }
}

void end_peer(HWND peer_window, const PROCESS_INFORMATION &peer,
              std::vector<std::string> &observed) {
    record(nullptr, nullptr);
    SendMessageA(peer_window, WM_COMMAND, peer_quit_command, 0);
    observed.push_back("peer told to end: " + wait_text(WaitForSingleObject(peer.hProcess, 10000)));
}

void not_during_sleep_or_wait(std::vector<std::string> &observed) {
    HWND window = make_window();
    PROCESS_INFORMATION holder = start(Role::hold, "hold.exe");
    HWND peer_window = wait_for_peer_window();
    PROCESS_INFORMATION sender = start(Role::send_hello, "send_hello.exe");
    record(window, &observed);
    observed.push_back("-- Sleep");
    Sleep(settle_ms);
    observed.push_back("-- WaitForSingleObject on a running process");
    observed.push_back(wait_text(WaitForSingleObject(holder.hProcess, 500)));
    observed.push_back("-- PeekMessageA");
    MSG message;
    observed.push_back("PeekMessageA = " +
                       std::to_string(PeekMessageA(&message, window, 0, 0, PM_REMOVE)));
    observed.push_back("sender: " + wait_text(WaitForSingleObject(sender.hProcess, 10000)));
    end_peer(peer_window, holder, observed);
    put_away(window);
}

void inside_get_message(std::vector<std::string> &observed) {
    HWND window = make_window();
    PROCESS_INFORMATION sender = start(Role::send_hello, "send_hello.exe");
    record(window, &observed);
    Sleep(settle_ms);
    PostMessageA(window, WM_USER + 5, 0, 0);
    observed.push_back("-- GetMessageA");
    MSG message;
    GetMessageA(&message, window, 0, 0);
    observed.push_back("GetMessageA took WM_USER+" + std::to_string(message.message - WM_USER));
    DispatchMessageA(&message);
    observed.push_back("sender: " + wait_text(WaitForSingleObject(sender.hProcess, 10000)));
    put_away(window);
}

void inside_send_message(std::vector<std::string> &observed) {
    HWND window = make_window();
    PROCESS_INFORMATION holder = start(Role::hold, "hold.exe");
    HWND peer_window = wait_for_peer_window();
    PROCESS_INFORMATION sender = start(Role::send_hello, "send_hello.exe");
    record(window, &observed);
    Sleep(settle_ms);
    observed.push_back("-- SendMessageA to the other process's window");
    SendMessageA(peer_window, WM_USER + 6, 0, 0);
    observed.push_back("SendMessageA returned");
    observed.push_back("sender: " + wait_text(WaitForSingleObject(sender.hProcess, 10000)));
    end_peer(peer_window, holder, observed);
    put_away(window);
}

void inside_message_box(std::vector<std::string> &observed) {
    HWND window = make_window();
    PROCESS_INFORMATION closer = start(Role::close_box, "close_box.exe");
    record(window, &observed);
    observed.push_back("-- MessageBoxA");
    int answer = MessageBoxA(NULL, "A box", "Conformance", MB_OK);
    observed.push_back("MessageBoxA = " + std::to_string(answer));
    observed.push_back("closer: " + wait_text(WaitForSingleObject(closer.hProcess, 10000)));
    put_away(window);
}

void wait_on_null(std::vector<std::string> &observed) {
    SetLastError(0);
    DWORD result = WaitForSingleObject(NULL, 100);
    observed.push_back(wait_text(result) + " error=" + std::to_string(GetLastError()));
}

} // namespace

std::vector<Scenario> delivery_scenarios() {
    return {
        {"not_during_sleep_or_wait",
         "a message sent from another process is not handled during Sleep or "
         "WaitForSingleObject, only at the next PeekMessageA",
         {
             {"-- Sleep"},
             {"-- WaitForSingleObject on a running process"},
             {"WAIT_TIMEOUT"},
             {"-- PeekMessageA"},
             {"WM_COMMAND wParam=4002"},
             {"PeekMessageA = 0"},
             {"sender: WAIT_OBJECT_0"},
             {"peer told to end: WAIT_OBJECT_0"},
         },
         not_during_sleep_or_wait},
        {"inside_get_message",
         "GetMessageA handles a pending sent message before it returns a posted one",
         {
             {"-- GetMessageA"},
             {"WM_COMMAND wParam=4002"},
             {"GetMessageA took WM_USER+5"},
             {"WM_USER+5"},
             {"sender: WAIT_OBJECT_0"},
         },
         inside_get_message},
        {"inside_send_message",
         "while SendMessageA waits for another process's answer, messages sent to this thread "
         "are handled",
         {
             {"-- SendMessageA to the other process's window"},
             {"WM_COMMAND wParam=4002"},
             {"SendMessageA returned"},
             {"sender: WAIT_OBJECT_0"},
             {"peer told to end: WAIT_OBJECT_0"},
         },
         inside_send_message},
        {"inside_message_box",
         "a message box activates the application (WM_ACTIVATEAPP to the hidden window) and its "
         "modal loop handles messages sent from another process",
         {
             {"-- MessageBoxA"},
             {"WM_ACTIVATEAPP wParam=1"},
             {"WM_COMMAND wParam=4002"},
             {"WM_ACTIVATEAPP wParam=0"},
             {"MessageBoxA = 1"},
             {"closer: WAIT_OBJECT_0"},
         },
         inside_message_box},
        {"wait_on_null",
         "WaitForSingleObject on a null handle fails at once with ERROR_INVALID_HANDLE",
         {{"WAIT_FAILED error=6"}},
         wait_on_null},
    };
}

} // namespace conformance
