// The platform's start-up code: the argument string and show command that
// WinMain receives, and the one call of WinMain. Kept apart from the rest of
// the desktop so that programs which run no launcher need no WinMain.
#include "platform/command_line.h"
#include "platform/host/world.h"

#include <cstdlib>

namespace sim {

std::string argument_string(const std::string &command_line) {
    auto lead = [](unsigned char c) {
        return detail::world().startup.double_byte &&
               ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
    };
    return argument_string_of(command_line.c_str(), lead);
}

int run_launcher(const char *command_line) {
    detail::Startup &startup = detail::world().startup;
    if (startup.ran) {
        std::fprintf(stderr, "simulated desktop: the launcher runs once per process; run each "
                             "scenario in a process of its own\n");
        std::abort();
    }
    startup.ran = true;
    startup.winmain_arguments = argument_string(command_line);
    startup.winmain_show = startup.use_show_window ? startup.show_window : SW_SHOWDEFAULT;
    static char arguments[32768];
    std::snprintf(arguments, sizeof arguments, "%s", startup.winmain_arguments.c_str());
    int code;
    {
        detail::CallRecord c("WinMain",
                             detail::Args().string(arguments).number(startup.winmain_show));
        code = WinMain(reinterpret_cast<HINSTANCE>(detail::launcher_module), nullptr, arguments,
                       startup.winmain_show);
        c.result_number(code);
    }
    return code;
}

} // namespace sim
