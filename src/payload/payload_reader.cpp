#include "payload/payload_reader.h"

#include "progress/progress_meter.h"

HINSTANCE instance_handle;
payload_cursor current_payload;
uint32_t last_read_count;
uint8_t staging_buffer[staging_buffer_size];

namespace {
constexpr char payload_resource_type[] = "BINARY";
} // namespace

void reset_payload_cursor() {
    current_payload.consumed = 0;
}

HGLOBAL locate_payload(const char *name, uint32_t length) {
    HRSRC found = FindResourceA(instance_handle, name, payload_resource_type);
    HGLOBAL loaded = LoadResource(instance_handle, found);
    current_payload.base = static_cast<const uint8_t *>(LockResource(loaded));
    current_payload.length = length;
    // Never read past the resource: a payload shorter than the build says
    // (or missing) gives no bytes at all, and its file does not come out whole.
    if (found == NULL || SizeofResource(instance_handle, found) < length)
        current_payload.base = NULL;
    return loaded;
}

uint8_t *read_payload_block(uint32_t count) {
    // The request counts whole, before it is cut at the payload's end.
    bytes_requested += static_cast<int32_t>(count);
    uint32_t left = current_payload.length - current_payload.consumed;
    if (count > left)
        count = left;
    // Never more than the staging buffer holds; the decoder asks for 2048.
    if (count > staging_buffer_size)
        count = staging_buffer_size;
    // A payload that could not be found has no bytes to give.
    if (current_payload.base == NULL)
        count = 0;
    last_read_count = count;
    if (count != 0)
        memcpy(staging_buffer, current_payload.base + current_payload.consumed, count);
    current_payload.consumed += count;
    refresh_progress();
    return staging_buffer;
}

uint32_t on_decoder_read(uint8_t *buffer, uint32_t *size, void *) {
    uint32_t requested = *size;
    if (requested > staging_buffer_size)
        requested = staging_buffer_size;
    uint8_t *block = read_payload_block(requested);
    // The whole requested count is copied: past a short read the bytes are
    // leftovers of earlier reads, which the decoder does not use.
    memcpy(buffer, block, requested);
    return last_read_count;
}
