// Serves the two payloads the build makes as the launcher's resources "DATA"
// and "DATA2" of type "BINARY", as its executable carries them on Windows.
#pragma once

#include <cstddef>

namespace scenario {

void register_payloads(const unsigned char *installer_payload, size_t installer_size,
                       const unsigned char *data_payload, size_t data_size);

} // namespace scenario
