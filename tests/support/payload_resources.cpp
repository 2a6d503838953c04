#include "payload_resources.h"

#include "platform/host/sim.h"

namespace scenario {

void register_payloads(const unsigned char *installer_payload, size_t installer_size,
                       const unsigned char *data_payload, size_t data_size) {
    sim::add_resource("DATA", "BINARY", installer_payload, installer_size);
    sim::add_resource("DATA2", "BINARY", data_payload, data_size);
}

} // namespace scenario
