// Other processes: starting them (CreateProcessA, or as scripted), running
// their scripts in virtual time, what reaches their windows, and their end.
#include "platform/host/window_placement.h"
#include "platform/host/world.h"

#include "payload/crc32.h"

#include <algorithm>
#include <sstream>

namespace fs = std::filesystem;
using namespace sim::detail;
using sim::ProcessRecord;
using sim::Program;
using sim::ProgramAccess;

namespace sim::detail {

namespace {

ProcessRecord &record_of(int process) {
    return world().processes.records[static_cast<size_t>(process)];
}

// %NAME% from the process's environment; an unknown name stays as written.
std::string expand(int process, const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        size_t end = text[i] == '%' ? text.find('%', i + 1) : std::string::npos;
        if (end == std::string::npos) {
            out += text[i++];
            continue;
        }
        std::string name = text.substr(i + 1, end - i - 1);
        bool found = false;
        for (const std::string &entry : record_of(process).environment) {
            size_t eq = entry.find('=');
            if (same_name(entry.substr(0, eq), name)) {
                out += entry.substr(eq + 1);
                found = true;
                break;
            }
        }
        if (!found)
            out += text.substr(i, end - i + 1);
        i = end + 1;
    }
    return out;
}

void finish(size_t id) {
    Task &t = world().processes.tasks[id];
    if (t.done)
        return;
    t.done = true;
    std::function<void()> finished = std::move(t.finished);
    if (finished)
        finished();
}

void end_process(int process, DWORD code) {
    World &w = world();
    RunningProcess &running = w.processes.running[static_cast<size_t>(process)];
    if (!running.alive)
        return;
    running.alive = false;
    ProcessRecord &record = record_of(process);
    record.ended_at_ms = w.clock.now;
    record.exit_code = code;
    // Its windows go with it, and nothing it sent is delivered any more.
    for (HWND h : record.windows)
        if (Window *win = find_window(h))
            win->exists = false;
    std::erase_if(w.queue.incoming, [&](const IncomingSend &s) { return s.sender == process; });
    // Whoever waits for one of its window procedures gets an answer of 0.
    for (size_t id = 0; id < w.processes.tasks.size(); ++id)
        if (w.processes.tasks[id].process == process)
            finish(id);
}

size_t new_task(int process, std::vector<Step> steps, std::function<void()> finished) {
    auto &tasks = world().processes.tasks;
    tasks.push_back(Task{process, std::move(steps), 0, false, std::move(finished)});
    return tasks.size() - 1;
}

void run_task(size_t id);

void resume_later(size_t id) {
    schedule(now(), [id] { run_task(id); });
}

HWND create_process_window(int process, const WindowName &name) {
    World &w = world();
    Window win;
    win.exists = true;
    win.owner = process;
    win.class_name = name.class_name;
    win.title = name.title;
    win.style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPSIBLINGS | WS_VISIBLE;
    win.visible = true;
    win.x = 0;
    win.y = 0;
    win.width = 640;
    win.height = 480;
    w.user.windows.push_back(win);
    HWND handle = window_handle(w.user.windows.size() - 1);
    record_of(process).windows.push_back(handle);
    return handle;
}

std::string message_text(const Step &s) {
    return "SendMessageA(" + message_name(s.message) + ", " +
           std::to_string(static_cast<long long>(s.wparam)) + ", " +
           std::to_string(static_cast<long long>(s.lparam)) + ")";
}

void run_task(size_t id) {
    World &w = world();
    for (;;) {
        Task &t = w.processes.tasks[id];
        if (t.done)
            return;
        const int process = t.process;
        if (!process_alive(process) || t.next >= t.steps.size()) {
            finish(id);
            return;
        }
        const Step step = t.steps[t.next++];
        switch (step.kind) {
        case Step::Kind::wait:
            schedule(now() + step.ms, [id] { run_task(id); });
            return;
        case Step::Kind::create_window:
            create_process_window(process, step.window);
            break;
        case Step::Kind::find_window:
            record_of(process).searches.push_back(WindowSearch{
                now(), step.window, sim::find_window(step.window.class_name, step.window.title)});
            break;
        case Step::Kind::send: {
            HWND target = sim::find_window(step.window.class_name, step.window.title);
            SentMessage sent;
            sent.to = step.window;
            sent.message = step.message;
            sent.wparam = step.wparam;
            sent.lparam = step.lparam;
            sent.sent_at_ms = now();
            ProcessRecord &record = record_of(process);
            record.sent.push_back(sent);
            const size_t index = record.sent.size() - 1;
            if (!target)
                break; // SendMessageA to no window returns 0 at once
            if (is_launcher_window(target)) {
                // Waits for the launcher thread's next delivery point.
                w.queue.incoming.push_back(IncomingSend{process, index, target, step.message,
                                                        step.wparam, step.lparam,
                                                        [id](LRESULT) { resume_later(id); }});
                return;
            }
            record.sent[index].delivered = true;
            record.sent[index].delivered_at_ms = now();
            deliver_to_process_window(target, step.message, step.wparam, step.lparam,
                                      message_text(step), [id, process, index](LRESULT r) {
                                          SentMessage &s = record_of(process).sent[index];
                                          s.answered_at_ms = now();
                                          s.result = r;
                                          resume_later(id);
                                      });
            return;
        }
        case Step::Kind::post: {
            // Queued for the window's thread; the poster goes on at once.
            HWND target = sim::find_window(step.window.class_name, step.window.title);
            if (target && is_launcher_window(target)) {
                MSG m{};
                m.hwnd = target;
                m.message = step.message;
                m.wParam = step.wparam;
                m.lParam = step.lparam;
                m.time = static_cast<DWORD>(now());
                w.queue.posted.push_back(m);
            } else if (target) {
                deliver_to_process_window(
                    target, step.message, step.wparam, step.lparam,
                    "PostMessageA(" + message_name(step.message) + ", " +
                        std::to_string(static_cast<long long>(step.wparam)) + ", " +
                        std::to_string(static_cast<long long>(step.lparam)) + ")",
                    nullptr);
            }
            break;
        }
        case Step::Kind::show_window: {
            HWND target = sim::find_window(step.window.class_name, step.window.title);
            if (!target)
                break; // ShowWindow on no window does nothing
            if (is_launcher_window(target)) {
                fault("a program's ShowWindow on a launcher window is not modelled");
                break;
            }
            show_window(target, step.show_command);
            deliver_to_process_window(target, 0, 0, 0,
                                      "ShowWindow(" + show_command_name(step.show_command) + ")",
                                      nullptr);
            break;
        }
        case Step::Kind::read_file: {
            FileSeen seen;
            seen.time_ms = now();
            seen.path = expand(process, step.path);
            if (std::optional<std::string> bytes = sim::read_file(seen.path)) {
                seen.exists = true;
                seen.bytes = *bytes;
                seen.crc32 = crc32_update(0, reinterpret_cast<const uint8_t *>(bytes->data()),
                                          static_cast<uint32_t>(bytes->size()));
            }
            record_of(process).files_seen.push_back(seen);
            break;
        }
        case Step::Kind::create_file: {
            std::string path = expand(process, step.path);
            ResolvedPath r = resolve_path(path);
            std::error_code ec;
            if (!r.error && !is_running_image(r.host) && !is_open_by_runtime(r.host) &&
                !fs::is_directory(r.host, ec)) {
                sim::put_file(path, step.content);
                record_of(process).files_created.push_back(path);
            }
            break;
        }
        case Step::Kind::exit:
            end_process(process, step.exit_code);
            return;
        case Step::Kind::exit_after: {
            DWORD code = step.exit_code;
            schedule(now() + step.ms, [process, code] { end_process(process, code); });
            break;
        }
        }
    }
}

} // namespace

