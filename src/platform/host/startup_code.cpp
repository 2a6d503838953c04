// The platform's start-up code: the argument string and show command that
// WinMain receives, and the one call of WinMain. Kept apart from the rest of
// the desktop so that programs which run no launcher need no WinMain.
#include "platform/command_line.h"
#include "platform/host/desktop.h"

#include <cstdlib>

namespace sim {

using namespace detail;

std::string argument_string(const std::string& command_line) {
    auto lead = [](unsigned char c) {
        return world().double_byte && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
    };
    return argument_string_of(command_line.c_str(), lead);
}

int run_launcher(const char* command_line) {
    World& w = world();
    if (w.ran) {
        std::fprintf(stderr, "simulated desktop: the launcher runs once per process; run each "
                             "scenario in a process of its own\n");
        std::abort();
    }
    w.ran = true;
    w.winmain_args = argument_string(command_line);
    w.winmain_show = w.startup_use_show ? w.startup_show : SW_SHOWDEFAULT;
    static char arguments[32768];
    std::snprintf(arguments, sizeof arguments, "%s", w.winmain_args.c_str());
    int code;
    {
        CallRecord c("WinMain", quoted(arguments) + ", " + number(w.winmain_show));
        code = WinMain(reinterpret_cast<HINSTANCE>(0x400000), nullptr, arguments, w.winmain_show);
        c.result(number(code));
    }
    return code;
}

} // namespace sim
