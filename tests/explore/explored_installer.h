// The installer as a schedule has it behave: when its window appears, whether
// it shows the progress window, when it ends, what it does on the hide
// command. It starts only from a file that holds exactly the carried
// installer, and records every such check in the run record.
#pragma once

#include "explored_world.h"
#include "platform/host/sim.h"
#include "run_schedule.h"

#include <string>

namespace explore {

sim::Program explored_installer(const RunPaths &paths, const InstallerPlan &plan,
                                const std::string &carried_installer);

} // namespace explore
