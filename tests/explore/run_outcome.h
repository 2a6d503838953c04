// Which way a finished run went, in a few words, so that a campaign can show
// how its runs spread over the launcher's paths.
#pragma once

#include "run_schedule.h"

#include <string>

namespace explore {

std::string run_outcome(const Schedule &schedule);

} // namespace explore
