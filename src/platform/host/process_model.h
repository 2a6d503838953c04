// Other processes: registered programs, running processes and the tasks that
// run their scripts in virtual time.
#pragma once

#include "platform/host/sim/processes.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace sim {
// What the desktop reads of a Program.
struct ProgramAccess {
    static const Script &script(const Program &p) { return p.script_; }
    static const std::optional<std::pair<uint32_t, uint32_t>> &size_and_crc(const Program &p) {
        return p.size_and_crc_;
    }
    static const std::function<bool(const std::string &)> &check(const Program &p) {
        return p.check_;
    }
    static const std::optional<DWORD> &start_error(const Program &p) { return p.start_error_; }
    static const Program::Reaction *reaction(const Program &p, WPARAM command) {
        auto it = p.reactions_.find(command);
        return it == p.reactions_.end() ? nullptr : &it->second;
    }
};
} // namespace sim

namespace sim::detail {

struct RegisteredProgram {
    std::string windows_path;
    Program program;
};

struct RunningProcess {
    Program program;
    std::filesystem::path image_host_path;
    bool alive = true;
};

// One script being carried out: a process's main script, or its reaction to
// a message. Tasks wait for time to pass or for the answer to a send.
struct Task {
    int process;
    std::vector<Step> steps;
    size_t next = 0;
    bool done = false;
    std::function<void()> finished;
};

struct ProcessTable {
    std::vector<RegisteredProgram> programs;
    std::vector<ProcessRecord> records;
    std::vector<RunningProcess> running; // beside records, same index
    std::vector<Task> tasks;
};

// Index of the process whose handle this is, or -1.
int process_for_handle(HANDLE handle);
bool process_alive(int process);
// Starts a process of a program: records it and starts its main script, at
// once or, for a process that a call of the launcher creates, once that call
// has returned.
int start_process(const Program &program, const std::filesystem::path &image_host,
                  ProcessRecord record, bool after_the_caller);
// A message (or ShowWindow) reaching a window of another process. Runs the
// program's reaction, if any, and calls done with its result once the
// reaction has finished.
void deliver_to_process_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                               const std::string &what, std::function<void(LRESULT)> done);
bool task_done(size_t task);

} // namespace sim::detail
