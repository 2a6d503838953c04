// The platform's start-up code: the argument string and show command that
// WinMain receives, and the one call of WinMain. Kept apart from the rest of
// the desktop so that programs which run no launcher need no WinMain.
#include "platform/host/world.h"

#include <cstdlib>

namespace sim {

namespace {
// What the parsing of the command line reads of the world: the code page.
struct CodePage {
    bool double_byte;
};
CodePage world() {
    return CodePage{detail::world().startup.double_byte};
}
} // namespace

std::string argument_string(const std::string &command_line) {
    auto lead = [](unsigned char c) {
        return world().double_byte && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
    };
    const char *p = command_line.c_str();
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') {
            if (lead(static_cast<unsigned char>(*p)) && p[1])
                ++p;
            ++p;
        }
        if (*p == '"')
            ++p;
    } else {
        while (static_cast<unsigned char>(*p) > 32)
            ++p;
    }
    while (*p && static_cast<unsigned char>(*p) <= 32)
        ++p;
    return p;
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
