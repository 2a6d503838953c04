// One drawn run: the world the launcher starts in and everything that
// happens around it, all of it decided by the seed before the run starts.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace explore {

// Files of the launcher's temp folder that faults are aimed at.
enum class FileRole { installer, data, marker_a, marker_b };

struct FileFault {
    enum class Kind { refuse_open, refuse_delete, refuse_move, disk_full_after };
    Kind kind = Kind::refuse_open;
    FileRole file = FileRole::installer;
    DWORD error = ERROR_SHARING_VIOLATION; // for the refusals
    int times = -1;                        // refusals: how many calls fail; -1 every call
    uint64_t bytes = 0;                    // disk full: bytes that still fit
    uint64_t at_ms = 0;                    // from this virtual time on; 0 before the run
};

struct PayloadDamage {
    enum class Kind { none, flipped_byte, cut };
    Kind kind = Kind::none;
    uint32_t position = 0; // flipped byte
    uint8_t mask = 0;      // its bits that flip
    uint32_t length = 0;   // cut: the bytes that are left
};

// Free space on the temp folder's drive when the launcher starts.
struct FreeSpace {
    enum class Kind { plenty, near_threshold, short_of_the_files, below_threshold };
    Kind kind = Kind::plenty;
    DWORD cluster_bytes = 4096;
    uint64_t bytes = 0; // not for plenty
};

// What an earlier run left in the temp folder.
struct Leftovers {
    enum class OldInstaller { none, idle, running };
    OldInstaller old_installer = OldInstaller::none;
    unsigned aside_names = 0; // bit n: the name with n + 1 underscores exists
    enum class OldData { none, short_file, longer_than_new };
    OldData old_data = OldData::none;
    bool markers = false;
    // A folder where the launcher writes a file.
    enum class FolderInPlace { none, of_installer, of_data };
    FolderInPlace folder_in_place = FolderInPlace::none;
};

// Another program fills the temp folder's drive at a moment of the run.
struct DriveFill {
    uint64_t at_ms = 0;
    uint64_t bytes_left = 0;
};

struct InstallerPlan {
    std::optional<DWORD> start_error;     // the start fails
    std::optional<uint64_t> window_at_ms; // from its start; nullopt: never
    std::optional<uint64_t> shows_progress_at_ms;
    uint64_t ends_at_ms = 0; // ends on its own (its user closes it)
    // On the hide command.
    bool reacts_to_hide = true;
    bool reads_data_on_hide = false;
    bool hides_progress_on_hide = true;
    bool makes_markers_on_hide = true;
    uint64_t ends_after_hide_ms = 0;
};

struct TimedCommand {
    uint64_t at_ms = 0;
    WPARAM command = 0;
};

struct Schedule {
    uint64_t seed = 0;
    size_t temp_value = 0; // index into awkward_temp_values()
    bool temp_folder_made = true;
    std::string command_line;
    FreeSpace free_space;
    Leftovers leftovers;
    PayloadDamage installer_payload;
    PayloadDamage data_payload;
    std::vector<FileFault> file_faults;
    std::optional<DriveFill> drive_fills;
    InstallerPlan installer;
    std::vector<TimedCommand> commands_to_progress_window; // from another program
    std::optional<uint64_t> second_launcher_at_ms;
    bool first_launcher_running = false; // the launcher under test is the second
    bool first_installer_running = false;
    std::optional<std::string> refused_windows_call; // RegisterClassA, CreateWindowExA, GetMessageA
    uint64_t write_bytes_per_ms = 0;                 // 0: writes take no time
    uint64_t message_box_ms = 1000;
};

Schedule draw_schedule(uint64_t seed);

// A run with nothing in its way: the usual temp folder, plenty of space, an
// installer whose window comes at once and that ends two seconds after the
// hide command.
Schedule plain_schedule();

// The schedule as readable lines, one item a line, for a failure report.
std::string describe(const Schedule &schedule);

std::string role_name(FileRole role);

} // namespace explore
