// The simulated desktop's world: virtual time, scripted events, the call log
// and the start-up code that calls WinMain.
#include "platform/host/desktop.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace sim::detail {

namespace {
World* make_world() {
    auto* w = new World();
    w->drives['C'] = Drive{8, 512, 5242880, 10485760}; // 20 GiB free of 40
    w->environment = {"PATH=C:\\WINDOWS\\system32;C:\\WINDOWS", "TEMP=C:\\WINDOWS\\TEMP",
                      "WINDIR=C:\\WINDOWS"};
    return w;
}
} // namespace

World& world() {
    static World* w = make_world(); // lives until the process ends, like the desktop
    return *w;
}

CallRecord::CallRecord(std::string name, std::string args) {
    World& w = world();
    index_ = w.calls.size();
    Call c;
    c.time_ms = w.now;
    c.depth = w.depth;
    c.name = std::move(name);
    c.args = std::move(args);
    w.calls.push_back(std::move(c));
    if (w.live) {
        const Call& r = w.calls.back();
        std::fprintf(w.live, "[%7.3fs] %*s%s\n", static_cast<double>(r.time_ms) / 1000.0,
                     2 * r.depth, "", r.text().c_str());
    }
    ++w.depth;
}

CallRecord::~CallRecord() { --world().depth; }

void CallRecord::result(std::string text) { world().calls[index_].result = std::move(text); }

void fault(const std::string& what) {
    world().faults.push_back(what);
    std::fprintf(stderr, "simulated desktop: %s\n", what.c_str());
}

bool same_name(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool injected_failure(const char* call) {
    auto it = world().failing.find(call);
    if (it == world().failing.end() || it->second <= 0)
        return false;
    --it->second;
    return true;
}

std::string quoted(const char* text, int length) {
    if (!text || length < 0)
        return quoted(text);
    return quoted(std::string(text, strnlen(text, static_cast<size_t>(length))).c_str());
}

std::string quoted(const char* text) {
    if (!text)
        return "NULL";
    if (reinterpret_cast<uintptr_t>(text) < 0x10000)
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(text));
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        switch (*p) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default: out += *p;
        }
    }
    return out + "\"";
}

std::string handle_name(const void* handle) {
    if (!handle)
        return "NULL";
    World& w = world();
    auto value = reinterpret_cast<uintptr_t>(handle);
    if (auto* win = find_window(static_cast<HWND>(const_cast<void*>(handle))))
        return (win->foreign ? "foreign_hwnd" : "hwnd") + std::to_string(value);
    if (auto* obj = find_object(const_cast<void*>(handle)))
        return obj->name;
    if (find_dc(static_cast<HDC>(const_cast<void*>(handle))))
        return "hdc" + std::to_string(value - 0x20000);
    if (value == 0x30000 + 32514)
        return "IDC_WAIT";
    if (value == 0x30000 + 32512)
        return "IDC_ARROW";
    (void)w;
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%lx", static_cast<unsigned long>(value));
    return buf;
}

std::string message_name(UINT message) {
    switch (message) {
    case WM_CREATE: return "WM_CREATE";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_PAINT: return "WM_PAINT";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_QUIT: return "WM_QUIT";
    case WM_ERASEBKGND: return "WM_ERASEBKGND";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_NCCREATE: return "WM_NCCREATE";
    case WM_COMMAND: return "WM_COMMAND";
    default:
        if (message >= WM_USER)
            return "WM_USER+" + std::to_string(message - WM_USER);
        return std::to_string(message);
    }
}

std::string number(long long value) { return std::to_string(value); }

std::string rect_text(const RECT* r) {
    if (!r)
        return "NULL";
    return "{" + number(r->left) + "," + number(r->top) + "," + number(r->right) + "," +
           number(r->bottom) + "}";
}

std::string bool_text(BOOL value) { return value ? "TRUE" : "FALSE"; }

// Handle values: windows 1.., GDI objects 0x10000.., device contexts 0x20000..
HWND window_handle(size_t index) { return reinterpret_cast<HWND>(index + 1); }

Window* find_window(HWND handle) {
    auto value = reinterpret_cast<uintptr_t>(handle);
    World& w = world();
    if (value == 0 || value > w.windows.size())
        return nullptr;
    Window& win = w.windows[value - 1];
    return win.exists ? &win : nullptr;
}

HGDIOBJ object_handle(size_t index) { return reinterpret_cast<HGDIOBJ>(0x10000 + index); }

GdiObject* find_object(HGDIOBJ handle) {
    auto value = reinterpret_cast<uintptr_t>(handle);
    World& w = world();
    if (value < 0x10000 || value - 0x10000 >= w.objects.size())
        return nullptr;
    return &w.objects[value - 0x10000];
}

HDC dc_handle(size_t index) { return reinterpret_cast<HDC>(0x20000 + index); }

DeviceContext* find_dc(HDC dc) {
    auto value = reinterpret_cast<uintptr_t>(dc);
    World& w = world();
    if (value < 0x20000 || value - 0x20000 >= w.dcs.size())
        return nullptr;
    return &w.dcs[value - 0x20000];
}

void advance_to(uint64_t t) {
    World& w = world();
    const uint64_t before = w.now;
    while (!w.events.empty() && w.events.front().at <= t) {
        Event e = std::move(w.events.front());
        w.events.erase(w.events.begin());
        w.now = std::max(w.now, e.at);
        e.action();
    }
    w.now = std::max(w.now, t);
    if (w.now > before)
        w.messages_at_this_time = 0;
}

