// The call log of the simulated desktop: every platform call the launcher
// makes, and every message handed to one of its window procedures, in order.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// One platform call, or one message handed to a window procedure of the
// launcher ("wndproc"), as it happened. Beside the text, the arguments that
// tests look for are kept as fields; a field a call does not have is empty.
struct Call {
    uint64_t time_ms = 0;
    int depth = 0; // nesting: calls made from inside a window procedure are deeper
    std::string name;
    std::string args;   // the arguments as text
    std::string result; // the result as text, empty for a call without one
    std::optional<HWND> window;
    std::optional<UINT> message;
    std::optional<WPARAM> wparam;
    std::optional<LPARAM> lparam;
    std::optional<std::string> path; // a file path argument, as given
    std::string text() const;        // "name(args) = result", or "name(args)"
};

const std::vector<Call> &calls();
// The calls of the given names, as text, in order.
std::vector<std::string> calls_named(const std::vector<std::string> &names);
// The whole run as readable text, one call a line, with time and nesting.
std::string trace();
// Prints every call as it happens (for the demo).
void set_live_trace(FILE *out);

// Makes calls of a platform function fail, as Windows can: the given number
// of times, once `after` more calls have succeeded (RegisterClassA,
// CreateWindowExA, GetMessageA, CreateProcessA).
void fail_call(const std::string &name, int times = 1, int after = 0);

// Problems the simulated desktop found in how it was used: an unsupported
// call, a wait that could never end. Empty when all was well.
const std::vector<std::string> &faults();

} // namespace sim
