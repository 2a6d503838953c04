// The simulated desktop: the test-facing side.
//
// A test scripts a world (environment, drives, other processes' windows and
// what they send when), runs the launcher's WinMain in it once, and asserts on
// what happened: the exit code, every platform call in order, message boxes,
// windows and virtual time. Everything is deterministic; time is virtual.
//
// One launcher run per process: the launcher keeps its state in static
// storage, which only a fresh process gives back zeroed. The test runner
// (tests/support) runs every test in a process of its own.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace sim {

// One platform call, or one message handed to a window procedure of the
// launcher ("wndproc"), as it happened.
struct Call {
    uint64_t time_ms = 0;
    int depth = 0; // nesting: calls made from inside a window procedure are deeper
    std::string name;
    std::string args;
    std::string result;
    std::string text() const; // name(args), without the result
};

struct MessageBoxShown {
    uint64_t time_ms = 0;
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
};

// What a window looks like from outside, own or foreign.
struct WindowView {
    HWND handle = nullptr;
    bool foreign = false;
    std::string process;
    std::string class_name;
    std::string title;
    DWORD style = 0;
    DWORD ex_style = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int client_width = 0, client_height = 0;
    bool visible = false;
    bool maximized = false;
    bool topmost = false;
    // Foreign windows: what reached them, one line each, e.g.
    // "ShowWindow(SW_SHOWMAXIMIZED)" or "SendMessageA(WM_COMMAND, 55555, 0)".
    std::vector<std::string> received;
};

// A message that another process sent to a launcher window, with its answer.
struct ForeignSend {
    uint64_t sent_at_ms = 0;
    uint64_t answered_at_ms = 0;
    std::string sender;
    UINT message = 0;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
    bool delivered = false; // false: no such window when it was sent, or never delivered
    LRESULT result = 0;
};

// ---- the world, before the run ----

// Environment of the launcher's process. Names match without regard to case.
void set_env(const std::string& name, const std::string& value);
void unset_env(const std::string& name);
// The environment as NAME=VALUE entries, in order.
std::vector<std::string> environment();

// A drive whose free space GetDiskFreeSpaceA reports. Drive C: exists from
// the start with 20 GiB free; any other drive letter is unknown until set.
void set_drive(char letter, DWORD sectors_per_cluster, DWORD bytes_per_sector,
               DWORD free_clusters, DWORD total_clusters);
// Makes GetDiskFreeSpaceA fail for that drive (as for a missing drive).
void remove_drive(char letter);

// A top-level window of another process, found by FindWindowA from the given
// virtual time on.
HWND add_foreign_window(const std::string& process, const std::string& class_name,
                        const std::string& title, uint64_t appears_at_ms = 0);

// At the given virtual time, another process looks for a window by class and
// title and sends it a message (SendMessageA from that process). Windows
// delivers such a message to the launcher only while the launcher is inside
// PeekMessageA, GetMessageA, SendMessageA or a message box's modal loop.
void send_at(uint64_t time_ms, const std::string& sender, const std::string& class_name,
             const std::string& title, UINT message, WPARAM wparam, LPARAM lparam);
// Any other scripted action at a virtual time.
void at(uint64_t time_ms, std::function<void()> action);

// Makes the next calls of a platform function fail, as Windows can: the
// given number of times (RegisterClassA, CreateWindowExA).
void fail_call(const std::string& name, int times = 1);

// How long each message box stays open, in virtual time, before the user
// presses its only button (default 1000 ms).
void set_message_box_time(uint64_t ms);

// The start-up record: STARTF_USESHOWWINDOW and its wShowWindow, or none.
void set_startup_show_window(bool use_show_window, WORD show_window);
// Treat bytes 0x81-0x9F and 0xE0-0xFC as lead bytes of double-byte characters
// (Japanese code page), for the start-up code's parsing of the command line.
void set_double_byte_code_page(bool on);

// Prints every call as it happens (for the demo).
void set_live_trace(FILE* out);

// ---- the run ----

// The platform's start-up: derives the argument string and the show command
// from the process command line, calls WinMain once and returns its result.
int run_launcher(const char* command_line);
// The argument string that the start-up code derives from a command line.
std::string argument_string(const std::string& command_line);

// ---- after (or during) the run ----

uint64_t now_ms();
const std::vector<Call>& calls();
// The calls of the given names, as text "name(args)", in order.
std::vector<std::string> calls_named(const std::vector<std::string>& names);
const std::vector<MessageBoxShown>& message_boxes();
const std::vector<ForeignSend>& foreign_sends();
WindowView window(HWND handle);
HWND find_window(const std::string& class_name, const std::string& title); // any process
std::vector<std::string> registered_classes();
// The cursor that SetCursor installed last ("IDC_WAIT", "none") and the show count.
std::string current_cursor();
int cursor_show_count();
// The argument string and show command that WinMain received.
std::string winmain_arguments();
int winmain_show_command();
// Problems the simulated desktop found in how it was used: an unsupported
// call, a wait that could never end. Empty when all was well.
const std::vector<std::string>& faults();
// The whole run as readable text, one call a line.
std::string trace();

// ---- pixels ----

// A launcher window's client area as painted so far. Sizes are 0 for a
// handle that is not a launcher window.
int client_width(HWND window);
int client_height(HWND window);
// One pixel as 0x00RRGGBB; 0xFFFFFFFF outside the client area or for a handle
// that is not a launcher window.
uint32_t pixel(HWND window, int x, int y);
// Writes the client area to a PNG file (RGB, 8 bits a channel) so that a
// person can look at it. False when there is nothing to write or the file
// cannot be written.
bool write_png(HWND window, const std::string& path);
// The font file that DrawTextA renders with; by default DejaVu Sans
// (/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf). When it cannot be
// loaded, DrawTextA draws nothing and records a fault.
void set_font_file(const std::string& path);

} // namespace sim
