#include "payload/crc32.h"

namespace {

// Eight bytes a step ("slicing by 8"): table k gives the CRC register after
// shifting a byte followed by k zero bytes through it. Built once in static
// storage on first use, which costs the executable nothing.
uint32_t tables[8][256];
bool tables_built;

void build_tables() {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (int k = 1; k < 8; ++k)
            tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
    tables_built = true;
}

// Four bytes as a little-endian number, whatever the machine's order.
uint32_t little_endian(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

} // namespace

uint32_t crc32_update(uint32_t crc, const uint8_t* bytes, uint32_t count) {
    if (!tables_built)
        build_tables();
    crc = ~crc;
    for (; count >= 8; count -= 8, bytes += 8) {
        const uint32_t low = little_endian(bytes) ^ crc;
        const uint32_t high = little_endian(bytes + 4);
        crc = tables[7][low & 0xFF] ^ tables[6][(low >> 8) & 0xFF] ^ tables[5][(low >> 16) & 0xFF] ^
              tables[4][low >> 24] ^ tables[3][high & 0xFF] ^ tables[2][(high >> 8) & 0xFF] ^
              tables[1][(high >> 16) & 0xFF] ^ tables[0][high >> 24];
    }
    for (; count > 0; --count, ++bytes)
        crc = tables[0][(crc ^ *bytes) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