int process_for_handle(HANDLE handle) {
    const auto &records = world().processes.records;
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].handle == handle)
            return static_cast<int>(i);
    return -1;
}

bool process_alive(int process) {
    return process >= 0 && world().processes.running[static_cast<size_t>(process)].alive;
}

bool task_done(size_t task) {
    return world().processes.tasks[task].done;
}

int start_process(const Program &program, const fs::path &image_host, ProcessRecord record,
                  bool after_the_caller) {
    World &w = world();
    const int index = static_cast<int>(w.processes.records.size());
    record.program = program.name();
    record.handle = process_handle(static_cast<size_t>(index));
    record.id = first_process_id + 8 * static_cast<DWORD>(index);
    record.started_at_ms = w.clock.now;
    w.processes.records.push_back(std::move(record));
    w.processes.running.push_back(RunningProcess{program, image_host, true});
    size_t task = new_task(index, ProgramAccess::script(program).steps(), nullptr);
    if (after_the_caller)
        resume_later(task);
    else
        run_task(task);
    return index;
}

void deliver_to_process_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                               const std::string &what, std::function<void(LRESULT)> done) {
    Window *w = find_window(window);
    if (!w || w->owner == launcher_owner || !process_alive(w->owner)) {
        if (done)
            done(0);
        return;
    }
    const int process = w->owner;
    record_of(process).received.push_back(Received{now(), window, what, message, wparam, lparam});
    const Program &program = world().processes.running[static_cast<size_t>(process)].program;
    const auto *reaction =
        message == WM_COMMAND ? ProgramAccess::reaction(program, wparam) : nullptr;
    if (!reaction) {
        if (done)
            done(0);
        return;
    }
    const LRESULT result = reaction->result;
    size_t task = new_task(process, reaction->steps.steps(), [done, result] {
        if (done)
            done(result);
    });
    run_task(task);
}

} // namespace sim::detail

