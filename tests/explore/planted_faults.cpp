#include "planted_faults.h"

#include "bootstrap/handoff.h"
#include "desktop_programs.h"
#include "payload/payload_figures.h"
#include "platform/host/sim.h"

namespace explore {

namespace {

void keep_schedule(Schedule &) {}
void plant_nothing(const RunPaths &) {}

// A program of the desktop that starts at a moment and runs a script.
void start_stranger(uint64_t at_ms, const sim::Script &script) {
    const std::string image = "C:\\Program Files\\Stranger\\stranger.exe";
    scenario::place_program_file(image);
    sim::start_program_at(at_ms, sim::Program("stranger").script(script), image, image);
}

} // namespace

const std::vector<PlantedFault> &planted_faults() {
    static const std::vector<PlantedFault> faults = {
        {"the data file is damaged after the hand-off", "not whole and no box said so",
         keep_schedule,
         [](const RunPaths &paths) {
             // The hide command goes out at 1000 ms; the installer ends at 3000.
             const std::string data = paths.data;
             sim::at(1500, [data] { sim::put_file(data, std::string("damaged")); });
         }},
        {"the installer file is swapped just before its start",
         "started from a file that was not the whole installer",
         [](Schedule &s) { s.write_bytes_per_ms = 1; },
         [](const RunPaths &paths) {
             // At one byte a millisecond the last write of the installer file
             // ends at this moment, before the file is closed and started.
             const std::string installer = paths.installer;
             sim::at(installer_decoded_size, [installer] {
                 sim::put_file(installer, std::string("MZ swapped"));
                 sim::set_write_speed(0);
             });
         }},
        {"a stranger's window takes the installer's name",
         "went to a window that is not the installer's",
         [](Schedule &s) {
             s.installer.window_at_ms = std::nullopt;
             s.installer.ends_at_ms = 20000;
         },
         [](const RunPaths &) {
             start_stranger(0, sim::Script().create_window(scenario::installer_window_name));
         }},
        {"the installer never ends", "still running after",
         [](Schedule &s) {
             s.installer.ends_at_ms = 100 * 3600 * 1000;
             s.installer.reacts_to_hide = false;
         },
         plant_nothing},
        // Calls made in the launcher's name, from inside its run.
        {"the progress window is shown without a show command",
         "showed its progress window by itself", keep_schedule,
         [](const RunPaths &) {
             sim::at(2000, [] {
                 ShowWindow(sim::find_window(progress_class_name, progress_window_title), SW_SHOW);
             });
         }},
        {"a message box says something unknown", "none of the known ones", keep_schedule,
         [](const RunPaths &) {
             sim::at(2000, [] { MessageBoxA(nullptr, "Done.", "Kelvara Installer", MB_OK); });
         }},
        {"a program calls ShowWindow on the progress window, which the desktop does not model",
         "recorded a fault", keep_schedule,
         [](const RunPaths &) {
             start_stranger(200,
                            sim::Script().show_window(scenario::progress_window_name, SW_SHOW));
         }},
    };
    return faults;
}

} // namespace explore
