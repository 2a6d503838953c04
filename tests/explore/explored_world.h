// The simulated desktop set up as a schedule says: TEMP, drives and free
// space, files left by an earlier run, damaged payloads, file faults (some
// injected while the launcher runs), the installer and the other programs.
#pragma once

#include "run_schedule.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace explore {

// The files the launcher works with, named as it names them.
struct RunPaths {
    std::string temp_directory;
    std::string installer;
    std::array<std::string, 3> asides; // one, two and three underscores
    std::string data;
    std::string marker_a;
    std::string marker_b;
};

RunPaths paths_for(const Schedule &schedule);
std::string path_of(const RunPaths &paths, FileRole role);

// The files the payloads were made from: what the launcher must write.
struct CarriedFiles {
    std::string installer;
    std::string data;
};

// What the explorer knows of a run beyond the desktop's own records.
struct RunRecord {
    // One entry for every start of the installer: whether its file held
    // exactly the carried installer at that moment.
    std::vector<bool> installer_starts_whole;
    std::optional<std::string> data_before; // the data file when the launcher started
    std::array<std::optional<std::string>, 3> asides_before;
};

RunRecord &run_record();

// Sets up the desktop for one run; call once, before sim::run_launcher.
void arrange_world(const Schedule &schedule, const RunPaths &paths, const CarriedFiles &carried);

} // namespace explore
