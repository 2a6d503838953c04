// Other processes: scripted programs that run in virtual time beside the
// launcher. A program is registered for an executable's Windows path;
// CreateProcessA starts it when the command line (or the application name)
// names that file, as Windows would. A program can also be running already
// when the launcher starts, or start at a chosen time (a second launcher).
//
//   sim::Program installer("installer");
//   installer.requires_file(size, crc)
//       .script(sim::Script()
//                   .wait(300).create_window(installer_window)
//                   .wait(200).send(progress_window, WM_COMMAND, show_command))
//       .on_command(hide_command, sim::Script()
//                                     .send(progress_window, WM_COMMAND, hide_command)
//                                     .create_file("%TEMP%\\killme_a")
//                                     .create_file("%TEMP%\\killme_b")
//                                     .exit_after(2000, 0));
//   sim::register_program("C:\\WINDOWS\\TEMP\\uninstall.client.exe", installer);
//
// Paths in a script may name variables of the process's environment as
// %NAME%; they are expanded when the step runs.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// A top-level window as FindWindowA finds it: by class and title.
struct WindowName {
    std::string class_name;
    std::string title;
};

struct Step {
    enum class Kind {
        wait,          // let time pass
        create_window, // the program's own top-level window appears, shown
        find_window,   // FindWindowA; the result is recorded
        send,          // SendMessageA to a window found by name; waits for the answer
        post,          // PostMessageA to a window found by name; does not wait
        show_window,   // ShowWindow on a window found by name (nothing when not found)
        read_file,     // records the file as it is now
        create_file,   // creates (or empties) a file
        exit,          // the process ends with exit_code
        exit_after,    // the process will end after ms, the script goes on
    };
    Kind kind = Kind::wait;
    uint64_t ms = 0;
    WindowName window;
    UINT message = 0;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
    int show_command = 0;
    std::string path;
    std::string content;
    DWORD exit_code = 0;
};

// Steps that run one after the other in virtual time.
class Script {
  public:
    Script &wait(uint64_t ms);
    Script &create_window(WindowName name);
    Script &find_window(WindowName name);
    Script &send(WindowName to, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
    Script &post(WindowName to, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
    Script &show_window(WindowName which, int command);
    Script &read_file(std::string path);
    Script &create_file(std::string path, std::string content = "");
    Script &exit(DWORD code);
    Script &exit_after(uint64_t ms, DWORD code);
    const std::vector<Step> &steps() const { return steps_; }

  private:
    std::vector<Step> steps_;
};

class Program {
  public:
    explicit Program(std::string name) : name_(std::move(name)) {}

    // The program starts only from a file with this content; any other file
    // makes CreateProcessA fail with ERROR_BAD_EXE_FORMAT, as a damaged
    // executable does.
    Program &requires_file(uint32_t size, uint32_t crc32);
    Program &requires_file(std::function<bool(const std::string &bytes)> check);
    // Every start fails with this error, as scripted.
    Program &fails_to_start(DWORD error);
    // What the process does from its start. A script that ends without an
    // exit leaves the process running (as a program in its message loop).
    Program &script(Script steps);
    // What it does when one of its windows receives WM_COMMAND with this
    // wParam. The sender's SendMessageA returns when these steps are done,
    // with this result.
    Program &on_command(WPARAM command, Script reaction, LRESULT result = 0);

    const std::string &name() const { return name_; }

  private:
    friend struct ProgramAccess;
    std::string name_;
    std::optional<std::pair<uint32_t, uint32_t>> size_and_crc_;
    std::function<bool(const std::string &)> check_;
    std::optional<DWORD> start_error_;
    Script script_;
    struct Reaction {
        Script steps;
        LRESULT result = 0;
    };
    std::map<WPARAM, Reaction> reactions_;
};

// CreateProcessA runs this program for the file at this path (the file must
// exist when the process is created).
// A later registration for the same path replaces the earlier one.
void register_program(const std::string &path, const Program &program);

// A process already running when the launcher starts (started now), from
// the file at image_path, which it holds open for execution from then on.
void start_program(const Program &program, const std::string &image_path,
                   const std::string &command_line);
// A process that starts at a chosen virtual time (started by someone else).
void start_program_at(uint64_t time_ms, const Program &program, const std::string &image_path,
                      const std::string &command_line);

// ---- what happened ----

struct Received { // a message or ShowWindow that reached one of its windows
    uint64_t time_ms = 0;
    HWND window = nullptr;
    std::string what; // "ShowWindow(SW_SHOWMAXIMIZED)", "SendMessageA(WM_COMMAND, 55555, 0)"
    UINT message = 0; // 0 for ShowWindow
    WPARAM wparam = 0;
    LPARAM lparam = 0;
};

struct SentMessage { // a send step
    WindowName to;
    UINT message = 0;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
    uint64_t sent_at_ms = 0;
    bool delivered = false; // false: no such window, or never handled
    uint64_t delivered_at_ms = 0;
    uint64_t answered_at_ms = 0;
    LRESULT result = 0;
};

struct FileSeen { // a read_file step
    uint64_t time_ms = 0;
    std::string path; // expanded
    bool exists = false;
    std::string bytes;
    uint32_t crc32 = 0;
};

struct WindowSearch { // a find_window step
    uint64_t time_ms = 0;
    WindowName name;
    HWND found = nullptr;
};

struct ProcessRecord {
    std::string program;
    std::string image_path; // the file it runs from
    // What CreateProcessA was given (empty for a process started otherwise).
    std::string application_name;
    bool has_application_name = false;
    std::string command_line;
    bool inherit_handles = false;
    DWORD creation_flags = 0;
    STARTUPINFOA startup{};               // the whole record as passed
    std::vector<std::string> environment; // inherited: NAME=VALUE entries
    std::string current_directory;
    HANDLE handle = nullptr;
    DWORD id = 0;
    uint64_t started_at_ms = 0;
    std::optional<uint64_t> ended_at_ms;
    DWORD exit_code = STILL_ACTIVE;
    std::vector<HWND> windows;
    std::vector<Received> received;
    std::vector<SentMessage> sent;
    std::vector<FileSeen> files_seen;
    std::vector<WindowSearch> searches;
    std::vector<std::string> files_created;
};

// Every process other than the launcher, in the order they started.
const std::vector<ProcessRecord> &processes();
// The first process of that program, or nullptr.
const ProcessRecord *process(const std::string &program);
// True when the start-up record holds nothing but cb, dwFlags and wShowWindow.
bool only_size_flags_and_show_set(const STARTUPINFOA &startup);

} // namespace sim
