// Matching a call log against a table of expected calls, and the report of a
// mismatch with the table and the log side by side.
#include "platform/host/sim/expected_calls.h"

#include "platform/host/world.h"

#include <algorithm>
#include <set>

namespace sim {

using namespace detail;

std::string Expected::text() const {
    std::string fields;
    auto add = [&](const std::string &piece) { fields += (fields.empty() ? "" : ", ") + piece; };
    if (window)
        add("window=" + handle_name(*window));
    if (message)
        add("message=" + message_name(*message));
    if (wparam)
        add("wparam=" + std::to_string(static_cast<long long>(*wparam)));
    if (lparam)
        add("lparam=" + std::to_string(static_cast<long long>(*lparam)));
    if (path)
        add("path=" + quoted(path->c_str()));
    if (args)
        add("args=" + *args);
    std::string out = name + "{" + fields + "}";
    if (result)
        out += " = " + *result;
    if (optional)
        out += " (optional)";
    return out;
}

bool call_matches(const Expected &row, const Call &call) {
    if (row.name != call.name)
        return false;
    if (row.window && call.window != row.window)
        return false;
    if (row.message && call.message != row.message)
        return false;
    if (row.wparam && call.wparam != row.wparam)
        return false;
    if (row.lparam && call.lparam != row.lparam)
        return false;
    if (row.path && !(call.path && same_name(*call.path, *row.path)))
        return false;
    if (row.result && call.result != *row.result)
        return false;
    if (row.args && call.args != *row.args)
        return false;
    return true;
}

namespace {

constexpr size_t column = 64;
constexpr size_t calls_shown_after_failure = 8;

std::string side_by_side(const std::string &left, const std::string &right) {
    std::string l = left.size() > column ? left.substr(0, column - 3) + "..." : left;
    return "  " + l + std::string(column - l.size(), ' ') + " | " + right + "\n";
}

std::string call_line(const std::vector<Call> &log, size_t i) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "#%zu [%.3fs] ", i,
                  static_cast<double>(log[i].time_ms) / 1000.0);
    return stamp + log[i].text();
}

size_t find_match(const Expected &row, const std::vector<Call> &log, size_t from, size_t limit) {
    for (size_t j = from; j < limit; ++j)
        if (call_matches(row, log[j]))
            return j;
    return limit;
}

} // namespace

SequenceCheck check_sequence(const std::vector<Expected> &table, const std::vector<Call> &log,
                             Between between) {
    std::set<std::string> listed;
    for (const Expected &row : table)
        listed.insert(row.name);

    std::string report = side_by_side("expected", "actual");
    size_t pos = 0;
    auto skipped = [&](size_t from, size_t to) {
        if (to > from)
            report += side_by_side("", "... " + std::to_string(to - from) + " other calls");
    };
    auto fail = [&](size_t from) {
        for (size_t j = from; j < log.size() && j < from + calls_shown_after_failure; ++j)
            report += side_by_side("", call_line(log, j));
        if (log.size() > from + calls_shown_after_failure)
            report += side_by_side(
                "", "... " + std::to_string(log.size() - from - calls_shown_after_failure) +
                        " more calls");
        return SequenceCheck{false, report};
    };

    for (size_t i = 0; i < table.size(); ++i) {
        const Expected &row = table[i];
        size_t limit = log.size();
        if (row.optional) {
            // An optional row may not take a call that a later required row needs.
            for (size_t k = i + 1; k < table.size(); ++k)
                if (!table[k].optional) {
                    limit = find_match(table[k], log, pos, log.size());
                    break;
                }
        }
        size_t j = find_match(row, log, pos, limit);
        if (j == limit) {
            if (row.optional) {
                report += side_by_side(row.text(), "(not there)");
                continue;
            }
            report += side_by_side(row.text(), "MISSING; the log goes on:");
            return fail(pos);
        }
        if (between == Between::other_names_only) {
            for (size_t k = pos; k < j; ++k)
                if (listed.count(log[k].name)) {
                    skipped(pos, k);
                    report += side_by_side("UNEXPECTED before " + row.text(), call_line(log, k));
                    return fail(k + 1);
                }
        }
        skipped(pos, j);
        report += side_by_side(row.text(), call_line(log, j));
        pos = j + 1;
    }
    if (between == Between::other_names_only) {
        for (size_t k = pos; k < log.size(); ++k)
            if (listed.count(log[k].name)) {
                skipped(pos, k);
                report += side_by_side("UNEXPECTED after the last row", call_line(log, k));
                return fail(k + 1);
            }
    }
    return SequenceCheck{true, ""};
}

} // namespace sim
