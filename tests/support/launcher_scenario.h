// Helpers for scenario tests, which run the launcher's WinMain in the
// simulated desktop.
#pragma once

#include "platform/host/sim.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenario {

// Compares two short call lists exactly and, when they differ, shows both
// side by side from the first difference on.
testing::AssertionResult same_calls(const std::vector<std::string> &expected,
                                    const std::vector<std::string> &actual);

// The log matches the table in order (see sim::check_sequence); on failure
// the message is the side-by-side report.
testing::AssertionResult calls_match(const std::vector<sim::Expected> &table,
                                     const std::vector<sim::Call> &log = sim::calls(),
                                     sim::Between between = sim::Between::any_call);

// The calls made directly by WinMain (depth 1), and messages its window got.
std::vector<sim::Call> top_level_calls();
std::vector<std::string> top_level_call_texts();

// Asserts that the simulated desktop saw nothing it could not handle.
void expect_no_faults();

} // namespace scenario
