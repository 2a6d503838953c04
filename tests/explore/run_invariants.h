// What must hold after every launcher run, whatever the schedule: checked on
// the outcome (exit code, files, processes, boxes, the call log), not against
// a recorded trace.
#pragma once

#include "explored_world.h"
#include "run_schedule.h"

#include <string>
#include <vector>

namespace explore {

// Past this much virtual time a run counts as hanging. Every drawn installer
// ends within three minutes, so a sound run ends long before.
inline constexpr uint64_t virtual_time_limit_ms = 10 * 60 * 1000;

// The violations of one finished run, each a sentence; empty when all hold.
std::vector<std::string> check_invariants(const Schedule &schedule, const RunPaths &paths,
                                          const CarriedFiles &carried, int exit_code);

} // namespace explore
