// The C runtime's environment and descriptor calls, as the Microsoft runtime
// behaves: environment names match without regard to case, and putenv with an
// empty value removes the variable.
#include "platform/host/desktop.h"

#include <algorithm>
#include <cctype>

using namespace sim::detail;

namespace {

void unsupported(const char* call) { fault(std::string(call) + " is not supported yet"); }

} // namespace

char* launcher_host_getenv(const char* name) {
    CallRecord c("getenv", quoted(name));
    World& w = world();
    for (const std::string& e : w.environment) {
        size_t eq = e.find('=');
        if (name && same_name(e.substr(0, eq), name)) {
            w.getenv_results.push_back(e.substr(eq + 1));
            c.result(quoted(w.getenv_results.back().c_str()));
            return w.getenv_results.back().data();
        }
    }
    c.result("NULL");
    return nullptr;
}

int _putenv(const char* entry) {
    CallRecord c("putenv", quoted(entry));
    const char* eq = entry ? std::strchr(entry, '=') : nullptr;
    if (!eq || eq == entry) {
        c.result("-1");
        return -1;
    }
    std::string name(entry, eq);
    std::string value(eq + 1);
    if (value.empty())
        sim::unset_env(name);
    else
        sim::set_env(name, value);
    c.result("0");
    return 0;
}

int _open(const char* path, int flags, int permission) {
    CallRecord c("open", quoted(path) + ", " + number(flags) + ", " + number(permission));
    unsupported("open");
    c.result("-1");
    return -1;
}

int _write(int descriptor, const void*, unsigned int count) {
    CallRecord c("write", number(descriptor) + ", " + number(count));
    unsupported("write");
    c.result("-1");
    return -1;
}

int _close(int descriptor) {
    CallRecord c("close", number(descriptor));
    unsupported("close");
    c.result("-1");
    return -1;
}
