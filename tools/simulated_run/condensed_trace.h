// The run's call log for a person: the extraction's routine work (blocks
// written, the progress window repainted, its messages looked at with none
// waiting) summarised a line for each stretch of it, everything else call by
// call with its time and nesting.
#pragma once

#include "platform/host/sim.h"

#include <string>
#include <vector>

std::string condensed_trace(const std::vector<sim::Call> &calls);
