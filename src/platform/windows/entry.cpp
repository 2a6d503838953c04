// The launcher's entry point, in place of the C runtime's start-up code.
//
// That code would cut the command line by rules of its own, set up argument
// vectors, run static constructors and bring its own error reporting: none
// of it is used here, and it would outweigh the launcher's own code. The
// runtime DLL (msvcrt.dll) initialises itself when the loader attaches it,
// so getenv, _putenv and the descriptor calls work without it. The launcher
// has no static constructors to run; a build check keeps it so.
#include "platform/command_line.h"
#include "platform/platform.h"

namespace {

bool is_lead_byte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

// DLLs are looked up in the system folder only, so that none planted beside
// the launcher or in the temp folder gets into the process. Windows 8 has
// the call, Vista and 7 with an update; older systems go without it.
void load_dlls_from_system_folder_only() {
    typedef BOOL(WINAPI * set_default_dll_directories_call)(DWORD flags);
    FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (found == NULL)
        return;
    // Through the generic function type, which every function pointer
    // converts to and from.
    reinterpret_cast<set_default_dll_directories_call>(reinterpret_cast<void (*)()>(found))(
        LOAD_LIBRARY_SEARCH_SYSTEM32);
}

int show_command_from_startup_record() {
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    if (startup.dwFlags & STARTF_USESHOWWINDOW)
        return startup.wShowWindow;
    return SW_SHOWDEFAULT;
}

} // namespace

// The process starts here. On i686 the stack is only sure to be aligned to 4
// bytes, so the entry realigns it for the code it calls. It never returns:
// the process ends with WinMain's result.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void launcher_entry() {
    load_dlls_from_system_folder_only();
    // The process's command line is its own writable copy; WinMain takes
    // a pointer into it, as from the runtime's start-up.
    char *arguments = const_cast<char *>(argument_string_of(GetCommandLineA(), is_lead_byte));
    int result =
        WinMain(GetModuleHandleA(NULL), NULL, arguments, show_command_from_startup_record());
    ExitProcess(static_cast<UINT>(result));
}
