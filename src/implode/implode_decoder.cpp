// Implode stream decoder: token loop, code resolution and bit consumption.
#include "implode/implode_decoder.h"

#include <cstring>

#include "implode/implode_tables.h"

using namespace implode;

namespace {

// Longest repeat length and the largest number of input bytes one token can
// pull in (one per consumption: flag, length code, extra bits, distance code,
// distance low bits).
constexpr std::uint32_t max_repeat_length = 518;
constexpr std::uint32_t max_bytes_per_token = 5;

// Token loop over one work area.  The hot fields of the work area are held in
// locals while decoding (byte stores into the window would otherwise force
// them to be reloaded from memory) and are written back before every callback
// and at the end, so the work area reads as if it had been updated in place.
class stream_expander {
  public:
    explicit stream_expander(implode_work_area* work)
        : work_(work), window_(work->window), input_(work->input_buffer),
          bit_buffer_(work->bit_buffer), spare_bits_(work->spare_bits),
          input_pos_(work->input_pos), input_count_(work->input_count),
          dict_bits_(work->dict_bits), dict_mask_(work->dict_mask),
          ascii_mode_(work->literal_mode != 0) {}

    std::uint32_t expand_stream();

  private:
    template <bool Checked> bool consume_bits(std::uint32_t n);
    template <bool Checked> std::uint32_t decode_symbol();
    template <bool Checked> std::uint32_t decode_distance(std::uint32_t repeat_length);
    template <bool Checked> std::uint32_t decode_token();

    bool read_input();
    void write_block(std::uint32_t size);
    void copy_match(std::uint32_t distance, std::uint32_t length);
    void store_bit_state() {
        work_->bit_buffer = bit_buffer_;
        work_->spare_bits = spare_bits_;
        work_->input_pos = input_pos_;
        work_->input_count = input_count_;
    }

    implode_work_area* const work_;
    std::uint8_t* const window_;
    const std::uint8_t* const input_;
    std::uint32_t bit_buffer_;
    std::uint32_t spare_bits_;
    std::uint32_t input_pos_;
    std::uint32_t input_count_;
    std::uint32_t window_pos_ = 0;
    const std::uint32_t dict_bits_;
    const std::uint32_t dict_mask_;
    const bool ascii_mode_;
};

// Asks the read callback for the next input block.  Returns false when it
// reports the end of the input.
[[gnu::noinline]] bool stream_expander::read_input() {
    store_bit_state();
    work_->input_pos = implode_input_size;
    std::uint32_t count = work_->read_cb(work_->input_buffer, &work_->input_pos, work_->param);
    if (count > implode_input_size) {
        count = implode_input_size; // outside the callback contract: clamp
    }
    work_->input_count = count;
    input_count_ = count;
    input_pos_ = work_->input_pos;
    return count != 0;
}

[[gnu::noinline]] void stream_expander::write_block(std::uint32_t size) {
    store_bit_state();
    work_->window_pos = window_pos_;
    std::uint32_t written = size;
    work_->write_cb(window_ + implode_block_size, &written, work_->param);
}

// Drops n bits (1 to 8).  The low 8 bits of the bit buffer are always the next
// 8 stream bits, with spare_bits_ more valid bits above them; when the spare
// bits do not cover n, exactly one input byte is loaded.  The unchecked form
// is used only when the input buffer still holds enough bytes for the whole
// token, so it never needs the read callback.
template <bool Checked> inline bool stream_expander::consume_bits(std::uint32_t n) {
    if (spare_bits_ >= n) {
        bit_buffer_ >>= n;
        spare_bits_ -= n;
        return true;
    }
    bit_buffer_ >>= spare_bits_;
    if constexpr (Checked) {
        if (input_pos_ == input_count_) {
            if (!read_input()) {
                return false;
            }
            input_pos_ = 0;
        }
    }
    bit_buffer_ |= static_cast<std::uint32_t>(input_[input_pos_]) << 8;
    ++input_pos_;
    bit_buffer_ >>= n - spare_bits_;
    spare_bits_ = spare_bits_ + 8 - n;
    return true;
}

// Returns the next token's decoder value: a literal, a copy (256 + repeat
// length - 2), end_value, or error_value when the input ran out.
template <bool Checked> inline std::uint32_t stream_expander::decode_symbol() {
    if ((bit_buffer_ & 1) != 0) {
        if (!consume_bits<Checked>(1)) {
            return error_value;
        }
        const std::uint32_t s = work_->length_lookup[bit_buffer_ & 0xFF];
        if (!consume_bits<Checked>(work_->length_bits[s])) {
            return error_value;
        }
        const std::uint32_t e = work_->length_extra[s];
        if (e == 0) {
            return s + 256;
        }
        const std::uint32_t x = bit_buffer_ & ((1u << e) - 1);
        if (!consume_bits<Checked>(e) && s + x != end_marker_symbol + end_marker_extra) {
            // The end marker's extra bits may end the stream; nothing else may.
            return error_value;
        }
        return work_->length_base[s] + x + 256;
    }
    if (!consume_bits<Checked>(1)) {
        return error_value;
    }
    if (!ascii_mode_) {
        const std::uint32_t v = bit_buffer_ & 0xFF;
        if (!consume_bits<Checked>(8)) {
            return error_value;
        }
        return v;
    }
    const std::uint32_t b = bit_buffer_ & 0xFF;
    std::uint32_t v;
    if (b != 0) {
        v = work_->ascii_lookup_low8[b];
        if (v == ascii_long_code_marker) {
            if ((b & 0x3F) != 0) {
                if (!consume_bits<Checked>(4)) {
                    return error_value;
                }
                v = work_->ascii_lookup_skip4[bit_buffer_ & 0xFF];
            } else {
                if (!consume_bits<Checked>(6)) {
                    return error_value;
                }
                v = work_->ascii_lookup_skip6[bit_buffer_ & 0x7F];
            }
        }
    } else {
        if (!consume_bits<Checked>(8)) {
            return error_value;
        }
        v = work_->ascii_lookup_skip8[bit_buffer_ & 0xFF];
    }
    if (!consume_bits<Checked>(work_->ascii_bits[v])) {
        return error_value;
    }
    return v;
}

// Returns the copy distance (1 to 4096), or 0 when the input ran out.
template <bool Checked>
inline std::uint32_t stream_expander::decode_distance(std::uint32_t repeat_length) {
    const std::uint32_t h = work_->distance_lookup[bit_buffer_ & 0xFF];
    if (!consume_bits<Checked>(work_->distance_bits[h])) {
        return 0;
    }
    std::uint32_t d;
    if (repeat_length == 2) {
        d = (h << 2) + (bit_buffer_ & 3);
        if (!consume_bits<Checked>(2)) {
            return 0;
        }
    } else {
        d = (h << dict_bits_) + (bit_buffer_ & dict_mask_);
        if (!consume_bits<Checked>(dict_bits_)) {
            return 0;
        }
    }
    return d + 1;
}

// Copies `length` bytes from `distance` bytes back, with the result of a
// byte-by-byte copy in ascending order (a short distance repeats a pattern).
// window_pos_ is at least 4096 and distance at most 4096, so the source never
// lies below index 0; window_pos_ is at most 8191 and length at most 518, so
// the copy ends inside the window.
inline void stream_expander::copy_match(std::uint32_t distance, std::uint32_t length) {
    std::uint8_t* dst = window_ + window_pos_;
    const std::uint8_t* src = dst - distance;
    window_pos_ += length;
    if (distance >= 8) {
        // Each 8-byte chunk reads only bytes before its own destination.
        while (length >= 8) {
            std::memcpy(dst, src, 8);
            dst += 8;
            src += 8;
            length -= 8;
        }
        while (length != 0) {
            *dst++ = *src++;
            --length;
        }
    } else if (distance == 1) {
        std::memset(dst, *src, length);
    } else {
        while (length != 0) {
            *dst++ = *src++;
            --length;
        }
    }
}

// Decodes one token and applies it to the window.  Returns its decoder value,
// or error_value when the input ran out in the middle of it (nothing of the
// token is applied then).
template <bool Checked> inline std::uint32_t stream_expander::decode_token() {
    const std::uint32_t v = decode_symbol<Checked>();
    if (v < 256) {
        window_[window_pos_++] = static_cast<std::uint8_t>(v);
        return v;
    }
    if (v >= end_value) {
        return v;
    }
    const std::uint32_t repeat_length = v - 254;
    const std::uint32_t distance = decode_distance<Checked>(repeat_length);
    if (distance == 0) {
        return error_value;
    }
    copy_match(distance, repeat_length);
    return v;
}

std::uint32_t stream_expander::expand_stream() {
    window_pos_ = implode_block_size;
    std::uint32_t v;
    for (;;) {
        if (input_pos_ + max_bytes_per_token <= input_count_) {
            v = decode_token<false>();
        } else {
            v = decode_token<true>();
        }
        if (v >= end_value) {
            break;
        }
        if (window_pos_ >= 2 * implode_block_size) {
            write_block(implode_block_size);
            // Up to 4613 bytes move down; the ranges overlap when more than
            // 4096 move.
            std::memmove(window_, window_ + implode_block_size,
                         window_pos_ - implode_block_size);
            window_pos_ -= implode_block_size;
        }
    }
    write_block(window_pos_ - implode_block_size);
    store_bit_state();
    work_->window_pos = window_pos_;
    return v;
}

static_assert(implode_window_size == 2 * implode_block_size + max_repeat_length - 1);

} // namespace

