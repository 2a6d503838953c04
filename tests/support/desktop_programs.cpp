#include "desktop_programs.h"

namespace scenario {

namespace {
constexpr char programs_folder[] = "C:\\Program Files\\Kelvara";
std::string program_path(const std::string &file) {
    return std::string(programs_folder) + "\\" + file;
}
} // namespace

void place_program_file(const std::string &path) {
    sim::make_folder(path.substr(0, path.rfind('\\')));
    sim::put_file(path, std::string("MZ"));
}

void start_first_launcher(bool window_shown) {
    const std::string path = "C:\\Users\\Public\\Downloads\\first launcher.exe";
    place_program_file(path);
    sim::Script script;
    script.create_window(progress_window_name);
    if (!window_shown)
        script.show_window(progress_window_name, SW_HIDE);
    sim::start_program(sim::Program("first launcher").script(script), path, "\"" + path + "\"");
}

void start_running_installer() {
    const std::string path = "C:\\WINDOWS\\TEMP\\uninstall.client.exe";
    place_program_file(path);
    sim::start_program(
        sim::Program("installer").script(sim::Script().create_window(installer_window_name)), path,
        path + " i");
}

void send_commands_to_progress_window(uint64_t time_ms, const std::vector<WPARAM> &commands) {
    sim::Script script;
    for (WPARAM command : commands)
        script.send(progress_window_name, WM_COMMAND, command);
    const std::string path = program_path("sender.exe");
    place_program_file(path);
    sim::start_program_at(time_ms, sim::Program("sender").script(script), path, path);
}

void send_to_progress_window(uint64_t time_ms, UINT message, WPARAM wparam, LPARAM lparam) {
    const std::string path = program_path("sender.exe");
    place_program_file(path);
    sim::start_program_at(time_ms,
                          sim::Program("sender").script(
                              sim::Script().send(progress_window_name, message, wparam, lparam)),
                          path, path);
}

} // namespace scenario