bool has_future_event() { return !world().events.empty(); }

uint64_t next_event_time() { return world().events.front().at; }

} // namespace sim::detail

namespace sim {

using namespace detail;

namespace {
std::string entry_name(const std::string& entry) { return entry.substr(0, entry.find('=')); }
} // namespace

std::string Call::text() const { return name + "(" + args + ")" + (result.empty() ? "" : " = " + result); }

void set_env(const std::string& name, const std::string& value) {
    unset_env(name);
    world().environment.push_back(name + "=" + value);
}

void unset_env(const std::string& name) {
    auto& env = world().environment;
    std::erase_if(env, [&](const std::string& e) { return same_name(entry_name(e), name); });
}

std::vector<std::string> environment() { return world().environment; }

void set_drive(char letter, DWORD sectors_per_cluster, DWORD bytes_per_sector,
               DWORD free_clusters, DWORD total_clusters) {
    world().drives[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] =
        Drive{sectors_per_cluster, bytes_per_sector, free_clusters, total_clusters};
}

void remove_drive(char letter) {
    world().drives.erase(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
}

HWND add_foreign_window(const std::string& process, const std::string& class_name,
                        const std::string& title, uint64_t appears_at_ms) {
    World& w = world();
    Window win;
    win.foreign = true;
    win.process = process;
    win.class_name = class_name;
    win.title = title;
    win.visible = true;
    win.width = 640;
    win.height = 480;
    w.windows.push_back(win);
    size_t index = w.windows.size() - 1;
    if (appears_at_ms <= w.now)
        w.windows[index].exists = true;
    else
        at(appears_at_ms, [index] { world().windows[index].exists = true; });
    return window_handle(index);
}

void at(uint64_t time_ms, std::function<void()> action) {
    World& w = world();
    Event e{time_ms, w.event_order++, std::move(action)};
    auto pos = std::upper_bound(w.events.begin(), w.events.end(), e, [](const Event& a, const Event& b) {
        return a.at < b.at || (a.at == b.at && a.order < b.order);
    });
    w.events.insert(pos, std::move(e));
}

void send_at(uint64_t time_ms, const std::string& sender, const std::string& class_name,
             const std::string& title, UINT message, WPARAM wparam, LPARAM lparam) {
    at(time_ms, [=] {
        World& w = world();
        ForeignSend s;
        s.sent_at_ms = w.now;
        s.sender = sender;
        s.message = message;
        s.wparam = wparam;
        s.lparam = lparam;
        w.foreign_sends.push_back(s);
        HWND target = find_window(class_name, title);
        Window* win = detail::find_window(target);
        if (win && !win->foreign)
            w.incoming.push_back(IncomingSend{w.foreign_sends.size() - 1, target});
    });
}

void fail_call(const std::string& name, int times) { world().failing[name] += times; }

void set_message_box_time(uint64_t ms) { world().box_time = ms; }

void set_startup_show_window(bool use_show_window, WORD show_window) {
    world().startup_use_show = use_show_window;
    world().startup_show = show_window;
}

void set_double_byte_code_page(bool on) { world().double_byte = on; }

void set_live_trace(FILE* out) { world().live = out; }

uint64_t now_ms() { return world().now; }

const std::vector<Call>& calls() { return world().calls; }

std::vector<std::string> calls_named(const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const Call& c : world().calls)
        if (std::find(names.begin(), names.end(), c.name) != names.end())
            out.push_back(c.text());
    return out;
}

const std::vector<MessageBoxShown>& message_boxes() { return world().boxes; }

const std::vector<ForeignSend>& foreign_sends() { return world().foreign_sends; }

WindowView window(HWND handle) {
    WindowView v;
    Window* w = detail::find_window(handle);
    if (!w)
        return v;
    v.handle = handle;
    v.foreign = w->foreign;
    v.process = w->process;
    v.class_name = w->class_name;
    v.title = w->title;
    v.style = w->style;
    v.ex_style = w->ex_style;
    v.x = w->x;
    v.y = w->y;
    v.width = w->width;
    v.height = w->height;
    RECT c = client_rect(*w);
    v.client_width = c.right;
    v.client_height = c.bottom;
    v.visible = w->visible;
    v.maximized = w->maximized;
    v.topmost = w->topmost;
    v.received = w->received;
    return v;
}

HWND find_window(const std::string& class_name, const std::string& title) {
    World& w = world();
    // Newest first: the top of the Z order.
    for (size_t i = w.windows.size(); i-- > 0;) {
        const Window& win = w.windows[i];
        if (win.exists && same_name(win.class_name, class_name) && same_name(win.title, title))
            return window_handle(i);
    }
    return nullptr;
}

std::vector<std::string> registered_classes() {
    std::vector<std::string> out;
    for (const auto& c : world().classes)
        out.push_back(c.name);
    return out;
}

std::string current_cursor() { return world().cursor; }
int cursor_show_count() { return world().cursor_count; }
std::string winmain_arguments() { return world().winmain_args; }
int winmain_show_command() { return world().winmain_show; }
const std::vector<std::string>& faults() { return world().faults; }

std::string trace() {
    std::string out;
    char stamp[32];
    for (const Call& c : world().calls) {
        std::snprintf(stamp, sizeof stamp, "[%7.3fs] ", static_cast<double>(c.time_ms) / 1000.0);
        out += stamp + std::string(static_cast<size_t>(2 * c.depth), ' ') + c.text() + "\n";
    }
    return out;
}

} // namespace sim