int implode_decode(implode_read_callback read_cb, implode_write_callback write_cb,
                   implode_work_area* work, void* param) {
    work->read_cb = read_cb;
    work->write_cb = write_cb;
    work->param = param;

    work->input_pos = implode_input_size;
    std::uint32_t count = read_cb(work->input_buffer, &work->input_pos, param);
    if (count > implode_input_size) {
        count = implode_input_size; // outside the callback contract: clamp
    }
    work->input_count = count;
    if (count <= 4) {
        return implode_short_input;
    }

    work->literal_mode = work->input_buffer[0];
    work->dict_bits = work->input_buffer[1];
    work->bit_buffer = work->input_buffer[2];
    work->spare_bits = 0;
    work->input_pos = 3;

    if (work->dict_bits < 4 || work->dict_bits > 6) {
        return implode_bad_dictionary;
    }
    work->dict_mask = 0xFFFFu >> (16 - work->dict_bits);

    if (work->literal_mode != 0) {
        if (work->literal_mode != 1) {
            return implode_bad_literal_mode;
        }
        std::memcpy(work->ascii_bits, ascii_code_bits, sizeof work->ascii_bits);
        build_ascii_lookups(work);
    }

    std::memcpy(work->length_bits, length_code_bits, sizeof work->length_bits);
    build_code_lookup(16, work->length_bits, length_codes, work->length_lookup);

    std::memcpy(work->length_extra, length_extra_bits, sizeof work->length_extra);
    std::memcpy(work->length_base, length_bases, sizeof work->length_base);
    std::memcpy(work->distance_bits, distance_code_bits, sizeof work->distance_bits);
    build_code_lookup(64, work->distance_bits, distance_codes, work->distance_lookup);

    stream_expander expander(work);
    const std::uint32_t v = expander.expand_stream();
    return v == error_value ? implode_truncated : implode_ok;
}
