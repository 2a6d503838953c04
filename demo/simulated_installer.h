// The demo installer's part in the simulated desktop: a scripted program
// that plays the installer's side of the hand-off as the real demo installer
// does, and the world of a whole launcher run around it (a temp folder, the
// installer registered for the file the launcher writes there).
#pragma once

#include "platform/host/sim.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simulated_demo {

// Where the launcher writes in a temp directory (given without a trailing
// backslash).
std::string installer_path_in(const std::string &temp_directory);
std::string data_file_path_in(const std::string &temp_directory);

// What the scripted installer does; times count from its start.
struct InstallerScript {
    std::optional<uint64_t> window_at_ms = 100;   // its window appears; nullopt: never
    std::optional<uint64_t> shows_progress_at_ms; // sends the show command
    std::vector<uint64_t> reads_data_at_ms;       // looks at the data file
    std::optional<uint64_t> ends_at_ms;           // ends on its own
    uint64_t ends_after_hide_ms = 2000;
    bool checks_data_on_hide = true; // reads the data file when told
};

// The installer the launcher carries: it starts only from a file holding
// exactly the carried installer's bytes. On the hide command it reads the
// data file, hides the progress window, creates the two marker files and
// ends a while later with exit code 0.
sim::Program carried_installer(const std::string &temp_directory,
                               const InstallerScript &script = {});

// TEMP set to `temp` (a trailing backslash is kept in the variable), the
// folder made, and the carried installer registered for its path there.
// Returns the temp directory as the launcher will use it.
std::string prepare_run(const std::string &temp = "C:\\WINDOWS\\TEMP",
                        const InstallerScript &script = {});

// The files the payloads were made from.
std::string carried_installer_bytes();
std::string carried_data_bytes();

} // namespace simulated_demo
