// CRC-32 as zip, PNG and zlib compute it (reflected polynomial 0xEDB88320,
// initial and final inversion), updated block by block.
#pragma once

#include <cstdint>

// The CRC of the bytes seen so far followed by `count` more. Start with 0.
uint32_t crc32_update(uint32_t crc, const uint8_t *bytes, uint32_t count);
