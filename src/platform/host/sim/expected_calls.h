// Checks a call log against a table of expected calls, in the manner of
// Wine's message tests: each row names a call and gives only the fields that
// matter; rows are matched in order, other calls may come between them, and
// a row marked optional may be missing. On failure the report shows the table
// and the log side by side.
#pragma once

#include "platform/host/sim/calls.h"

#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Expected {
    std::string name; // "SendMessageA", "wndproc", ...
    // Compared only when given.
    std::optional<HWND> window;
    std::optional<UINT> message;
    std::optional<WPARAM> wparam;
    std::optional<LPARAM> lparam;
    std::optional<std::string> path;   // compared without regard to case, as Windows does
    std::optional<std::string> args;   // the whole argument text
    std::optional<std::string> result; // the result's text
    bool optional = false;
    std::string text() const; // how the row reads in a report
};

// What may stand between two matched rows.
enum class Between {
    any_call,         // anything
    other_names_only, // no unmatched call of a name that the table lists
};

struct SequenceCheck {
    bool matched = false;
    std::string report; // side by side, expected | actual, when not matched
};

bool call_matches(const Expected &row, const Call &call);

SequenceCheck check_sequence(const std::vector<Expected> &table, const std::vector<Call> &log,
                             Between between = Between::any_call);

} // namespace sim
