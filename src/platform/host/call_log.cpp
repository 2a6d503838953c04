// The call log and the one formatter of logged arguments.
#include "platform/host/world.h"

#include <algorithm>
#include <cctype>

namespace sim::detail {

void Args::add(const std::string &piece) {
    if (!call_.args.empty())
        call_.args += ", ";
    call_.args += piece;
}

Args &Args::text(const std::string &piece) {
    add(piece);
    return *this;
}

Args &Args::string(const char *value) {
    add(quoted(value));
    return *this;
}

Args &Args::string(const char *value, int length) {
    if (!value || length < 0)
        return string(value);
    add(quoted(std::string(value, strnlen(value, static_cast<size_t>(length))).c_str()));
    return *this;
}

Args &Args::number(long long value) {
    add(std::to_string(value));
    return *this;
}

Args &Args::hex(unsigned long value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%lX", value);
    add(buf);
    return *this;
}

Args &Args::boolean(BOOL value) {
    add(value ? "TRUE" : "FALSE");
    return *this;
}

Args &Args::handle(const void *value) {
    add(handle_name(value));
    return *this;
}

Args &Args::window(HWND value) {
    call_.window = value;
    return handle(value);
}

Args &Args::message(UINT value) {
    call_.message = value;
    add(message_name(value));
    return *this;
}

Args &Args::wparam(WPARAM value) {
    call_.wparam = value;
    return number(static_cast<long long>(value));
}

Args &Args::wparam_as_handle(WPARAM value) {
    call_.wparam = value;
    return handle(reinterpret_cast<const void *>(value));
}

Args &Args::lparam(LPARAM value) {
    call_.lparam = value;
    // Messages whose lParam points at a record: the record's kind, not an
    // address that changes from run to run.
    const char *record = nullptr;
    switch (call_.message.value_or(0)) {
    case WM_GETMINMAXINFO:
        record = "&MINMAXINFO";
        break;
    case WM_NCCREATE:
    case WM_CREATE:
        record = "&CREATESTRUCTA";
        break;
    case WM_NCCALCSIZE:
        record = call_.wparam.value_or(0) ? "&NCCALCSIZE_PARAMS" : "&RECT";
        break;
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
        record = "&WINDOWPOS";
        break;
    default:
        break;
    }
    if (record && value != 0) {
        add(record);
        return *this;
    }
    return number(static_cast<long long>(value));
}

Args &Args::path(const char *value) {
    if (value && reinterpret_cast<uintptr_t>(value) >= 0x10000)
        call_.path = value;
    return string(value);
}

Args &Args::rect(const RECT *r) {
    if (!r)
        return text("NULL");
    return text("{" + std::to_string(r->left) + "," + std::to_string(r->top) + "," +
                std::to_string(r->right) + "," + std::to_string(r->bottom) + "}");
}

Args &Args::msg(const MSG *m) {
    if (!m)
        return text("NULL");
    return text("{" + handle_name(m->hwnd) + ", " + message_name(m->message) + ", " +
                std::to_string(static_cast<long long>(m->wParam)) + ", " +
                std::to_string(static_cast<long long>(m->lParam)) + "}");
}

Args &Args::show_command(int command) {
    add(show_command_name(command));
    return *this;
}

Args &Args::record_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    call_.window = window;
    call_.message = message;
    call_.wparam = wparam;
    call_.lparam = lparam;
    return *this;
}

CallRecord::CallRecord(const std::string &name, const Args &args) {
    World &w = world();
    index_ = w.log.calls.size();
    Call c = args.call_;
    c.time_ms = w.clock.now;
    c.depth = w.log.depth;
    c.name = name;
    w.log.calls.push_back(std::move(c));
    if (w.log.live) {
        const Call &r = w.log.calls.back();
        std::fprintf(w.log.live, "[%7.3fs] %*s%s\n", static_cast<double>(r.time_ms) / 1000.0,
                     2 * r.depth, "", r.text().c_str());
    }
    ++w.log.depth;
}

CallRecord::~CallRecord() {
    --world().log.depth;
}

void CallRecord::result(const std::string &text) {
    world().log.calls[index_].result = text;
}

void CallRecord::result_bool(BOOL value) {
    result(value ? "TRUE" : "FALSE");
}

BOOL CallRecord::fail(DWORD error) {
    set_last_error(error);
    result("FALSE (error " + std::to_string(error) + ")");
    return FALSE;
}

void CallRecord::result_number(long long value) {
    result(std::to_string(value));
}

void fault(const std::string &what) {
    world().log.faults.push_back(what);
    std::fprintf(stderr, "simulated desktop: %s\n", what.c_str());
}

bool injected_failure(const char *call) {
    auto &failing = world().log.failing;
    auto it = failing.find(call);
    if (it == failing.end() || it->second.failures <= 0)
        return false;
    if (it->second.calls_before > 0) {
        --it->second.calls_before;
        return false;
    }
    --it->second.failures;
    return true;
}

