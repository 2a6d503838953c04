#include "explored_installer.h"

#include "bootstrap/handoff.h"
#include "desktop_programs.h"

#include <algorithm>
#include <vector>

namespace explore {

using scenario::installer_window_name;
using scenario::progress_window_name;

sim::Program explored_installer(const RunPaths &paths, const InstallerPlan &plan,
                                const std::string &carried_installer) {
    struct Timed {
        uint64_t at;
        sim::Step::Kind kind;
    };
    std::vector<Timed> timed;
    if (plan.window_at_ms)
        timed.push_back({*plan.window_at_ms, sim::Step::Kind::create_window});
    if (plan.shows_progress_at_ms)
        timed.push_back({*plan.shows_progress_at_ms, sim::Step::Kind::send});
    std::stable_sort(timed.begin(), timed.end(),
                     [](const Timed &a, const Timed &b) { return a.at < b.at; });
    sim::Script script;
    script.exit_after(plan.ends_at_ms, 0);
    uint64_t now = 0;
    for (const Timed &t : timed) {
        if (t.at > now)
            script.wait(t.at - now);
        now = t.at;
        if (t.kind == sim::Step::Kind::create_window)
            script.create_window(installer_window_name);
        else
            script.send(progress_window_name, WM_COMMAND, show_command);
    }
    sim::Program installer("installer");
    installer.requires_file([carried_installer](const std::string &bytes) {
        const bool whole = bytes == carried_installer;
        run_record().installer_starts_whole.push_back(whole);
        return whole;
    });
    installer.script(script);
    if (plan.start_error)
        installer.fails_to_start(*plan.start_error);
    if (plan.reacts_to_hide) {
        sim::Script reaction;
        if (plan.reads_data_on_hide)
            reaction.read_file(paths.data);
        if (plan.hides_progress_on_hide)
            reaction.send(progress_window_name, WM_COMMAND, hide_command);
        if (plan.makes_markers_on_hide)
            reaction.create_file(paths.marker_a).create_file(paths.marker_b);
        reaction.exit_after(plan.ends_after_hide_ms, 0);
        installer.on_command(hide_command, reaction, 1);
    }
    return installer;
}

} // namespace explore
