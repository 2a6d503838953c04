#include "payload/crc32.h"

namespace {

// Entry i is the CRC register after shifting the byte i through it. Built
// once in static storage on first use, which costs the executable nothing.
uint32_t table[256];

void build_table() {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
}

} // namespace

uint32_t crc32_update(uint32_t crc, const uint8_t *bytes, uint32_t count) {
    // Entry 1 is never zero once built.
    if (table[1] == 0)
        build_table();
    crc = ~crc;
    for (uint32_t i = 0; i < count; ++i)
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
