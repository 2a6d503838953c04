// Helpers for scenario tests, which run the launcher's WinMain in the
// simulated desktop.
#pragma once

#include "platform/host/sim.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenario {

// Compares two call lists and, when they differ, shows both side by side
// from the first difference on.
testing::AssertionResult same_calls(const std::vector<std::string>& expected,
                                    const std::vector<std::string>& actual);

// The calls made directly by WinMain (depth 1), and messages its window got.
std::vector<std::string> top_level_calls();

// Asserts that the simulated desktop saw nothing it could not handle.
void expect_no_faults();

} // namespace scenario
