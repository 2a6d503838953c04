// A program built as the launcher is: the launcher's own entry point, its
// platform layer and its link options, with a WinMain that reports what it
// was given and how the runtime DLL behaves without the runtime's start-up
// code. Run under Wine by entry_point.sh.
//
// Environment:
//   E2E_PROBE_LOG    Windows path of the log to write (created or truncated)
//   E2E_PROBE_VALUE  any value, read back under a lower-case name
// The log, one "name=value" line each, written with _open/_write/_close in
// binary mode:
//   arguments=HEX          the argument string WinMain received, in hex
//   show=N                 WinMain's show command
//   instance_is_module=0|1 WinMain's instance is the executable's module
//   previous_is_null=0|1
//   value=TEXT             getenv("e2e_probe_value")
//   planted_dll_loaded=0|1 LoadLibraryA of a DLL that lies beside the program
//   planted_dll_loaded_from_default_dirs=0|1  the same once the program's
//                          folder is searched again (shows the DLL loads)
//   child_exit=N           exit code of the child started after _putenv
//   format: INTENT: ok | FAILED ...  one line per formatting case
//   end=1                  the last line
// The child (started with the argument "child") writes the log's path with
// ".child" appended: inherited=TEXT, from getenv("E2E_PROBE_INHERITED").
// Exit codes: 0 the log was written, 2 no log path, 3 the log could not be
// opened.
#include "platform/platform.h"

