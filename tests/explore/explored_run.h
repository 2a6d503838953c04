// One explored launcher run, in the calling process: the schedule drawn from
// the seed (or a plain one with a planted fault), the desktop arranged,
// WinMain run once, the invariants checked. The launcher keeps its state in
// static storage, so the process must be a fresh one (a forked child) and
// must end after the run.
#pragma once

#include "explored_world.h"
#include "planted_faults.h"

#include <cstdint>
#include <string>

namespace explore {

struct RunRequest {
    uint64_t seed = 0;
    const PlantedFault *planted = nullptr; // instead of a drawn schedule
    bool trace = false;                    // the whole call log to standard error
    std::string outcome_file;              // where the run's way goes, if anywhere
};

// The schedule a request runs.
Schedule schedule_for(const RunRequest &request);

// Prints every violation to standard output and returns 0 when there was
// none, 1 otherwise.
int explore_one_run(const RunRequest &request, const CarriedFiles &carried);

} // namespace explore
