// The payload reader: one cursor over the payload being decoded, handed out
// in blocks through a staging buffer. Every request of the decoder counts
// for the progress meter, also one that finds the payload used up.
#pragma once

#include "platform/platform.h"

#include <cstdint>

// The module whose resources hold the payloads: the launcher itself.
extern HINSTANCE instance_handle;

struct payload_cursor {
    const uint8_t *base; // the payload's first byte, read in place
    uint32_t length;     // from the build's figures, not from the resource
    uint32_t consumed;   // bytes handed out so far; never above length
};
extern payload_cursor current_payload;

// Bytes the latest read delivered: the request cut at the payload's end.
extern uint32_t last_read_count;

// Every read lands here first; what it holds stays until the next read.
inline constexpr uint32_t staging_buffer_size = 30000;
extern uint8_t staging_buffer[staging_buffer_size];

void reset_payload_cursor();

// Points the cursor at the resource `name` of type "BINARY" with the given
// length. Returns the loaded resource, to be freed once its file is closed.
HGLOBAL locate_payload(const char *name, uint32_t length);

// Copies the next `count` bytes, or what is left of them, to the staging
// buffer and returns it; last_read_count says how many came.
uint8_t *read_payload_block(uint32_t count);

// The decoder's read callback.
uint32_t on_decoder_read(uint8_t *buffer, uint32_t *size, void *param);
