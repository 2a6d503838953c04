// Reading the simulated desktop's call log: paths compared as Windows
// compares them, results of calls, and which files the launcher holds open
// at a given point of its run.
#pragma once

#include "platform/host/sim.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace explore {

bool same_path(const std::string &a, const std::string &b);
// A path as the call log quotes it in an argument list.
std::string quoted_in_log(const std::string &text);
// The number a result or argument text starts with ("3", "-1 (errno 13)").
long leading_number(const std::string &text);
bool call_succeeded(const sim::Call &call); // a BOOL result of TRUE

bool is_file_call(
    const sim::Call &call); // _open, _write, _close, DeleteFileA, MoveFileA, CreateProcessA
bool touches_path(const sim::Call &call, const std::string &path);

// The runtime descriptors the launcher holds, replayed from the log.
class OpenDescriptors {
  public:
    void replay(const sim::Call &call);
    bool holds(const std::string &path) const;

  private:
    std::map<long, std::string> open_;
};

// Indices of the log's calls of this name.
std::vector<size_t> calls_named(const std::string &name);

} // namespace explore
