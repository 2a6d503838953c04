#include "explored_world.h"

#include "awkward_temp_values.h"
#include "bootstrap/handoff.h"
#include "desktop_programs.h"
#include "embedded_payloads.h"
#include "explored_installer.h"
#include "payload/payload_figures.h"
#include "payload_resources.h"
#include "platform/host/sim.h"
#include "simulated_installer.h"

#include <algorithm>

namespace explore {

namespace {

using scenario::installer_window_name;
using scenario::progress_window_name;

constexpr char programs_folder[] = "C:\\Program Files\\Kelvara\\";

// Data files of an earlier run: a short one, and the tail of one longer than
// what the launcher writes now.
const std::string old_short_data = "data of an earlier run";
const std::string old_data_tail(5000, 'x');

// Resources must stay in place for the whole run, like a mapped executable's.
std::string damaged_installer_payload;
std::string damaged_data_payload;

const unsigned char *payload_bytes(const PayloadDamage &damage, const unsigned char *bytes,
                                   uint32_t length, std::string &copy, size_t &size) {
    size = length;
    switch (damage.kind) {
    case PayloadDamage::Kind::none:
        return bytes;
    case PayloadDamage::Kind::cut:
        size = damage.length;
        return bytes;
    case PayloadDamage::Kind::flipped_byte:
        copy.assign(reinterpret_cast<const char *>(bytes), length);
        copy[damage.position] = static_cast<char>(copy[damage.position] ^ damage.mask);
        return reinterpret_cast<const unsigned char *>(copy.data());
    }
    return bytes;
}

void register_drawn_payloads(const Schedule &s) {
    size_t installer_size = 0;
    size_t data_size = 0;
    const unsigned char *installer =
        payload_bytes(s.installer_payload, installer_payload_bytes, installer_payload_length,
                      damaged_installer_payload, installer_size);
    const unsigned char *data = payload_bytes(s.data_payload, data_payload_bytes,
                                              data_payload_length, damaged_data_payload, data_size);
    scenario::register_payloads(installer, installer_size, data, data_size);
}

void leave_files_of_an_earlier_run(const Schedule &s, const RunPaths &paths,
                                   const CarriedFiles &carried) {
    const Leftovers &l = s.leftovers;
    if (l.old_installer != Leftovers::OldInstaller::none)
        sim::put_file(paths.installer, std::string("MZ installer of an earlier run"));
    if (l.old_installer == Leftovers::OldInstaller::running)
        sim::start_program(sim::Program("earlier installer"), paths.installer,
                           paths.installer + " i");
    for (size_t i = 0; i < paths.asides.size(); ++i)
        if (l.aside_names & (1u << i))
            sim::put_file(paths.asides[i], "MZ moved aside " + std::to_string(i + 1));
    if (l.old_data == Leftovers::OldData::short_file)
        sim::put_file(paths.data, old_short_data);
    else if (l.old_data == Leftovers::OldData::longer_than_new)
        sim::put_file(paths.data, carried.data + old_data_tail);
    if (l.folder_in_place == Leftovers::FolderInPlace::of_installer)
        sim::make_folder(paths.installer);
    if (l.folder_in_place == Leftovers::FolderInPlace::of_data)
        sim::make_folder(paths.data);
    if (l.markers) {
        sim::put_file(paths.marker_a, std::string());
        sim::put_file(paths.marker_b, std::string());
    }
}

void inject(const FileFault &f, const std::string &path) {
    switch (f.kind) {
    case FileFault::Kind::refuse_open:
        sim::refuse_open(path, f.error, f.times);
        break;
    case FileFault::Kind::refuse_delete:
        sim::refuse_delete(path, f.error, f.times);
        break;
    case FileFault::Kind::refuse_move:
        sim::refuse_move(path, f.error, f.times);
        break;
    case FileFault::Kind::disk_full_after:
        sim::fill_disk_after(path, f.bytes);
        break;
    }
}

// Another program sends these commands to the progress window, each at its
// time (or once the one before was answered, if that took longer).
void start_command_sender(const std::vector<TimedCommand> &commands) {
    const std::string image = std::string(programs_folder) + "sender.exe";
    scenario::place_program_file(image);
    sim::Script script;
    uint64_t now = commands.front().at_ms;
    for (const TimedCommand &c : commands) {
        if (c.at_ms > now)
            script.wait(c.at_ms - now);
        now = c.at_ms;
        script.send(progress_window_name, WM_COMMAND, c.command);
    }
    sim::start_program_at(commands.front().at_ms, sim::Program("sender").script(script), image,
                          image);
}

// What a second launcher does when it finds the first one's window: brings
// the installer's window up and ends.
void start_second_launcher(uint64_t at_ms) {
    const std::string image = "C:\\Users\\Public\\Downloads\\launcher (2).exe";
    scenario::place_program_file(image);
    sim::start_program_at(at_ms,
                          sim::Program("second launcher")
                              .script(sim::Script()
                                          .find_window(progress_window_name)
                                          .show_window(installer_window_name, SW_SHOWMAXIMIZED)
                                          .exit(0)),
                          image, "\"" + image + "\"");
}

void set_free_space(char drive, const FreeSpace &space) {
    if (space.kind == FreeSpace::Kind::plenty)
        return;
    const DWORD sectors_per_cluster = space.cluster_bytes == 4096 ? 8 : 1;
    const DWORD bytes_per_sector = space.cluster_bytes / sectors_per_cluster;
    const DWORD clusters = static_cast<DWORD>(space.bytes / space.cluster_bytes);
    sim::set_drive(drive, sectors_per_cluster, bytes_per_sector, clusters, clusters + 1000000);
}

} // namespace

RunPaths paths_for(const Schedule &schedule) {
    RunPaths p;
    p.temp_directory = temp_directory_for(awkward_temp_values()[schedule.temp_value].value);
    p.installer = simulated_demo::installer_path_in(p.temp_directory);
    p.asides = {p.installer + "_", p.installer + "__", p.installer + "___"};
    p.data = simulated_demo::data_file_path_in(p.temp_directory);
    p.marker_a = p.temp_directory + "\\killme_a";
    p.marker_b = p.temp_directory + "\\killme_b";
    return p;
}

std::string path_of(const RunPaths &paths, FileRole role) {
    switch (role) {
    case FileRole::installer:
        return paths.installer;
    case FileRole::data:
        return paths.data;
    case FileRole::marker_a:
        return paths.marker_a;
    default:
        return paths.marker_b;
    }
}

RunRecord &run_record() {
    static RunRecord record;
    return record;
}

void arrange_world(const Schedule &s, const RunPaths &paths, const CarriedFiles &carried) {
    const TempValue &temp = awkward_temp_values()[s.temp_value];
    if (temp.value)
        sim::set_env("TEMP", *temp.value);
    else
        sim::unset_env("TEMP");
    const char drive = drive_of(paths.temp_directory);
    if (drive == 'D')
        sim::set_drive('D', 8, 512, 5242880, 10485760);

    if (s.temp_folder_made) {
        std::string folder = paths.temp_directory;
        while (!folder.empty() && folder.back() == '\\')
            folder.pop_back();
        sim::make_folder(folder);
        leave_files_of_an_earlier_run(s, paths, carried);
    }
    RunRecord &record = run_record();
    if (s.temp_folder_made) {
        if (s.leftovers.old_data == Leftovers::OldData::short_file)
            record.data_before = old_short_data;
        else if (s.leftovers.old_data == Leftovers::OldData::longer_than_new)
            record.data_before = carried.data + old_data_tail;
        for (size_t i = 0; i < paths.asides.size(); ++i)
            record.asides_before[i] = sim::read_file(paths.asides[i]);
    }

    sim::register_program(paths.installer,
                          explored_installer(paths, s.installer, carried.installer));
    register_drawn_payloads(s);

    for (const FileFault &f : s.file_faults) {
        const std::string path = path_of(paths, f.file);
        if (f.at_ms == 0)
            inject(f, path);
        else
            sim::at(f.at_ms, [f, path] { inject(f, path); });
    }
    if (s.refused_windows_call)
        sim::fail_call(*s.refused_windows_call);
    sim::set_write_speed(s.write_bytes_per_ms);
    sim::set_message_box_time(s.message_box_ms);

    if (!s.commands_to_progress_window.empty())
        start_command_sender(s.commands_to_progress_window);
    if (s.second_launcher_at_ms)
        start_second_launcher(*s.second_launcher_at_ms);
    if (s.first_launcher_running) {
        scenario::start_first_launcher();
        if (s.first_installer_running)
            scenario::start_running_installer();
    }
    // Last: every file placed above has taken its share of the drive already.
    if (drive == 'C' || drive == 'D') {
        set_free_space(drive, s.free_space);
        if (s.drive_fills) {
            const uint64_t left = s.drive_fills->bytes_left;
            sim::at(s.drive_fills->at_ms, [drive, left] {
                sim::set_drive(drive, 1, 1, static_cast<DWORD>(left),
                               static_cast<DWORD>(left + 100000000));
            });
        }
    }
}

} // namespace explore