bool same_name(const std::string &a, const std::string &b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string quoted(const char *text) {
    if (!text)
        return "NULL";
    if (reinterpret_cast<uintptr_t>(text) < 0x10000)
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(text));
    std::string out = "\"";
    for (const char *p = text; *p; ++p) {
        switch (*p) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += *p;
        }
    }
    return out + "\"";
}

std::string message_name(UINT message) {
    switch (message) {
    case WM_CREATE:
        return "WM_CREATE";
    case WM_DESTROY:
        return "WM_DESTROY";
    case WM_MOVE:
        return "WM_MOVE";
    case WM_SIZE:
        return "WM_SIZE";
    case WM_ACTIVATE:
        return "WM_ACTIVATE";
    case WM_SETFOCUS:
        return "WM_SETFOCUS";
    case WM_KILLFOCUS:
        return "WM_KILLFOCUS";
    case WM_PAINT:
        return "WM_PAINT";
    case WM_CLOSE:
        return "WM_CLOSE";
    case WM_QUIT:
        return "WM_QUIT";
    case WM_ERASEBKGND:
        return "WM_ERASEBKGND";
    case WM_SHOWWINDOW:
        return "WM_SHOWWINDOW";
    case WM_ACTIVATEAPP:
        return "WM_ACTIVATEAPP";
    case WM_GETMINMAXINFO:
        return "WM_GETMINMAXINFO";
    case WM_WINDOWPOSCHANGING:
        return "WM_WINDOWPOSCHANGING";
    case WM_WINDOWPOSCHANGED:
        return "WM_WINDOWPOSCHANGED";
    case WM_NCCREATE:
        return "WM_NCCREATE";
    case WM_NCCALCSIZE:
        return "WM_NCCALCSIZE";
    case WM_NCPAINT:
        return "WM_NCPAINT";
    case WM_NCACTIVATE:
        return "WM_NCACTIVATE";
    case WM_COMMAND:
        return "WM_COMMAND";
    default:
        if (message >= WM_USER)
            return "WM_USER+" + std::to_string(message - WM_USER);
        return std::to_string(message);
    }
}

std::string show_command_name(int command) {
    switch (command) {
    case SW_HIDE:
        return "SW_HIDE";
    case SW_SHOWNORMAL:
        return "SW_SHOWNORMAL";
    case SW_SHOWMINIMIZED:
        return "SW_SHOWMINIMIZED";
    case SW_SHOWMAXIMIZED:
        return "SW_SHOWMAXIMIZED";
    case SW_SHOW:
        return "SW_SHOW";
    case SW_MINIMIZE:
        return "SW_MINIMIZE";
    case SW_RESTORE:
        return "SW_RESTORE";
    case SW_SHOWDEFAULT:
        return "SW_SHOWDEFAULT";
    default:
        return std::to_string(command);
    }
}

std::string handle_name(const void *handle) {
    if (!handle)
        return "NULL";
    auto value = reinterpret_cast<uintptr_t>(handle);
    if (find_window(static_cast<HWND>(const_cast<void *>(handle))))
        return "hwnd" + std::to_string(value);
    if (auto *obj = find_object(const_cast<void *>(handle)))
        return obj->name;
    if (find_dc(static_cast<HDC>(const_cast<void *>(handle))))
        return "hdc" + std::to_string(value - device_context_base);
    if (value == system_cursor_base + wait_cursor_resource)
        return "IDC_WAIT";
    if (value == system_cursor_base + arrow_cursor_resource)
        return "IDC_ARROW";
    if (value == system_font_handle)
        return "SYSTEM_FONT";
    if (int p = process_for_handle(const_cast<void *>(handle)); p >= 0)
        return "process" + std::to_string(world().processes.records[static_cast<size_t>(p)].id);
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%lx", static_cast<unsigned long>(value));
    return buf;
}

std::string colour_text(COLORREF colour) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(colour));
    return buf;
}

} // namespace sim::detail

namespace sim {

using namespace detail;

std::string Call::text() const {
    return name + "(" + args + ")" + (result.empty() ? "" : " = " + result);
}

const std::vector<Call> &calls() {
    return world().log.calls;
}

std::vector<std::string> calls_named(const std::vector<std::string> &names) {
    std::vector<std::string> out;
    for (const Call &c : world().log.calls)
        if (std::find(names.begin(), names.end(), c.name) != names.end())
            out.push_back(c.text());
    return out;
}

std::string trace() {
    std::string out;
    char stamp[32];
    for (const Call &c : world().log.calls) {
        std::snprintf(stamp, sizeof stamp, "[%7.3fs] ", static_cast<double>(c.time_ms) / 1000.0);
        out += stamp + std::string(static_cast<size_t>(2 * c.depth), ' ') + c.text() + "\n";
    }
    return out;
}

void set_live_trace(FILE *out) {
    world().log.live = out;
}

void fail_call(const std::string &name, int times, int after) {
    auto &failure = world().log.failing[name];
    failure.calls_before = after;
    failure.failures += times;
}

const std::vector<std::string> &faults() {
    return world().log.faults;
}

} // namespace sim
