// The simulated desktop's internal state, shared by the files that implement
// the platform calls. Tests use sim.h instead.
#pragma once

#include "platform/host/sim.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sim::detail {

struct WindowClass {
    std::string name;
    WNDCLASSA description{};
};

struct Window {
    bool exists = false;
    bool foreign = false;
    std::string process;
    std::string class_name;
    std::string title;
    DWORD style = 0;
    DWORD ex_style = 0;
    int x = 0, y = 0, width = 0, height = 0;
    bool visible = false;
    bool maximized = false;
    bool topmost = false;
    WNDPROC proc = nullptr;
    HBRUSH background = nullptr;
    // Update region, kept as its bounding rectangle: the launcher only ever
    // invalidates whole client areas.
    bool has_update = false;
    RECT update{};
    bool erase_pending = false;
    std::vector<uint32_t> pixels; // client area, 0x00RRGGBB, row after row
    std::vector<std::string> received;
};

enum class ObjectKind { brush, font };

struct GdiObject {
    ObjectKind kind = ObjectKind::brush;
    bool stock = false;
    std::string name; // "brush2", "LTGRAY_BRUSH", "font1"
    COLORREF color = 0;
    LOGFONTA font{};
};

struct DeviceContext {
    HWND window = nullptr;
    bool for_paint = false;
    bool released = false;
    RECT clip{};
    COLORREF background = RGB(255, 255, 255);
    COLORREF text = RGB(0, 0, 0);
    HGDIOBJ font = nullptr;
};

struct IncomingSend {
    size_t record; // index into World::foreign_sends
    HWND target;
};

struct Event {
    uint64_t at;
    uint64_t order;
    std::function<void()> action;
};

struct Drive {
    DWORD sectors_per_cluster, bytes_per_sector, free_clusters, total_clusters;
};

struct World {
    uint64_t now = 0;
    uint64_t messages_at_this_time = 0; // guards against loops that never end
    uint64_t event_order = 0;
    std::vector<Event> events; // kept sorted by (at, order)

    std::vector<Call> calls;
    int depth = 0;
    FILE* live = nullptr;
    std::vector<std::string> faults;

    std::vector<std::string> environment;
    std::deque<std::string> getenv_results; // getenv's answers stay valid
    std::map<char, Drive> drives;

    std::vector<WindowClass> classes;
    std::vector<Window> windows; // handle value = index + 1
    std::vector<GdiObject> objects;
    std::vector<DeviceContext> dcs;
    std::deque<MSG> posted;
    std::deque<IncomingSend> incoming;
    std::vector<ForeignSend> foreign_sends;
    bool quit_posted = false;
    int quit_code = 0;

    std::vector<MessageBoxShown> boxes;
    uint64_t box_time = 1000;

    std::map<std::string, int> failing; // call name -> failures left

    std::string cursor = "none";
    int cursor_count = 0;

    bool startup_use_show = false;
    WORD startup_show = 0;
    bool double_byte = false;
    bool ran = false;
    std::string winmain_args;
    int winmain_show = 0;
};

World& world();

// ---- call log ----

// Records one call at the current depth; calls made until it ends are nested
// under it. Its result is filled in when it returns.
class CallRecord {
  public:
    CallRecord(std::string name, std::string args);
    ~CallRecord();
    CallRecord(const CallRecord&) = delete;
    CallRecord& operator=(const CallRecord&) = delete;
    void result(std::string text);

  private:
    size_t index_;
};

void fault(const std::string& what);

// Window classes, titles and environment names compare without regard to case.
bool same_name(const std::string& a, const std::string& b);

// True when a test asked this call to fail now (and counts the failure).
bool injected_failure(const char* call);

// Formatting for the log.
std::string quoted(const char* text);
// At most length bytes of text; a negative length reads to the terminating zero.
std::string quoted(const char* text, int length);
std::string handle_name(const void* handle);
std::string message_name(UINT message);
std::string number(long long value);
std::string rect_text(const RECT* rect);
std::string bool_text(BOOL value);

// ---- handles ----

HWND window_handle(size_t index);
Window* find_window(HWND handle); // nullptr when not a window
HGDIOBJ object_handle(size_t index);
GdiObject* find_object(HGDIOBJ handle);
HDC dc_handle(size_t index);
DeviceContext* find_dc(HDC dc);

// ---- time and delivery ----

// Moves virtual time forward to t, firing the scripted events due on the way.
void advance_to(uint64_t t);
bool has_future_event();
uint64_t next_event_time();
// Hands the messages that other processes have sent to launcher windows to
// their window procedures (the delivery points of Windows).
void deliver_incoming_sends();
// Calls a launcher window's procedure, logged as "wndproc".
LRESULT call_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Takes the next message for a filter (nullptr = any window of the thread)
// in Windows' order: posted messages, then the quit message (unfiltered
// only), then WM_PAINT for a window with an update region.
bool take_message(MSG* msg, HWND filter, bool remove);

// ---- painting ----

RECT client_rect(const Window& w);
void invalidate_client(Window& w, bool erase);
void fill_pixels(Window& w, const RECT& rect, const RECT& clip, COLORREF color);

} // namespace sim::detail