namespace {

int log_descriptor = -1;

void log_text(const char *text) {
    _write(log_descriptor, text, static_cast<unsigned int>(strlen(text)));
}

void log_line(const char *name, const char *value) {
    char line[600];
    snprintf(line, sizeof line, "%s=%s\n", name, value);
    log_text(line);
}

void log_number(const char *name, long value) {
    char number[24];
    snprintf(number, sizeof number, "%ld", value);
    log_line(name, number);
}

void log_hex(const char *name, const char *bytes) {
    char hex[512] = "";
    for (size_t i = 0; bytes[i] != '\0' && 2 * i + 2 < sizeof hex; ++i)
        snprintf(hex + 2 * i, 3, "%02x", static_cast<unsigned char>(bytes[i]));
    log_line(name, hex);
}

bool open_log(const char *path) {
    log_descriptor = _open(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    return log_descriptor >= 0;
}

// ---- formatting into fixed buffers ----

constexpr size_t canary_room = 8;

struct Formatted {
    char buffer[300 + canary_room];
    int returned;
};

// Checks one case: the text in the buffer, the result, and that nothing was
// written past size (the bytes from there on keep their filling). With size
// 0 there is no text to compare.
void check_format(const char *intent, const Formatted &formatted, size_t size,
                  const char *expected_text, int expected_result) {
    char line[700];
    bool past_end_untouched = true;
    for (size_t i = size; i < size + canary_room; ++i)
        if (formatted.buffer[i] != '#')
            past_end_untouched = false;
    bool terminated = size == 0 || memchr(formatted.buffer, '\0', size) != NULL;
    bool text_as_expected = size == 0 || strcmp(formatted.buffer, expected_text) == 0;
    if (!past_end_untouched)
        snprintf(line, sizeof line, "format: %s: FAILED, wrote past the buffer\n", intent);
    else if (!terminated)
        snprintf(line, sizeof line, "format: %s: FAILED, not terminated\n", intent);
    else if (!text_as_expected || formatted.returned != expected_result)
        snprintf(line, sizeof line,
                 "format: %s: FAILED, gave \"%.100s\" and %d, expected \"%.100s\" and %d\n", intent,
                 formatted.buffer, formatted.returned, expected_text, expected_result);
    else
        snprintf(line, sizeof line, "format: %s: ok\n", intent);
    log_text(line);
}

void fill(Formatted &formatted) {
    memset(formatted.buffer, '#', sizeof formatted.buffer - 1);
    formatted.buffer[sizeof formatted.buffer - 1] = '\0';
}

char long_text[301];  // 300 times 'a'
char cut_at_259[260]; // its first 259

struct FormatCase {
    const char *intent;
    size_t size; // of the buffer given to snprintf
    int (*format)(char *buffer, size_t size);
    const char *expected_text;
    int expected_result;
};

const FormatCase format_cases[] = {
    {"a short text fits", 8, [](char *b, size_t n) { return snprintf(b, n, "%s", "abc"); }, "abc",
     3},
    {"a text that fills the buffer with its terminator", 4,
     [](char *b, size_t n) { return snprintf(b, n, "%s", "abc"); }, "abc", 3},
    {"one byte too long is cut and terminated", 4,
     [](char *b, size_t n) { return snprintf(b, n, "%s", "abcd"); }, "abc", 4},
    {"much too long is cut and terminated", 4,
     [](char *b, size_t n) { return snprintf(b, n, "%s", "abcdefgh"); }, "abc", 4},
    {"a buffer of one byte holds the terminator only", 1,
     [](char *b, size_t n) { return snprintf(b, n, "%s", "abc"); }, "", 1},
    {"a buffer of no bytes is left alone", 0,
     [](char *b, size_t n) { return snprintf(b, n, "%s", "abc"); }, "", 0},
    {"a precision takes the first characters", 264,
     [](char *b, size_t n) { return snprintf(b, n, "%.259s", long_text); }, cut_at_259, 259},
    {"strings and a character", 64,
     [](char *b, size_t n) {
         return snprintf(b, n, "%s\\%s %c", "C:\\T", "uninstall.client.exe", 'x');
     },
     "C:\\T\\uninstall.client.exe x", 27},
    {"percent signs in an argument are copied", 16,
     [](char *b, size_t n) { return snprintf(b, n, "%s", "100%s%n"); }, "100%s%n", 7},
};

void check_formatting() {
    memset(long_text, 'a', 300);
    long_text[300] = '\0';
    memset(cut_at_259, 'a', 259);
    cut_at_259[259] = '\0';
    for (const FormatCase &c : format_cases) {
        Formatted f;
        fill(f);
        f.returned = c.format(f.buffer, c.size);
        check_format(c.intent, f, c.size, c.expected_text, c.expected_result);
    }
}

// ---- the child that shows what _putenv passed on ----

int run_child() {
    const char *log_path = getenv("E2E_PROBE_LOG");
    if (log_path == NULL)
        return 2;
    char child_log[MAX_PATH + 8];
    snprintf(child_log, sizeof child_log, "%s.child", log_path);
    if (!open_log(child_log))
        return 3;
    const char *inherited = getenv("E2E_PROBE_INHERITED");
    log_line("inherited", inherited != NULL ? inherited : "(none)");
    _close(log_descriptor);
    return 0;
}

long run_child_after_putenv() {
    _putenv("E2E_PROBE_INHERITED=set by _putenv");
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    char command_line[MAX_PATH + 16];
    snprintf(command_line, sizeof command_line, "\"%s\" child", self);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command_line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return -1;
    DWORD code = 259;
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    return static_cast<long>(code);
}

// ---- where DLLs are looked up ----

void check_dll_search() {
    const char *planted = "e2e_planted.dll";
    log_number("planted_dll_loaded", LoadLibraryA(planted) != NULL);
    // The program's folder back in the search: the DLL itself loads.
    typedef BOOL(WINAPI * set_default_dll_directories_call)(DWORD flags);
    FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (found != NULL)
        reinterpret_cast<set_default_dll_directories_call>(reinterpret_cast<void (*)()>(found))(
            LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    log_number("planted_dll_loaded_from_default_dirs", LoadLibraryA(planted) != NULL);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show) {
    if (strcmp(arguments, "child") == 0)
        return run_child();
    const char *log_path = getenv("E2E_PROBE_LOG");
    if (log_path == NULL)
        return 2;
    if (!open_log(log_path))
        return 3;
    log_hex("arguments", arguments);
    log_number("show", show);
    log_number("instance_is_module", instance == GetModuleHandleA(NULL));
    log_number("previous_is_null", previous == NULL);
    const char *value = getenv("e2e_probe_value");
    log_line("value", value != NULL ? value : "(none)");
    check_dll_search();
    log_number("child_exit", run_child_after_putenv());
    check_formatting();
    log_number("end", 1);
    _close(log_descriptor);
    return 0;
}
