// Building programs and their scripts (the test-facing side).
#include "platform/host/sim/processes.h"

namespace sim {

namespace {
Step step(Step::Kind kind) {
    Step s;
    s.kind = kind;
    return s;
}

// A command to another process's window: sent, or posted.
Step message_step(Step::Kind kind, WindowName to, UINT message, WPARAM wparam, LPARAM lparam) {
    Step s = step(kind);
    s.window = std::move(to);
    s.message = message;
    s.wparam = wparam;
    s.lparam = lparam;
    return s;
}
} // namespace

Script &Script::wait(uint64_t ms) {
    Step s = step(Step::Kind::wait);
    s.ms = ms;
    steps_.push_back(s);
    return *this;
}

Script &Script::create_window(WindowName name) {
    Step s = step(Step::Kind::create_window);
    s.window = std::move(name);
    steps_.push_back(s);
    return *this;
}

Script &Script::find_window(WindowName name) {
    Step s = step(Step::Kind::find_window);
    s.window = std::move(name);
    steps_.push_back(s);
    return *this;
}

Script &Script::send(WindowName to, UINT message, WPARAM wparam, LPARAM lparam) {
    steps_.push_back(message_step(Step::Kind::send, std::move(to), message, wparam, lparam));
    return *this;
}

Script &Script::post(WindowName to, UINT message, WPARAM wparam, LPARAM lparam) {
    steps_.push_back(message_step(Step::Kind::post, std::move(to), message, wparam, lparam));
    return *this;
}

Script &Script::show_window(WindowName which, int command) {
    Step s = step(Step::Kind::show_window);
    s.window = std::move(which);
    s.show_command = command;
    steps_.push_back(s);
    return *this;
}

Script &Script::read_file(std::string path) {
    Step s = step(Step::Kind::read_file);
    s.path = std::move(path);
    steps_.push_back(s);
    return *this;
}

Script &Script::create_file(std::string path, std::string content) {
    Step s = step(Step::Kind::create_file);
    s.path = std::move(path);
    s.content = std::move(content);
    steps_.push_back(s);
    return *this;
}

Script &Script::exit(DWORD code) {
    Step s = step(Step::Kind::exit);
    s.exit_code = code;
    steps_.push_back(s);
    return *this;
}

Script &Script::exit_after(uint64_t ms, DWORD code) {
    Step s = step(Step::Kind::exit_after);
    s.ms = ms;
    s.exit_code = code;
    steps_.push_back(s);
    return *this;
}

Program &Program::requires_file(uint32_t size, uint32_t crc32) {
    size_and_crc_ = std::make_pair(size, crc32);
    return *this;
}

Program &Program::requires_file(std::function<bool(const std::string &bytes)> check) {
    check_ = std::move(check);
    return *this;
}

Program &Program::fails_to_start(DWORD error) {
    start_error_ = error;
    return *this;
}

Program &Program::script(Script steps) {
    script_ = std::move(steps);
    return *this;
}

Program &Program::on_command(WPARAM command, Script reaction, LRESULT result) {
    reactions_[command] = Reaction{std::move(reaction), result};
    return *this;
}

bool only_size_flags_and_show_set(const STARTUPINFOA &startup) {
    STARTUPINFOA rest = startup;
    rest.cb = 0;
    rest.dwFlags = 0;
    rest.wShowWindow = 0;
    const STARTUPINFOA zero{};
    return std::memcmp(&rest, &zero, sizeof rest) == 0;
}

} // namespace sim
