#include "explored_run.h"

#include "platform/host/sim.h"
#include "run_invariants.h"
#include "run_outcome.h"
#include "run_schedule.h"

#include <cstdio>
#include <cstdlib>

namespace explore {

namespace {

bool trace_wanted = false;

void print_trace() {
    if (trace_wanted)
        std::fputs(sim::trace().c_str(), stderr);
}

// A run still going at the limit would go on for ever, or near enough: it is
// reported from inside the run, which then ends.
void report_hang() {
    std::printf("violations:\n  - still running after %llu ms of virtual time\n",
                static_cast<unsigned long long>(sim::now_ms()));
    print_trace();
    std::fflush(nullptr);
    std::exit(1);
}

void write_outcome(const std::string &file, const std::string &outcome) {
    if (file.empty())
        return;
    if (FILE *out = std::fopen(file.c_str(), "w")) {
        std::fprintf(out, "%s\n", outcome.c_str());
        std::fclose(out);
    }
}

} // namespace

Schedule schedule_for(const RunRequest &request) {
    if (!request.planted)
        return draw_schedule(request.seed);
    Schedule schedule = plain_schedule();
    request.planted->adjust(schedule);
    return schedule;
}

int explore_one_run(const RunRequest &request, const CarriedFiles &carried) {
    trace_wanted = request.trace;
    const Schedule schedule = schedule_for(request);
    const RunPaths paths = paths_for(schedule);
    arrange_world(schedule, paths, carried);
    if (request.planted)
        request.planted->plant(paths);
    sim::at(virtual_time_limit_ms, report_hang);
    const int exit_code = sim::run_launcher(schedule.command_line.c_str());
    const std::vector<std::string> violations =
        check_invariants(schedule, paths, carried, exit_code);
    write_outcome(request.outcome_file, run_outcome(schedule));
    if (!violations.empty()) {
        std::printf("violations:\n");
        for (const std::string &v : violations)
            std::printf("  - %s\n", v.c_str());
    }
    print_trace();
    std::fflush(nullptr);
    return violations.empty() ? 0 : 1;
}

} // namespace explore
