// Implode stream decoder: token loop, code resolution and bit consumption.
#include "implode/implode_decoder.h"

#include <cstring>

#include "implode/implode_lookup.h"
#include "implode/implode_tables.h"

using namespace implode;

namespace {

// Longest repeat length and the largest number of input bytes one token can
// pull in (one per consumption: flag, length code, extra bits, distance code,
// distance low bits).
constexpr std::uint32_t max_repeat_length = 518;
constexpr std::uint32_t max_bytes_per_token = 5;
// The fast path peeks at 8 bytes from the one holding the next stream bit.
constexpr std::uint32_t fast_path_margin = max_bytes_per_token + 3;

// Bit-reader state held in locals while decoding and written back to the
// work area before every callback and at the end, so the work area reads as
// if it had been updated in place.  (Kept out of memory on purpose: byte
// stores into the window could alias it and force reloads.)
struct bit_state {
    std::uint32_t bit_buffer;
    std::uint32_t spare_bits;
    std::uint32_t input_pos;
    std::uint32_t input_count;
};

void store_bit_state(implode_work_area* work, bit_state bits) {
    // Only the valid bits; the fast path may hold later stream bits above.
    work->bit_buffer = bits.bit_buffer & ((1u << (8 + bits.spare_bits)) - 1);
    work->spare_bits = bits.spare_bits;
    work->input_pos = bits.input_pos;
    work->input_count = bits.input_count;
}

// Asks the read callback for the next input block and returns how many bytes
// it delivered (0 at the end of the input).
[[gnu::noinline]] std::uint32_t read_input(implode_work_area* work, bit_state bits,
                                           std::uint32_t window_pos) {
    store_bit_state(work, bits);
    work->window_pos = window_pos;
    work->input_pos = implode_input_size;
    std::uint32_t count = work->read_cb(work->input_buffer, &work->input_pos, work->param);
    if (count > implode_input_size) {
        count = implode_input_size; // outside the callback contract: clamp
    }
    work->input_count = count;
    return count;
}

[[gnu::noinline]] void write_output(implode_work_area* work, bit_state bits,
                                    std::uint32_t window_pos, std::uint32_t size) {
    store_bit_state(work, bits);
    work->window_pos = window_pos;
    std::uint32_t written = size;
    work->write_cb(work->window + implode_block_size, &written, work->param);
}

#define IMPLODE_INLINE [[gnu::always_inline]] inline

// Token loop over one work area.  An instance lives only inside
// expand_stream and its address never leaves it, so its fields stay in
// registers.
class stream_expander {
  public:
    explicit stream_expander(implode_work_area* work)
        : work_(work), window_(work->window), input_(work->input_buffer),
          bits_{work->bit_buffer, work->spare_bits, work->input_pos, work->input_count},
          dict_bits_(work->dict_bits), dict_mask_(work->dict_mask),
          ascii_mode_(work->literal_mode != 0) {}

    IMPLODE_INLINE std::uint32_t run();

  private:
    template <bool Checked> IMPLODE_INLINE bool consume_bits(std::uint32_t n);
    template <bool Checked> IMPLODE_INLINE std::uint32_t decode_symbol();
    template <bool Checked> IMPLODE_INLINE std::uint32_t decode_distance(std::uint32_t repeat_length);
    template <bool Checked> IMPLODE_INLINE std::uint32_t decode_token();
    IMPLODE_INLINE bool fast_path_open() const;
    template <bool Ascii> std::uint32_t decode_run();
    IMPLODE_INLINE void copy_match(std::uint32_t distance, std::uint32_t length);

