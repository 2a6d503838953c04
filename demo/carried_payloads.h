// Serves the payloads this build carries as the launcher's resources "DATA"
// and "DATA2" of type "BINARY" in the simulated desktop, as the executable
// carries them on Windows. (No platform header here: a test's main includes
// it beside the C library's own.)
#pragma once

namespace simulated_demo {

void register_carried_payloads();

} // namespace simulated_demo