namespace {

bool has_extension(const std::string &name) {
    size_t dot = name.rfind('.');
    return dot != std::string::npos && name.find_first_of("\\/", dot) == std::string::npos;
}

// The files CreateProcessA tries, in order. Without an application name,
// Windows reads an unquoted command line as a path that may hold blanks:
// every blank-separated prefix is tried in turn, ".exe" added to a name
// without an extension, and the first that exists is run.
std::vector<std::string> candidates(LPCSTR application, const std::string &command_line) {
    if (application)
        return {application};
    std::vector<std::string> names;
    if (!command_line.empty() && command_line[0] == '"') {
        size_t end = command_line.find('"', 1);
        names.push_back(command_line.substr(1, end == std::string::npos ? end : end - 1));
    } else {
        for (size_t blank = command_line.find(' ');; blank = command_line.find(' ', blank + 1)) {
            names.push_back(command_line.substr(0, blank));
            if (blank == std::string::npos)
                break;
        }
    }
    std::vector<std::string> out;
    for (std::string name : names) {
        if (name.empty())
            continue;
        if (!has_extension(name))
            name += ".exe";
        if (name.find_first_of("\\/:") != std::string::npos) {
            out.push_back(name);
            continue;
        }
        // A bare name: the current folder, then the folders of PATH.
        out.push_back(world().runtime.current_directory + "\\" + name);
        for (const std::string &entry : world().runtime.environment) {
            if (!same_name(entry.substr(0, entry.find('=')), "PATH"))
                continue;
            std::stringstream folders(entry.substr(entry.find('=') + 1));
            for (std::string folder; std::getline(folders, folder, ';');)
                if (!folder.empty())
                    out.push_back(folder + "\\" + name);
        }
    }
    return out;
}

const RegisteredProgram *program_for(const fs::path &host) {
    for (const RegisteredProgram &p : world().processes.programs) {
        ResolvedPath r = resolve_path(p.windows_path);
        if (!r.error && same_name(r.host.string(), host.string()))
            return &p;
    }
    return nullptr;
}

std::vector<std::string> environment_block(const char *block) {
    std::vector<std::string> out;
    for (const char *p = block; *p; p += std::strlen(p) + 1)
        out.emplace_back(p);
    return out;
}

} // namespace

