// The plain, step-by-step implode decoder for tests.  Built apart from the
// code under test, so that the fuzzers do not instrument it for coverage.
#include "reference_decoder.h"

#include "implode/implode_lookup.h"
#include "implode/implode_tables.h"

#include <cstdint>
#include <cstring>

namespace reference {

using namespace implode;

namespace {

bool consume_bits(implode_work_area *w, std::uint32_t n) {
    if (w->spare_bits >= n) {
        w->bit_buffer >>= n;
        w->spare_bits -= n;
        return true;
    }
    w->bit_buffer >>= w->spare_bits;
    if (w->input_pos == w->input_count) {
        w->input_pos = implode_input_size;
        std::uint32_t count = w->read_cb(w->input_buffer, &w->input_pos, w->param);
        w->input_count = count > implode_input_size ? implode_input_size : count;
        if (w->input_count == 0)
            return false;
        w->input_pos = 0;
    }
    w->bit_buffer |= static_cast<std::uint32_t>(w->input_buffer[w->input_pos]) << 8;
    ++w->input_pos;
    w->bit_buffer >>= n - w->spare_bits;
    w->spare_bits = w->spare_bits + 8 - n;
    return true;
}

std::uint32_t decode_symbol(implode_work_area *w) {
    constexpr std::uint32_t error = 774;
    if (w->bit_buffer & 1) {
        if (!consume_bits(w, 1))
            return error;
        const std::uint32_t s = w->length_lookup[w->bit_buffer & 0xFF];
        if (!consume_bits(w, w->length_bits[s]))
            return error;
        const std::uint32_t e = w->length_extra[s];
        if (e == 0)
            return s + 256;
        const std::uint32_t x = w->bit_buffer & ((1u << e) - 1);
        if (!consume_bits(w, e) && s + x != 270)
            return error;
        return w->length_base[s] + x + 256;
    }
    if (!consume_bits(w, 1))
        return error;
    if (w->literal_mode == 0) {
        const std::uint32_t v = w->bit_buffer & 0xFF;
        return consume_bits(w, 8) ? v : error;
    }
    const std::uint32_t b = w->bit_buffer & 0xFF;
    std::uint32_t v;
    if (b != 0) {
        v = w->ascii_lookup_low8[b];
        if (v == 255) {
            if (b & 0x3F) {
                if (!consume_bits(w, 4))
                    return error;
                v = w->ascii_lookup_skip4[w->bit_buffer & 0xFF];
            } else {
                if (!consume_bits(w, 6))
                    return error;
                v = w->ascii_lookup_skip6[w->bit_buffer & 0x7F];
            }
        }
    } else {
        if (!consume_bits(w, 8))
            return error;
        v = w->ascii_lookup_skip8[w->bit_buffer & 0xFF];
    }
    return consume_bits(w, w->ascii_bits[v]) ? v : error;
}

std::uint32_t decode_distance(implode_work_area *w, std::uint32_t repeat_length) {
    const std::uint32_t h = w->distance_lookup[w->bit_buffer & 0xFF];
    if (!consume_bits(w, w->distance_bits[h]))
        return 0;
    std::uint32_t d;
    if (repeat_length == 2) {
        d = h * 4 + (w->bit_buffer & 3);
        if (!consume_bits(w, 2))
            return 0;
    } else {
        d = (h << w->dict_bits) + (w->bit_buffer & w->dict_mask);
        if (!consume_bits(w, w->dict_bits))
            return 0;
    }
    return d + 1;
}

std::uint32_t expand_stream(implode_work_area *w) {
    w->window_pos = 4096;
    std::uint32_t v;
    for (;;) {
        v = decode_symbol(w);
        if (v >= 773)
            break;
        if (v < 256) {
            w->window[w->window_pos++] = static_cast<std::uint8_t>(v);
        } else {
            const std::uint32_t length = v - 254;
            const std::uint32_t d = decode_distance(w, length);
            if (d == 0) {
                v = 774;
                break;
            }
            for (std::uint32_t i = 0; i < length; ++i)
                w->window[w->window_pos + i] = w->window[w->window_pos - d + i];
            w->window_pos += length;
        }
        if (w->window_pos >= 8192) {
            std::uint32_t size = 4096;
            w->write_cb(w->window + 4096, &size, w->param);
            std::memmove(w->window, w->window + 4096, w->window_pos - 4096);
            w->window_pos -= 4096;
        }
    }
    std::uint32_t size = w->window_pos - 4096;
    w->write_cb(w->window + 4096, &size, w->param);
    return v;
}

} // namespace

int implode_decode(implode_read_callback read_cb, implode_write_callback write_cb,
                   implode_work_area *w, void *param) {
    w->read_cb = read_cb;
    w->write_cb = write_cb;
    w->param = param;
    w->input_pos = implode_input_size;
    std::uint32_t count = read_cb(w->input_buffer, &w->input_pos, param);
    w->input_count = count > implode_input_size ? implode_input_size : count;
    if (w->input_count <= 4)
        return 3;
    w->literal_mode = w->input_buffer[0];
    w->dict_bits = w->input_buffer[1];
    w->bit_buffer = w->input_buffer[2];
    w->spare_bits = 0;
    w->input_pos = 3;
    if (w->dict_bits < 4 || w->dict_bits > 6)
        return 1;
    w->dict_mask = 0xFFFFu >> (16 - w->dict_bits);
    if (w->literal_mode != 0) {
        if (w->literal_mode != 1)
            return 2;
        std::memcpy(w->ascii_bits, ascii_code_bits, sizeof w->ascii_bits);
        build_ascii_lookups(w);
    }
    std::memcpy(w->length_bits, length_code_bits, sizeof w->length_bits);
    build_code_lookup(16, w->length_bits, length_codes, w->length_lookup);
    std::memcpy(w->length_extra, length_extra_bits, sizeof w->length_extra);
    std::memcpy(w->length_base, length_bases, sizeof w->length_base);
    std::memcpy(w->distance_bits, distance_code_bits, sizeof w->distance_bits);
    build_code_lookup(64, w->distance_bits, distance_codes, w->distance_lookup);
    return expand_stream(w) == 774 ? 4 : 0;
}

} // namespace reference
