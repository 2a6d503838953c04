// The launcher's own process in the simulated desktop: its environment, its
// start-up record and command line, virtual time, and the run itself.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sim {

// ---- before the run ----

// Environment of the launcher's process. Names match without regard to case.
void set_env(const std::string &name, const std::string &value);
void unset_env(const std::string &name);
// The environment as NAME=VALUE entries, in order.
std::vector<std::string> environment();

// The launcher's current directory (a child process without one of its own
// starts there). By default C:\Users\Public\Downloads.
void set_current_directory(const std::string &path);

// The start-up record: STARTF_USESHOWWINDOW and its wShowWindow, or none.
void set_startup_show_window(bool use_show_window, WORD show_window);
// Treat bytes 0x81-0x9F and 0xE0-0xFC as lead bytes of double-byte characters
// (Japanese code page), for the start-up code's parsing of the command line.
void set_double_byte_code_page(bool on);

// Any scripted action at a virtual time.
void at(uint64_t time_ms, std::function<void()> action);

// ---- the run ----

// The platform's start-up: derives the argument string and the show command
// from the process command line, calls WinMain once and returns its result.
int run_launcher(const char *command_line);
// The argument string that the start-up code derives from a command line.
std::string argument_string(const std::string &command_line);

// ---- after (or during) the run ----

uint64_t now_ms();
// The argument string and show command that WinMain received.
std::string winmain_arguments();
int winmain_show_command();

} // namespace sim