    implode_work_area* const work_;
    std::uint8_t* const window_;
    const std::uint8_t* const input_;
    bit_state bits_;
    std::uint32_t window_pos_ = 0;
    const std::uint32_t dict_bits_;
    const std::uint32_t dict_mask_;
    const bool ascii_mode_;
};

// Drops n bits (1 to 8).  The low 8 bits of the bit buffer are always the next
// 8 stream bits, with spare_bits more valid bits above them; when the spare
// bits do not cover n, exactly one input byte is loaded.  The unchecked form
// is used only when the input buffer still holds enough bytes for the whole
// token, so it never needs the read callback.
template <bool Checked> IMPLODE_INLINE bool stream_expander::consume_bits(std::uint32_t n) {
    if (bits_.spare_bits >= n) {
        bits_.bit_buffer >>= n;
        bits_.spare_bits -= n;
        return true;
    }
    bits_.bit_buffer >>= bits_.spare_bits;
    if constexpr (Checked) {
        if (bits_.input_pos == bits_.input_count) {
            bits_.input_count = read_input(work_, bits_, window_pos_);
            if (bits_.input_count == 0) {
                bits_.input_pos = work_->input_pos;
                return false;
            }
            bits_.input_pos = 0;
        }
    }
    bits_.bit_buffer |= static_cast<std::uint32_t>(input_[bits_.input_pos]) << 8;
    ++bits_.input_pos;
    bits_.bit_buffer >>= n - bits_.spare_bits;
    bits_.spare_bits = bits_.spare_bits + 8 - n;
    return true;
}

// Returns the next token's decoder value: a literal, a copy (256 + repeat
// length - 2), end_value, or error_value when the input ran out.
template <bool Checked> IMPLODE_INLINE std::uint32_t stream_expander::decode_symbol() {
    if ((bits_.bit_buffer & 1) != 0) {
        if (!consume_bits<Checked>(1)) {
            return error_value;
        }
        const std::uint32_t s = work_->length_lookup[bits_.bit_buffer & 0xFF];
        if (!consume_bits<Checked>(work_->length_bits[s])) {
            return error_value;
        }
        const std::uint32_t e = work_->length_extra[s];
        if (e == 0) {
            return s + 256;
        }
        const std::uint32_t x = bits_.bit_buffer & ((1u << e) - 1);
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
        const std::uint32_t v = bits_.bit_buffer & 0xFF;
        if (!consume_bits<Checked>(8)) {
            return error_value;
        }
        return v;
    }
    const std::uint32_t b = bits_.bit_buffer & 0xFF;
    std::uint32_t v;
    if (b != 0) {
        v = work_->ascii_lookup_low8[b];
        if (v == ascii_long_code_marker) {
            if ((b & 0x3F) != 0) {
                if (!consume_bits<Checked>(4)) {
                    return error_value;
                }
                v = work_->ascii_lookup_skip4[bits_.bit_buffer & 0xFF];
            } else {
                if (!consume_bits<Checked>(6)) {
                    return error_value;
                }
                v = work_->ascii_lookup_skip6[bits_.bit_buffer & 0x7F];
            }
        }
    } else {
        if (!consume_bits<Checked>(8)) {
            return error_value;
        }
        v = work_->ascii_lookup_skip8[bits_.bit_buffer & 0xFF];
    }
    if (!consume_bits<Checked>(work_->ascii_bits[v])) {
        return error_value;
    }
    return v;
}

// Returns the copy distance (1 to 4096), or 0 when the input ran out.
template <bool Checked>
IMPLODE_INLINE std::uint32_t stream_expander::decode_distance(std::uint32_t repeat_length) {
    const std::uint32_t h = work_->distance_lookup[bits_.bit_buffer & 0xFF];
    if (!consume_bits<Checked>(work_->distance_bits[h])) {
        return 0;
    }
    std::uint32_t d;
    if (repeat_length == 2) {
        d = (h << 2) + (bits_.bit_buffer & 3);
        if (!consume_bits<Checked>(2)) {
            return 0;
        }
    } else {
        d = (h << dict_bits_) + (bits_.bit_buffer & dict_mask_);
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
IMPLODE_INLINE void stream_expander::copy_match(std::uint32_t distance, std::uint32_t length) {
    std::uint8_t* dst = window_ + window_pos_;
    const std::uint8_t* src = dst - distance;
    window_pos_ += length;
    if (distance >= 8) {
        // Each 8-byte chunk reads only bytes before its own destination.
        if (window_pos_ + 8 <= implode_window_size) {
            // Room for a whole last chunk: it may write up to 7 bytes past
            // the copy's end.  Those bytes lie at or above window_pos, where
            // nothing is read, written out or moved down before the next
            // tokens overwrite them.
            do {
                std::memcpy(dst, src, 8);
                dst += 8;
                src += 8;
            } while (dst < window_ + window_pos_);
            return;
        }
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
template <bool Checked> IMPLODE_INLINE std::uint32_t stream_expander::decode_token() {
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

// The fast path: a loop that decodes tokens straight out of the input buffer
// while it holds enough bytes that no read can be due within a token, and
// the block under way is not complete.  It gives the same result and leaves
// the same state as consume_bits step by step: the state after consuming P
// bits of the stream depends only on P as long as no consumption fails, which
// cannot happen here.  Inside the loop the whole bit-reader state is one
// counter, the index in input_buffer of the next stream bit (bit 0 of byte 0
// being index 0); consumptions of one token are merged, each code is still
// resolved by one lookup on its 8 low bits, taken from a peek at the next
// input bytes, and every input byte is taken once, in order, when the stream
// reaches it.
//
// With input_pos bytes loaded and 8 + spare_bits valid bits in the bit
// buffer, the next stream bit lies at index 8 * input_pos - 8 - spare_bits,
// provided the valid bits came from this input buffer (the index is not
// negative).  Conversely input_pos = (index + 15) / 8 and spare_bits =
// 7 - (index + 15) % 8.

// Up to 64 bits starting at byte `at`, the first byte lowest.
IMPLODE_INLINE std::uint64_t load_le64(const std::uint8_t* at) {
    std::uint64_t v;
    std::memcpy(&v, at, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}

// Moves 8 bytes from src to dst, both read before either is written.
IMPLODE_INLINE void move8(std::uint8_t* dst, const std::uint8_t* src) {
    std::uint64_t v;
    std::memcpy(&v, src, sizeof v);
    std::memcpy(dst, &v, sizeof v);
}

// The most bits one token can take: flag, 7-bit length code, 8 extra bits,
// 8-bit distance code and 6 low bits (an ASCII literal takes at most 14).
// One pass of the loop takes one token or, in binary literal mode, a run of
// up to six literals of 9 bits.
constexpr std::uint32_t max_bits_per_token = 1 + 7 + 8 + 8 + 6;
constexpr std::uint32_t max_bits_per_run = 6 * 9;
static_assert(max_bits_per_token <= max_bits_per_run);
// A peek shifted to a bit index holds at least 57 bits.
static_assert(max_bits_per_run <= 64 - 7);
// A pass that starts at bit index i with i / 8 + 9 <= input_count loads no
// byte at or past input_count: after it, input_pos = (i + 54 + 15) / 8 is at
// most i / 8 + 9.  Its peek reads bytes i / 8 to i / 8 + 7.  The fast path
// opens with input_pos + fast_path_margin <= input_count and i / 8 below
// input_pos.
static_assert((7 + max_bits_per_run + 15) / 8 <= 9);
static_assert(fast_path_margin >= 8);

bool stream_expander::fast_path_open() const {
    return bits_.input_pos + fast_path_margin <= bits_.input_count &&
           (bits_.input_pos >= 2 || bits_.spare_bits == 0);
}

// Copies `length` bytes from `distance` bytes back to window_[pos], with
// the result of a byte-by-byte ascending copy.  The chunked moves may write
// up to 15 bytes past the copy's end; the caller makes sure the window has
// room for them.  Those bytes lie at or above the new window position, where
// nothing is read, written out or moved down before later tokens overwrite
// them.
IMPLODE_INLINE void copy_match_fast(std::uint8_t* dst, std::uint32_t distance,
                                    std::uint32_t length) {
    const std::uint8_t* src = dst - distance;
    std::uint8_t* const end = dst + length;
    if (distance >= 8) {
        // Each 8-byte chunk reads only bytes before its own destination.
        move8(dst, src);
        move8(dst + 8, src + 8);
        if (length > 16) {
            dst += 16;
            src += 16;
            do {
                move8(dst, src);
                dst += 8;
                src += 8;
            } while (dst < end);
        }
        return;
    }
    if (distance == 1) {
        std::uint64_t v = 0x0101010101010101ull * *src;
        do {
            std::memcpy(dst, &v, 8);
            std::memcpy(dst + 8, &v, 8);
            dst += 16;
        } while (dst < end);
        return;
    }
    // A short distance repeats a pattern: each move of 8 bytes from the
    // pattern's start makes its first (dst - src) bytes right, so moving dst
    // on by that much doubles the pattern, until it spans 8 bytes.
    do {
        move8(dst, src);
        dst += dst - src;
    } while (dst - src < 8 && dst < end);
    while (dst < end) {
        move8(dst, src);
        dst += 8;
        src += 8;
    }
}

template <bool Ascii> std::uint32_t stream_expander::decode_run() {
    const std::uint8_t* const in = input_;
    std::uint8_t* const window = window_;
    std::uint32_t at = 8 * bits_.input_pos - 8 - bits_.spare_bits;
    // Tokens start only at indices whose byte is at least 9 bytes short of
    // input_count (see max_bits_per_run).
    const std::uint32_t at_limit = 8 * (bits_.input_count - 8);
    std::uint32_t pos = window_pos_;
    const std::uint32_t dict_bits = dict_bits_;
    std::uint32_t v = 0;
    do {
        std::uint64_t w = load_le64(in + (at >> 3)) >> (at & 7);
        if ((w & 1) == 0) {
            if constexpr (!Ascii) {
                // A run of literals comes out of the same peek, up to six
                // (54 bits), but none past the end of the block.  All six
                // bytes are stored; those past the run lie at or above the
                // new window position, where later tokens overwrite them
                // before anything reads them.
                for (std::uint32_t i = 0; i < 6; ++i) {
                    window[pos + i] = static_cast<std::uint8_t>(w >> (9 * i + 1));
                }
                // Flag bits of the six literal slots; the run ends at the
                // first one that is set (a copy or the end marker follows).
                const std::uint64_t flags = (w & 0x201008040201ull) | (1ull << 54);
                std::uint32_t run = static_cast<std::uint32_t>(__builtin_ctzll(flags)) / 9;
                const std::uint32_t room = 2 * implode_block_size - pos;
                run = run < room ? run : room;
                pos += run;
                at += 9 * run;
                v = 0;
            } else {
                const std::uint32_t b = static_cast<std::uint32_t>(w >> 1) & 0xFF;
                std::uint32_t skipped = 0;
                if (b != 0) {
                    v = work_->ascii_lookup_low8[b];
                    if (v == ascii_long_code_marker) {
                        if ((b & 0x3F) != 0) {
                            skipped = 4;
                            v = work_->ascii_lookup_skip4[(w >> 5) & 0xFF];
                        } else {
                            skipped = 6;
                            v = work_->ascii_lookup_skip6[(w >> 7) & 0x7F];
                        }
                    }
                } else {
                    skipped = 8;
                    v = work_->ascii_lookup_skip8[(w >> 9) & 0xFF];
                }
                at += 1 + skipped + work_->ascii_bits[v];
                window[pos++] = static_cast<std::uint8_t>(v);
            }
            continue;
        }
        const std::uint32_t s = work_->length_lookup[(w >> 1) & 0xFF];
        std::uint32_t used = 1 + work_->length_bits[s];
        const std::uint32_t e = work_->length_extra[s];
        const std::uint32_t x = static_cast<std::uint32_t>(w >> used) & ((1u << e) - 1);
        used += e;
        v = work_->length_base[s] + x + 256;
        if (v >= end_value) {
            at += used;
            break;
        }
        const std::uint32_t length = v - 254;
        w >>= used;
        const std::uint32_t h = work_->distance_lookup[w & 0xFF];
        const std::uint32_t h_bits = work_->distance_bits[h];
        const std::uint32_t low_bits = length == 2 ? 2 : dict_bits;
        const std::uint32_t low = static_cast<std::uint32_t>(w >> h_bits) & ((1u << low_bits) - 1);
        at += used + h_bits + low_bits;
        const std::uint32_t distance = (h << low_bits) + low + 1;
        std::uint8_t* const dst = window + pos;
        pos += length;
        if (pos + 15 < implode_window_size) {
            copy_match_fast(dst, distance, length);
        } else {
            window_pos_ = pos - length;
            copy_match(distance, length);
        }
    } while (at < at_limit && pos < 2 * implode_block_size);
    window_pos_ = pos;
    const std::uint32_t loaded = (at + 15) >> 3;
    bits_.input_pos = loaded;
    bits_.spare_bits = 7 - ((at + 15) & 7);
    // The valid bits end with byte loaded - 1; at least one bit was consumed,
    // so loaded is at least 2.
    bits_.bit_buffer = (static_cast<std::uint32_t>(in[loaded - 2]) |
                        (static_cast<std::uint32_t>(in[loaded - 1]) << 8)) >>
                       (8 - bits_.spare_bits);
    return v;
}

std::uint32_t stream_expander::run() {
    window_pos_ = implode_block_size;
    std::uint32_t v;
    for (;;) {
        if (fast_path_open()) {
            v = ascii_mode_ ? decode_run<true>() : decode_run<false>();
        } else if (bits_.input_pos + fast_path_margin <= bits_.input_count) {
            v = decode_token<false>();
        } else {
            v = decode_token<true>();
        }
        if (v >= end_value) {
            break;
        }
        if (window_pos_ >= 2 * implode_block_size) {
            write_output(work_, bits_, window_pos_, implode_block_size);
            // Up to 4613 bytes move down; the ranges overlap when more than
            // 4096 move.
            std::memmove(window_, window_ + implode_block_size,
                         window_pos_ - implode_block_size);
            window_pos_ -= implode_block_size;
        }
    }
    write_output(work_, bits_, window_pos_, window_pos_ - implode_block_size);
    store_bit_state(work_, bits_);
    work_->window_pos = window_pos_;
    return v;
}

// The token loop: decodes tokens into the window, writes each completed
// 4096-byte block and finally the remainder.  Returns the last decoder value
// (end_value, or error_value when the input ran out).
std::uint32_t expand_stream(implode_work_area* work) {
    stream_expander expander(work);
    return expander.run();
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

    const std::uint32_t v = expand_stream(work);
    return v == error_value ? implode_truncated : implode_ok;
}
