#include "payload/crc32.h"

namespace {

// Entry i is the CRC register after shifting the byte i through it.
struct crc32_table {
    uint32_t entry[256];
};

constexpr crc32_table make_crc32_table() {
    crc32_table table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table.entry[i] = c;
    }
    return table;
}

constexpr crc32_table table = make_crc32_table();
static_assert(table.entry[1] == 0x77073096u && table.entry[255] == 0x2D02EF8Du);

} // namespace

uint32_t crc32_update(uint32_t crc, const uint8_t* bytes, uint32_t count) {
    crc = ~crc;
    for (uint32_t i = 0; i < count; ++i)
        crc = table.entry[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
