// For a person debugging a scenario: with KELVARA_TRACE set, the run's whole
// call log goes to the standard error stream when the test ends.
#pragma once

namespace scenario {

void report_run_if_asked();

} // namespace scenario
