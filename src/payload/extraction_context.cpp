#include "payload/extraction_context.h"

#include "implode/implode_decoder.h"
#include "payload/crc32.h"
#include "platform/platform.h"

void begin_extraction(extraction_context *context, int output_descriptor) {
    context->output_descriptor = output_descriptor;
    context->bytes_decoded = 0;
    context->crc = 0;
    context->write_failed = output_descriptor == -1;
}

int on_decoder_write(uint8_t *buffer, uint32_t *size, void *param) {
    extraction_context *context = static_cast<extraction_context *>(param);
    uint32_t count = *size;
    context->bytes_decoded += count;
    context->crc = crc32_update(context->crc, buffer, count);
    int written = _write(context->output_descriptor, buffer, count);
    if (written < 0 || static_cast<uint32_t>(written) != count)
        context->write_failed = 1;
    return written;
}

int extraction_complete(const extraction_context *context, int decoder_result,
                        uint32_t expected_size, uint32_t expected_crc) {
    return decoder_result == implode_ok && !context->write_failed &&
           context->bytes_decoded == expected_size && context->crc == expected_crc;
}
