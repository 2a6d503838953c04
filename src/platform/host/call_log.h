// The call log's internal side: recording a call with its arguments, the one
// formatter for logged arguments, faults and injected failures.
#pragma once

#include "platform/host/sim/calls.h"

#include <map>
#include <string>
#include <vector>

namespace sim::detail {

struct CallLog {
    std::vector<Call> calls;
    int depth = 0;
    FILE *live = nullptr;
    std::vector<std::string> faults;
    struct InjectedFailure {
        int calls_before = 0; // calls that still succeed first
        int failures = 0;     // failures left after them
    };
    std::map<std::string, InjectedFailure> failing; // by call name
};

// The arguments of one call, as text and as the structured fields of Call.
// Every logged argument goes through here, so all calls read alike.
class Args {
  public:
    Args &text(const std::string &piece);       // as it is
    Args &string(const char *text);             // quoted; NULL; #n for an integer resource
    Args &string(const char *text, int length); // at most length bytes (negative: all)
    Args &number(long long value);
    Args &hex(unsigned long value);
    Args &boolean(BOOL value);
    Args &handle(const void *handle);     // by the name of what it is
    Args &window(HWND window);            // also the window field
    Args &message(UINT message);          // by name, also the message field
    Args &wparam(WPARAM value);           // also the wParam field
    Args &wparam_as_handle(WPARAM value); // a DC in wParam (WM_ERASEBKGND)
    Args &lparam(LPARAM value);           // also the lParam field
    Args &path(const char *path);         // quoted, also the path field
    Args &rect(const RECT *rect);
    Args &msg(const MSG *msg); // {window, message, wParam, lParam}
    Args &show_command(int command);
    // The structured fields of a message whose text is already given (a MSG).
    Args &record_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    const std::string &args_text() const { return call_.args; }

  private:
    friend class CallRecord;
    void add(const std::string &piece);
    Call call_;
};

// Records one call at the current depth; calls made until it ends are nested
// under it. Its result is filled in when it returns.
class CallRecord {
  public:
    CallRecord(const std::string &name, const Args &args = Args());
    ~CallRecord();
    CallRecord(const CallRecord &) = delete;
    CallRecord &operator=(const CallRecord &) = delete;
    void result(const std::string &text);
    void result_bool(BOOL value);
    void result_number(long long value);
    // Sets the thread's last error and records "FALSE (error N)"; returns FALSE.
    BOOL fail(DWORD error);

  private:
    size_t index_;
};

void fault(const std::string &what);

// True when a test asked this call to fail now (and counts the failure).
bool injected_failure(const char *call);

// Window classes, titles, environment names, resource names and file names
// compare without regard to case.
bool same_name(const std::string &a, const std::string &b);

// Names for the log.
std::string quoted(const char *text);
std::string message_name(UINT message);
std::string show_command_name(int command);
std::string handle_name(const void *handle);
std::string colour_text(COLORREF colour);

} // namespace sim::detail
