// The launcher process's runtime state: environment, current directory, last
// error and what its start-up code was given.
#pragma once

#include "platform/platform.h"

#include <deque>
#include <string>
#include <vector>

namespace sim::detail {

struct Runtime {
    std::vector<std::string> environment;
    std::deque<std::string> getenv_results; // getenv's answers stay valid
    std::string current_directory = "C:\\Users\\Public\\Downloads";
    DWORD last_error = 0;
};

struct Startup {
    bool use_show_window = false;
    WORD show_window = 0;
    bool double_byte = false;
    bool ran = false;
    std::string winmain_arguments;
    int winmain_show = 0;
};

void set_last_error(DWORD error);

} // namespace sim::detail
