#include "run_report.h"

#include "platform/host/sim.h"

#include <cstdio>
#include <cstdlib>

namespace scenario {

void report_run_if_asked() {
    // The C library's own getenv: this is about the test's process, not the
    // launcher's simulated environment.
    if ((std::getenv)("KELVARA_TRACE") != nullptr)
        std::fputs(sim::trace().c_str(), stderr);
}

} // namespace scenario
