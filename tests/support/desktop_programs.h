// Other processes that launcher scenarios meet, scripted for the simulated
// desktop: a launcher that is already running, its installer, a program that
// sends commands to the progress window.
#pragma once

#include "bootstrap/handoff.h"
#include "platform/host/sim.h"

#include <string>
#include <vector>

namespace scenario {

inline const sim::WindowName progress_window_name{progress_class_name, progress_window_title};
inline const sim::WindowName installer_window_name{installer_class_name, installer_window_title};

// Puts a file for a program to run from (its folder is made as needed).
void place_program_file(const std::string &path);

// A launcher that runs already: its progress window exists, hidden as it
// is unless its installer shows it.
void start_first_launcher(bool window_shown = false);
// An installer that runs already, with its window.
void start_running_installer();
// At time_ms, a program ("sender") sends WM_COMMAND with each of these
// wParams to the progress window, one after the other, each once the
// previous one was answered.
void send_commands_to_progress_window(uint64_t time_ms, const std::vector<WPARAM> &commands);
// The same for any message.
void send_to_progress_window(uint64_t time_ms, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace scenario