BOOL WINAPI CreateProcessA(LPCSTR application, LPSTR command_line, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL inherit_handles, DWORD creation_flags,
                           LPVOID environment, LPCSTR current_directory,
                           LPSTARTUPINFOA startup_info, LPPROCESS_INFORMATION process_info) {
    CallRecord c("CreateProcessA", Args()
                                       .path(application)
                                       .string(command_line)
                                       .boolean(inherit_handles)
                                       .hex(creation_flags)
                                       .handle(environment)
                                       .string(current_directory));
    if (!startup_info || !process_info || (!application && !command_line))
        return c.fail(ERROR_INVALID_PARAMETER);
    if (injected_failure("CreateProcessA"))
        return c.fail(ERROR_ACCESS_DENIED);
    const std::string line = command_line ? command_line : "";
    std::string found_path;
    fs::path found_host;
    for (const std::string &candidate : candidates(application, line)) {
        ResolvedPath r = resolve_path(candidate);
        std::error_code ec;
        if (!r.error && fs::is_regular_file(r.host, ec)) {
            found_path = candidate;
            found_host = r.host;
            break;
        }
    }
    if (found_host.empty())
        return c.fail(ERROR_FILE_NOT_FOUND);
    const RegisteredProgram *registered = program_for(found_host);
    if (!registered)
        return c.fail(ERROR_BAD_EXE_FORMAT); // not a program this desktop knows
    const Program &program = registered->program;
    // The program insists on its file: a damaged executable does not run.
    const std::string bytes = sim::read_file(found_path).value_or("");
    if (const auto &expected = ProgramAccess::size_and_crc(program)) {
        uint32_t crc = crc32_update(0, reinterpret_cast<const uint8_t *>(bytes.data()),
                                    static_cast<uint32_t>(bytes.size()));
        if (bytes.size() != expected->first || crc != expected->second)
            return c.fail(ERROR_BAD_EXE_FORMAT);
    }
    if (const auto &check = ProgramAccess::check(program); check && !check(bytes))
        return c.fail(ERROR_BAD_EXE_FORMAT);
    if (const auto &error = ProgramAccess::start_error(program))
        return c.fail(*error);

    ProcessRecord record;
    record.image_path = found_path;
    record.has_application_name = application != nullptr;
    record.application_name = application ? application : "";
    record.command_line = line;
    record.inherit_handles = inherit_handles != FALSE;
    record.creation_flags = creation_flags;
    record.startup = *startup_info;
    record.environment = environment ? environment_block(static_cast<const char *>(environment))
                                     : world().runtime.environment;
    record.current_directory =
        current_directory ? current_directory : world().runtime.current_directory;
    // The new process runs beside its creator: its first step comes once this
    // call has returned.
    const int index = start_process(program, found_host, std::move(record), true);
    const ProcessRecord &started = world().processes.records[static_cast<size_t>(index)];
    process_info->hProcess = started.handle;
    process_info->hThread = thread_handle(static_cast<size_t>(index));
    process_info->dwProcessId = started.id;
    process_info->dwThreadId = started.id + 4;
    c.result("TRUE " + handle_name(started.handle) + " (" + program.name() + " from " + found_path +
             ")");
    return TRUE;
}

namespace sim {

void register_program(const std::string &path, const Program &program) {
    // The latest registration for a path is the program that file holds.
    for (RegisteredProgram &p : world().processes.programs)
        if (same_name(p.windows_path, path)) {
            p.program = program;
            return;
        }
    world().processes.programs.push_back(RegisteredProgram{path, program});
}

void start_program(const Program &program, const std::string &image_path,
                   const std::string &command_line) {
    ResolvedPath r = resolve_path(image_path);
    std::error_code ec;
    if (r.error || !fs::is_regular_file(r.host, ec)) {
        fault("start_program: " + image_path + " is no file");
        return;
    }
    ProcessRecord record;
    record.image_path = image_path;
    record.command_line = command_line;
    record.environment = world().runtime.environment;
    record.current_directory = world().runtime.current_directory;
    start_process(program, r.host, std::move(record), false);
}

void start_program_at(uint64_t time_ms, const Program &program, const std::string &image_path,
                      const std::string &command_line) {
    schedule(time_ms, [=] { start_program(program, image_path, command_line); });
}

const std::vector<ProcessRecord> &processes() {
    return world().processes.records;
}

const ProcessRecord *process(const std::string &program) {
    for (const ProcessRecord &r : world().processes.records)
        if (r.program == program)
            return &r;
    return nullptr;
}

} // namespace sim
