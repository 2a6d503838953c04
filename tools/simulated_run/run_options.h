// The command line of simulated_run, read strictly: every number whole and
// in range, every option with its value, in any order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct RunOptions {
    std::string temp = "C:\\WINDOWS\\TEMP";
    bool temp_unset = false;
    std::optional<uint64_t> free_bytes;
    bool second_instance = false;
    uint64_t show_at_ms = 0; // after the installer's start
    bool installer_shows = true;
    uint64_t write_bytes_per_ms = 10000; // a disk of 10 MB a second
    bool full_trace = false;
    std::string picture = "progress-window.png";
    std::string arguments; // after the program name
    bool help = false;
};

// Fills `options` from the arguments; on a mistake, returns false and says
// what is wrong in `error`.
bool parse_run_options(int argc, const char *const *argv, RunOptions &options, std::string &error);

// A whole number of bytes or milliseconds: digits only, with an optional
// binary suffix K, M, G or T; nothing when it is not one or does not fit.
std::optional<uint64_t> parse_count(const std::string &text, bool suffixes);

extern const char run_usage[];
