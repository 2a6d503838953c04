// The conformance program: runs every scenario, checks what it observed
// against the scenario's table and prints a report. Built for the simulated
// desktop and for Windows; the same tables hold for both.
//
//   conformance [WORK_FOLDER [SMALL_DRIVE_ROOT]]
//
// On Windows the work folder (no blanks in its path) is where the scenarios
// put their files and programs, and the small drive (a few MiB free, e.g.
// T:\) serves the disk scenarios, which are skipped without it.
// Exit code: 0 when every scenario matched, 1 otherwise.
#include "observations.h"
#include "peer_world.h"

#include <cstdio>

int main(int argc, char **argv) {
    int peer_exit_code = 0;
    if (conformance::run_as_peer(argc, argv, peer_exit_code))
        return peer_exit_code;
    conformance::prepare_world(argc, argv);

    std::vector<conformance::Scenario> all;
    for (auto part : {conformance::message_scenarios, conformance::delivery_scenarios,
                      conformance::file_scenarios, conformance::process_scenarios,
                      conformance::resource_scenarios})
        for (conformance::Scenario &s : part())
            all.push_back(std::move(s));

    int passed = 0, failed = 0, skipped = 0;
    const bool wine = conformance::under_wine();
    for (const conformance::Scenario &s : all) {
        const bool needs_small_drive =
            std::string(s.name) == "free_space" || std::string(s.name) == "full_disk";
        if (needs_small_drive && conformance::small_drive().empty()) {
            std::printf("SKIPPED %s: no small drive given\n", s.name);
            ++skipped;
            continue;
        }
        std::vector<std::string> observed;
        s.run(observed);
        std::string report;
        const bool ok = conformance::matches(s.table, observed, wine, report);
        std::printf("%s %s: %s\n", ok ? "PASS" : "FAIL", s.name, s.claim);
        if (!ok)
            std::printf("%s", report.c_str());
        for (const conformance::Row &row : s.table)
            if (*row.note)
                std::printf("    note on \"%s\": %s%s\n", row.line.c_str(), row.note,
                            row.wine_line.empty()
                                ? ""
                                : (" (under Wine: \"" + row.wine_line + "\")").c_str());
        ++(ok ? passed : failed);
    }
    std::printf("%s: %d passed, %d failed, %d skipped\n", wine ? "under Wine" : "simulated desktop",
                passed, failed, skipped);
    return failed == 0 ? 0 : 1;
}
