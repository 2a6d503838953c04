#include "condensed_trace.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Index just past the call at `i` and everything nested in it.
size_t end_of(const std::vector<sim::Call> &calls, size_t i) {
    size_t j = i + 1;
    while (j < calls.size() && calls[j].depth > calls[i].depth)
        ++j;
    return j;
}

// Work the extraction repeats for every block: nothing a person needs to see
// one by one.
bool routine(const std::vector<sim::Call> &calls, size_t i) {
    const sim::Call &c = calls[i];
    const bool has_nested = end_of(calls, i) != i + 1;
    if (c.name == "_write" || c.name == "InvalidateRgn" || c.name == "UpdateWindow")
        return true;
    if (c.name == "WaitForSingleObject" && c.result == "WAIT_TIMEOUT")
        return true;
    return c.name == "PeekMessageA" && c.result == "FALSE" && !has_nested;
}

std::string stamp(uint64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "[%7.3fs] ", static_cast<double>(ms) / 1000.0);
    return text;
}

std::string with_thousands(uint64_t n) {
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

std::string line(const sim::Call &c) {
    return stamp(c.time_ms) + std::string(static_cast<size_t>(2 * c.depth), ' ') + c.text() + "\n";
}

// One line for the stretch [from, to) of routine calls.
std::string summary(const std::vector<sim::Call> &calls, size_t from, size_t to) {
    uint64_t writes = 0, bytes = 0, repaints = 0, requests = 0, looks = 0, waits = 0;
    long bar = -1;
    for (size_t i = from; i < to; ++i) {
        const sim::Call &c = calls[i];
        if (c.name == "_write" && c.depth == calls[from].depth) {
            ++writes;
            bytes += std::strtoull(c.args.substr(c.args.find(", ") + 2).c_str(), nullptr, 10);
        } else if (c.name == "UpdateWindow" && c.depth == calls[from].depth) {
            ++requests;
            repaints += end_of(calls, i) != i + 1;
        } else if (c.name == "PeekMessageA") {
            ++looks;
        } else if (c.name == "WaitForSingleObject") {
            ++waits;
        } else if (c.name == "FillRect" && c.args.find("{10,60,") != std::string::npos) {
            // The bar's filled part runs from x = 10 to its end.
            bar = std::strtol(c.args.c_str() + c.args.find("{10,60,") + 7, nullptr, 10) - 10;
        }
    }
    std::string text = "... ";
    if (writes)
        text += with_thousands(writes) + " blocks written (" + with_thousands(bytes) + " bytes), ";
    if (requests) {
        text += with_thousands(requests) + " repaints asked for, " + with_thousands(repaints) +
                (repaints ? " painted" : " painted (the window is hidden)");
        if (bar >= 0)
            text += " (bar at " + std::to_string(bar) + " px)";
        text += ", ";
    }
    if (waits)
        text += with_thousands(waits) + " waits for the installer that timed out, ";
    if (looks)
        text += with_thousands(looks) + " looks at its messages with none waiting, ";
    text.resize(text.size() - 2);
    const uint64_t until = calls[to - 1].time_ms;
    std::string times = stamp(calls[from].time_ms);
    if (until != calls[from].time_ms) {
        char more[32];
        std::snprintf(more, sizeof more, "to %.3fs ", static_cast<double>(until) / 1000.0);
        text = more + text;
    }
    return times + std::string(static_cast<size_t>(2 * calls[from].depth), ' ') + text + "\n";
}

} // namespace

std::string condensed_trace(const std::vector<sim::Call> &calls) {
    std::string out;
    size_t i = 0;
    while (i < calls.size()) {
        if (!routine(calls, i)) {
            out += line(calls[i]);
            ++i;
            continue;
        }
        // A stretch of routine calls at one depth, with what they nest.
        size_t j = i;
        size_t count = 0;
        while (j < calls.size() && calls[j].depth == calls[i].depth && routine(calls, j)) {
            j = end_of(calls, j);
            ++count;
        }
        if (count < 3) {
            for (size_t k = i; k < j; ++k)
                out += line(calls[k]);
        } else {
            out += summary(calls, i, j);
        }
        i = j;
    }
    return out;
}
