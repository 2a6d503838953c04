// The C runtime's environment calls, as the Microsoft runtime behaves:
// names match without regard to case, and putenv with an empty value removes
// the variable. Also what a test sets of the launcher process before its run.
#include "platform/host/world.h"

using namespace sim::detail;

namespace {
std::string entry_name(const std::string &entry) {
    return entry.substr(0, entry.find('='));
}
} // namespace

char *launcher_host_getenv(const char *name) {
    CallRecord c("getenv", Args().string(name));
    World &w = world();
    for (const std::string &e : w.runtime.environment) {
        size_t eq = e.find('=');
        if (name && same_name(e.substr(0, eq), name)) {
            w.runtime.getenv_results.push_back(e.substr(eq + 1));
            c.result(quoted(w.runtime.getenv_results.back().c_str()));
            return w.runtime.getenv_results.back().data();
        }
    }
    c.result("NULL");
    return nullptr;
}

int _putenv(const char *entry) {
    CallRecord c("putenv", Args().string(entry));
    const char *eq = entry ? std::strchr(entry, '=') : nullptr;
    if (!eq || eq == entry) {
        errno = EINVAL;
        c.result_number(-1);
        return -1;
    }
    std::string name(entry, eq);
    std::string value(eq + 1);
    if (value.empty())
        sim::unset_env(name);
    else
        sim::set_env(name, value);
    c.result_number(0);
    return 0;
}

namespace sim {

void set_env(const std::string &name, const std::string &value) {
    unset_env(name);
    world().runtime.environment.push_back(name + "=" + value);
}

void unset_env(const std::string &name) {
    std::erase_if(world().runtime.environment,
                  [&](const std::string &e) { return same_name(entry_name(e), name); });
}

std::vector<std::string> environment() {
    return world().runtime.environment;
}

void set_current_directory(const std::string &path) {
    world().runtime.current_directory = path;
}

void set_startup_show_window(bool use_show_window, WORD show_window) {
    world().startup.use_show_window = use_show_window;
    world().startup.show_window = show_window;
}

void set_double_byte_code_page(bool on) {
    world().startup.double_byte = on;
}

std::string winmain_arguments() {
    return world().startup.winmain_arguments;
}
int winmain_show_command() {
    return world().startup.winmain_show;
}

} // namespace sim
