// Opens the launcher's progress window in the simulated desktop the way
// start-up does (class, window, brushes, scale), without running WinMain,
// for tests of the meter and the painting.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <string>
#include <vector>

namespace scenario {

// Returns the hidden progress window.
HWND open_progress_window();

// Shows it, as the installer's show command does, and paints it once.
void show_progress_window();

// The number of calls recorded so far; calls_since(mark) gives the ones
// made after it, as "name(args) = result".
size_t call_mark();
std::vector<std::string> calls_since(size_t mark, const std::vector<std::string> &names);

} // namespace scenario
