// Faults planted on purpose into a plain run, each of which the invariants
// must report: proof that the checks see what they are meant to see, from
// the drawing of a run to the failure report.
#pragma once

#include "explored_world.h"
#include "run_schedule.h"

#include <string>
#include <vector>

namespace explore {

struct PlantedFault {
    std::string name;
    // A piece of the violation that must be reported.
    std::string expected_violation;
    void (*adjust)(Schedule &schedule);
    void (*plant)(const RunPaths &paths); // after the world is arranged
};

const std::vector<PlantedFault> &planted_faults();

} // namespace explore
