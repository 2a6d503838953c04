#include "simulated_installer.h"

#include "carried_payloads.h"

#include "bootstrap/handoff.h"
#include "embedded_payloads.h"
#include "payload/payload_figures.h"

#include <algorithm>
#include <fstream>

namespace simulated_demo {

namespace {

const sim::WindowName progress_window_name{progress_class_name, progress_window_title};
const sim::WindowName installer_window_name{installer_class_name, installer_window_title};

std::string host_file(const char *path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<size_t>(std::max<std::streamoff>(0, in.tellg())), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

} // namespace

void register_carried_payloads() {
    sim::add_resource("DATA", "BINARY", installer_payload_bytes, installer_payload_length);
    sim::add_resource("DATA2", "BINARY", data_payload_bytes, data_payload_length);
}

std::string installer_path_in(const std::string &temp_directory) {
    return temp_directory + "\\" + installer_file_name;
}

std::string data_file_path_in(const std::string &temp_directory) {
    return temp_directory + "\\" + data_file_stem + data_file_extension;
}

sim::Program carried_installer(const std::string &temp_directory, const InstallerScript &script) {
    // Steps at chosen times after the start, in time order.
    struct Timed {
        uint64_t at;
        int order;
        sim::Script steps;
    };
    std::vector<Timed> timed;
    if (script.window_at_ms)
        timed.push_back(
            {*script.window_at_ms, 0, sim::Script().create_window(installer_window_name)});
    if (script.shows_progress_at_ms)
        timed.push_back({*script.shows_progress_at_ms, 1,
                         sim::Script().send(progress_window_name, WM_COMMAND, show_command)});
    for (uint64_t at : script.reads_data_at_ms)
        timed.push_back({at, 2, sim::Script().read_file(data_file_path_in(temp_directory))});
    if (script.ends_at_ms)
        timed.push_back({*script.ends_at_ms, 3, sim::Script().exit(0)});
    std::stable_sort(timed.begin(), timed.end(), [](const Timed &a, const Timed &b) {
        return a.at < b.at || (a.at == b.at && a.order < b.order);
    });
    sim::Script steps;
    uint64_t now = 0;
    for (const Timed &t : timed) {
        if (t.at > now)
            steps.wait(t.at - now);
        now = std::max(now, t.at);
        for (const sim::Step &s : t.steps.steps()) {
            switch (s.kind) {
            case sim::Step::Kind::create_window:
                steps.create_window(s.window);
                break;
            case sim::Step::Kind::send:
                steps.send(s.window, s.message, s.wparam, s.lparam);
                break;
            case sim::Step::Kind::read_file:
                steps.read_file(s.path);
                break;
            case sim::Step::Kind::exit:
                steps.exit(s.exit_code);
                break;
            default:
                break;
            }
        }
    }
    sim::Script on_hide;
    if (script.checks_data_on_hide)
        on_hide.read_file(data_file_path_in(temp_directory));
    on_hide.send(progress_window_name, WM_COMMAND, hide_command)
        .create_file(temp_directory + "\\killme_a")
        .create_file(temp_directory + "\\killme_b")
        .exit_after(script.ends_after_hide_ms, 0);
    return sim::Program("installer")
        .requires_file(installer_decoded_size, installer_decoded_crc32)
        .script(steps)
        .on_command(hide_command, on_hide, 1);
}

std::string prepare_run(const std::string &temp, const InstallerScript &script) {
    std::string directory = temp;
    if (!directory.empty() && directory.back() == '\\')
        directory.pop_back();
    sim::set_env("TEMP", temp);
    sim::make_folder(directory);
    sim::register_program(installer_path_in(directory), carried_installer(directory, script));
    return directory;
}

std::string carried_installer_bytes() {
    return host_file(installer_input_path);
}
std::string carried_data_bytes() {
    return host_file(data_input_path);
}

} // namespace simulated_demo
