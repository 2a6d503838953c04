#include "run_schedule.h"

#include "awkward_temp_values.h"
#include "bootstrap/handoff.h"
#include "payload/payload_figures.h"
#include "random_source.h"

#include <algorithm>
#include <sstream>

namespace explore {

namespace {

constexpr uint64_t decoded_bytes = uint64_t{installer_decoded_size} + data_decoded_size;

// Virtual time the two files take to write at the drawn speed.
uint64_t extraction_span_ms(uint64_t bytes_per_ms) {
    return bytes_per_ms == 0 ? 0 : decoded_bytes / bytes_per_ms;
}

// A moment of the run: often while the files are written, otherwise during
// the search for the installer's window or the wait for its end.
uint64_t random_moment(RandomSource &rng, uint64_t extraction_ms) {
    switch (rng.below(5)) {
    case 0:
    case 1:
        return rng.between(0, extraction_ms + 200);
    case 2:
    case 3:
        return rng.between(0, 20000);
    default:
        return rng.between(0, 90000);
    }
}

PayloadDamage draw_damage(RandomSource &rng, uint32_t length) {
    PayloadDamage damage;
    switch (rng.below(14)) {
    case 0:
        damage.kind = PayloadDamage::Kind::flipped_byte;
        damage.position = static_cast<uint32_t>(rng.below(length));
        damage.mask = static_cast<uint8_t>(rng.between(1, 255));
        break;
    case 1:
        damage.kind = PayloadDamage::Kind::cut;
        damage.length = static_cast<uint32_t>(rng.below(length));
        break;
    default:
        break;
    }
    return damage;
}

FreeSpace draw_free_space(RandomSource &rng) {
    FreeSpace space;
    space.cluster_bytes = rng.pick<DWORD>({1, 512, 4096});
    switch (rng.below(40)) {
    case 0:
    case 1:
    case 2:
    case 3:
        space.kind = FreeSpace::Kind::near_threshold;
        // A few clusters either side, the threshold itself among them.
        space.bytes = free_space_threshold + space.cluster_bytes * rng.between(0, 6) -
                      space.cluster_bytes * 3;
        break;
    case 4:
    case 5:
    case 6:
    case 7:
        space.kind = FreeSpace::Kind::short_of_the_files;
        space.bytes = rng.between(free_space_threshold, decoded_bytes + 64 * 1024);
        break;
    case 8:
        space.kind = FreeSpace::Kind::below_threshold;
        space.bytes = rng.below(free_space_threshold);
        break;
    default:
        break;
    }
    return space;
}

FileFault draw_file_fault(RandomSource &rng, uint64_t extraction_ms) {
    FileFault fault;
    fault.file = rng.pick({FileRole::installer, FileRole::installer, FileRole::data, FileRole::data,
                           FileRole::marker_a, FileRole::marker_b});
    switch (fault.file) {
    case FileRole::installer:
        fault.kind = rng.pick({FileFault::Kind::refuse_open, FileFault::Kind::refuse_delete,
                               FileFault::Kind::refuse_move, FileFault::Kind::disk_full_after});
        break;
    case FileRole::data:
        fault.kind = rng.pick({FileFault::Kind::refuse_open, FileFault::Kind::refuse_delete,
                               FileFault::Kind::disk_full_after});
        break;
    default:
        fault.kind = FileFault::Kind::refuse_delete;
        break;
    }
    fault.error = rng.pick<DWORD>({ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED});
    fault.times = rng.pick({1, 2, 3, 4, -1, -1});
    const uint32_t size =
        fault.file == FileRole::installer ? installer_decoded_size : data_decoded_size;
    fault.bytes = rng.chance(1, 8) ? size - rng.below(2) : rng.below(size);
    fault.at_ms = rng.chance(3, 5) ? 0 : rng.between(1, extraction_ms + 1000);
    return fault;
}

InstallerPlan draw_installer(RandomSource &rng) {
    InstallerPlan plan;
    if (rng.chance(1, 14))
        plan.start_error = rng.pick<DWORD>({ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT});
    switch (rng.below(10)) {
    case 0:
    case 1:
        plan.window_at_ms = std::nullopt;
        break;
    case 2:
    case 3:
    case 4:
    case 5:
        plan.window_at_ms = rng.between(0, 1000);
        break;
    case 6:
    case 7:
    case 8:
        plan.window_at_ms = rng.between(1000, 20000);
        break;
    default:
        plan.window_at_ms = rng.between(15000, 40000);
        break;
    }
    if (rng.chance(3, 10))
        plan.shows_progress_at_ms = rng.between(0, 5000);
    switch (rng.below(20)) {
    case 0:
    case 1:
    case 2:
        plan.ends_at_ms = rng.between(0, 2000);
        break; // ends early
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
        plan.ends_at_ms = rng.between(5000, 60000);
        break;
    default:
        plan.ends_at_ms = rng.between(60000, 180000);
        break;
    }
    plan.reacts_to_hide = !rng.chance(1, 7);
    // Reading the whole data file is the costliest step of a run: drawn in
    // some runs, where it watches the file directly.
    plan.reads_data_on_hide = rng.chance(1, 6);
    plan.hides_progress_on_hide = rng.chance(7, 10);
    plan.makes_markers_on_hide = rng.chance(7, 10);
    plan.ends_after_hide_ms = rng.between(0, 5000);
    return plan;
}

std::string command_text(WPARAM command) {
    if (command == hide_command)
        return "hide";
    if (command == show_command)
        return "show";
    return std::to_string(static_cast<unsigned long long>(command));
}

std::string damage_text(const PayloadDamage &d) {
    switch (d.kind) {
    case PayloadDamage::Kind::flipped_byte:
        return "byte " + std::to_string(d.position) + " xor " + std::to_string(d.mask);
    case PayloadDamage::Kind::cut:
        return "cut to " + std::to_string(d.length) + " bytes";
    default:
        return "whole";
    }
}

std::string optional_ms(const std::optional<uint64_t> &ms) {
    return ms ? std::to_string(*ms) + " ms" : "never";
}

} // namespace

std::string role_name(FileRole role) {
    switch (role) {
    case FileRole::installer:
        return "installer file";
    case FileRole::data:
        return "data file";
    case FileRole::marker_a:
        return "killme_a";
    default:
        return "killme_b";
    }
}

Schedule draw_schedule(uint64_t seed) {
    RandomSource rng(seed);
    Schedule s;
    s.seed = seed;
    const auto &temps = awkward_temp_values();
    s.temp_value = rng.chance(3, 5) ? 0 : static_cast<size_t>(rng.below(temps.size()));
    s.temp_folder_made = temps[s.temp_value].folder_can_exist && !rng.chance(1, 12);
    s.command_line = rng.pick<std::string>({"launcher.exe", "launcher.exe", "launcher.exe x",
                                            "launcher.exe X", "launcher.exe xyz", "launcher.exe -x",
                                            "\"C:\\Users\\Public\\Downloads\\my setup.exe\"  x"});
    s.write_bytes_per_ms = rng.chance(1, 2) ? 0 : rng.pick<uint64_t>({500, 2000, 20000, 200000});
    const uint64_t extraction_ms = extraction_span_ms(s.write_bytes_per_ms);
    // Mostly read at once; now and then left open for minutes.
    s.message_box_ms =
        rng.pick<uint64_t>({0, 1000, 1000, rng.between(1, 10000), rng.between(10000, 120000)});
    s.free_space = draw_free_space(rng);

    if (rng.chance(3, 10))
        s.leftovers.old_installer =
            rng.pick({Leftovers::OldInstaller::idle, Leftovers::OldInstaller::running});
    if (rng.chance(1, 5))
        s.leftovers.aside_names = static_cast<unsigned>(rng.between(1, 7));
    if (rng.chance(1, 5))
        s.leftovers.old_data =
            rng.chance(1, 4) ? Leftovers::OldData::longer_than_new : Leftovers::OldData::short_file;
    s.leftovers.markers = rng.chance(1, 5);
    if (rng.chance(1, 25)) {
        const auto folder =
            rng.pick({Leftovers::FolderInPlace::of_installer, Leftovers::FolderInPlace::of_data});
        if (folder == Leftovers::FolderInPlace::of_installer &&
            s.leftovers.old_installer == Leftovers::OldInstaller::none)
            s.leftovers.folder_in_place = folder;
        if (folder == Leftovers::FolderInPlace::of_data &&
            s.leftovers.old_data == Leftovers::OldData::none)
            s.leftovers.folder_in_place = folder;
    }

    s.installer_payload = draw_damage(rng, installer_payload_length);
    s.data_payload = draw_damage(rng, data_payload_length);
    if (rng.chance(1, 2)) {
        const uint64_t count = rng.between(1, 3);
        for (uint64_t i = 0; i < count; ++i)
            s.file_faults.push_back(draw_file_fault(rng, extraction_ms));
    }
    if (rng.chance(1, 12))
        s.drive_fills = DriveFill{random_moment(rng, extraction_ms), rng.below(4 * 1024 * 1024)};
    s.installer = draw_installer(rng);
    if (rng.chance(1, 2)) {
        const uint64_t count = rng.between(1, 4);
        for (uint64_t i = 0; i < count; ++i)
            s.commands_to_progress_window.push_back(
                {random_moment(rng, extraction_ms),
                 rng.pick<WPARAM>({show_command, show_command, show_command, hide_command,
                                   hide_command, show_command + 0x10000, hide_command + 0x10000,
                                   1})});
        std::sort(s.commands_to_progress_window.begin(), s.commands_to_progress_window.end(),
                  [](const TimedCommand &a, const TimedCommand &b) { return a.at_ms < b.at_ms; });
    }
    if (rng.chance(1, 4))
        s.second_launcher_at_ms = random_moment(rng, extraction_ms);
    if (rng.chance(1, 20)) {
        s.first_launcher_running = true;
        s.first_installer_running = rng.chance(1, 2);
        // The earlier launcher's installer runs from the installer file, so
        // no folder can stand in its place.
        if (s.first_installer_running &&
            s.leftovers.folder_in_place == Leftovers::FolderInPlace::of_installer)
            s.leftovers.folder_in_place = Leftovers::FolderInPlace::none;
    }
    if (rng.chance(1, 30))
        s.refused_windows_call =
            rng.pick<std::string>({"RegisterClassA", "CreateWindowExA", "GetMessageA"});
    return s;
}

Schedule plain_schedule() {
    Schedule s;
    s.command_line = "launcher.exe";
    s.installer.window_at_ms = 100;
    s.installer.ends_at_ms = 60000;
    s.installer.ends_after_hide_ms = 2000;
    return s;
}

std::string describe(const Schedule &s) {
    std::ostringstream out;
    const TempValue &temp = awkward_temp_values()[s.temp_value];
    out << "  temp: " << temp.intent << " ("
        << (temp.value ? "TEMP=\"" + *temp.value + "\"" : std::string("unset")) << "), folder "
        << (s.temp_folder_made ? "made" : "not made") << "\n";
    out << "  command line: " << s.command_line << "\n";
    static const char *space_kinds[] = {"plenty", "near the threshold", "short of the files",
                                        "below the threshold"};
    out << "  free space: " << space_kinds[static_cast<int>(s.free_space.kind)];
    if (s.free_space.kind != FreeSpace::Kind::plenty)
        out << ", " << s.free_space.bytes << " bytes in clusters of " << s.free_space.cluster_bytes;
    out << "\n";
    out << "  writes: "
        << (s.write_bytes_per_ms ? std::to_string(s.write_bytes_per_ms) + " bytes/ms"
                                 : std::string("take no time"))
        << "; message boxes stay " << s.message_box_ms << " ms\n";
    static const char *old_installers[] = {"none", "idle", "still running"};
    static const char *old_data[] = {"none", "short", "longer than the new one"};
    out << "  left from before: installer file "
        << old_installers[static_cast<int>(s.leftovers.old_installer)] << ", aside names "
        << s.leftovers.aside_names << " (bits), data file "
        << old_data[static_cast<int>(s.leftovers.old_data)] << ", markers "
        << (s.leftovers.markers ? "yes" : "no") << "\n";
    if (s.leftovers.folder_in_place != Leftovers::FolderInPlace::none)
        out << "  a folder in place of the "
            << (s.leftovers.folder_in_place == Leftovers::FolderInPlace::of_installer
                    ? "installer file\n"
                    : "data file\n");
    if (s.drive_fills)
        out << "  the drive fills at " << s.drive_fills->at_ms << " ms, "
            << s.drive_fills->bytes_left << " bytes left\n";
    out << "  payloads: DATA " << damage_text(s.installer_payload) << ", DATA2 "
        << damage_text(s.data_payload) << "\n";
    static const char *fault_kinds[] = {"open refused", "delete refused", "move refused",
                                        "disk full after"};
    for (const FileFault &f : s.file_faults) {
        out << "  fault: " << role_name(f.file) << " " << fault_kinds[static_cast<int>(f.kind)];
        if (f.kind == FileFault::Kind::disk_full_after)
            out << " " << f.bytes << " bytes";
        else
            out << " (error " << f.error << ", "
                << (f.times < 0 ? std::string("always") : std::to_string(f.times) + " times")
                << ")";
        out << (f.at_ms ? " from " + std::to_string(f.at_ms) + " ms"
                        : std::string(" from the start"))
            << "\n";
    }
    const InstallerPlan &i = s.installer;
    out << "  installer: "
        << (i.start_error ? "fails to start (error " + std::to_string(*i.start_error) + ")"
                          : std::string("starts"))
        << ", window " << optional_ms(i.window_at_ms) << ", shows the progress window "
        << optional_ms(i.shows_progress_at_ms) << ", ends at " << i.ends_at_ms << " ms\n";
    out << "  installer on the hide command: ";
    if (i.reacts_to_hide)
        out << (i.reads_data_on_hide ? "reads the data file, " : "")
            << (i.hides_progress_on_hide ? "hides the progress window, " : "")
            << (i.makes_markers_on_hide ? "makes the markers, " : "") << "ends after "
            << i.ends_after_hide_ms << " ms\n";
    else
        out << "nothing\n";
    for (const TimedCommand &c : s.commands_to_progress_window)
        out << "  command to the progress window: " << command_text(c.command) << " at " << c.at_ms
            << " ms\n";
    if (s.second_launcher_at_ms)
        out << "  second launcher at " << *s.second_launcher_at_ms << " ms\n";
    if (s.first_launcher_running)
        out << "  another launcher runs already"
            << (s.first_installer_running ? ", with its installer\n" : "\n");
    if (s.refused_windows_call)
        out << "  Windows refuses " << *s.refused_windows_call << "\n";
    return out.str();
}

} // namespace explore
