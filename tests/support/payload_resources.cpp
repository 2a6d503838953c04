#include "payload_resources.h"

#include "embedded_payloads.h"
#include "payload/payload_figures.h"
#include "platform/host/sim.h"

namespace scenario {

void register_payloads(const unsigned char* installer_payload, size_t installer_size,
                       const unsigned char* data_payload, size_t data_size) {
    sim::add_resource("DATA", "BINARY", installer_payload, installer_size);
    sim::add_resource("DATA2", "BINARY", data_payload, data_size);
}

void register_carried_payloads() {
    register_payloads(installer_payload_bytes, installer_payload_length, data_payload_bytes,
                      data_payload_length);
}

} // namespace scenario
