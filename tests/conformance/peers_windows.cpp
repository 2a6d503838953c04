// The conformance program's world on Windows: the other process is this
// program again, copied to a file whose name gives its role.
#include "peer_world.h"

#include <cstring>

namespace conformance {

namespace {

std::string folder;
std::string drive;

std::string own_path() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(NULL, path, sizeof path);
    return path;
}

std::string file_name(const std::string &path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

bool starts_with(const std::string &text, const char *prefix) {
    return text.rfind(prefix, 0) == 0;
}

LRESULT CALLBACK peer_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && wparam == peer_quit_command) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

int hold() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = peer_proc;
    window_class.lpszClassName = peer_class;
    RegisterClassA(&window_class);
    CreateWindowExA(0, peer_class, peer_title, WS_OVERLAPPED, 0, 0, 100, 100, NULL, NULL, NULL,
                    NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

HWND wait_for(const char *class_name, const char *title) {
    for (int i = 0; i < 400; ++i) {
        if (HWND found = FindWindowA(class_name, title))
            return found;
        Sleep(25);
    }
    return NULL;
}

} // namespace

void prepare_world(int argc, char **argv) {
    folder = argc > 1 ? argv[1] : ".";
    drive = argc > 2 ? argv[2] : "";
}

std::string work_folder() {
    return folder;
}
std::string small_drive() {
    return drive;
}

bool place_peer(const std::string &path, Role) {
    // The role follows from the file's name (see run_as_peer).
    return CopyFileA(own_path().c_str(), path.c_str(), FALSE) != 0;
}

bool run_as_peer(int, char **, int &exit_code) {
    const std::string name = file_name(own_path());
    if (starts_with(name, "conformance"))
        return false;
    if (starts_with(name, "hold") || starts_with(name, "busy")) {
        exit_code = hold();
    } else if (starts_with(name, "send_hello")) {
        SendMessageA(wait_for(own_class, own_title), WM_COMMAND, peer_hello_command, 0);
        exit_code = 0;
    } else if (starts_with(name, "close_box")) {
        HWND box = wait_for("#32770", "Conformance");
        SendMessageA(wait_for(own_class, own_title), WM_COMMAND, peer_hello_command, 0);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        exit_code = 0;
    } else if (starts_with(name, "exit7")) {
        exit_code = 7;
    } else {
        exit_code = 0;
    }
    return true;
}

bool under_wine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != NULL;
}

} // namespace conformance
