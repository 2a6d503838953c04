// The file side of an extraction: the decoder's write callback puts each
// decoded block into the output file and keeps count, so that a file that
// did not come out whole is never taken for a good one.
#pragma once

#include <cstdint>

struct extraction_context {
    int output_descriptor;  // -1 when the file could not be opened
    uint32_t bytes_decoded; // bytes the decoder handed over
    uint32_t crc;           // their CRC-32
    int write_failed;       // a write failed or took fewer bytes than given
};

// Starts counting for a file just opened (or not: -1).
void begin_extraction(extraction_context *context, int output_descriptor);

// The decoder's write callback: writes the block, returns what the write
// returned.
int on_decoder_write(uint8_t *buffer, uint32_t *size, void *param);

// Nonzero when the file holds exactly what the payload should decode to:
// the decoder reached the end marker, every write took its block, and the
// size and CRC-32 match the build's figures.
int extraction_complete(const extraction_context *context, int decoder_result,
                        uint32_t expected_size, uint32_t expected_crc);
