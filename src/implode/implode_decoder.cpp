// Implode stream decoder: token loop, code resolution and bit consumption.
#include "implode/implode_decoder.h"

#include <cstring>

#include "implode/implode_lookup.h"
#include "implode/implode_tables.h"
#include "implode/implode_token_table.h"

using namespace implode;

// This file is built twice. With the whole-token lookup, most tokens are
// decoded from one table access in a loop over the buffered input (the
// implode tool, the benchmarks). Without it, every token is decoded step by
// step, in a fraction of the code (the launcher, whose size counts more than
// its speed). Both give the same output, callbacks and work area.
#ifndef IMPLODE_WHOLE_TOKEN_LOOKUP
#error "IMPLODE_WHOLE_TOKEN_LOOKUP must be 0 or 1 (see src/implode/CMakeLists.txt)"
#endif
constexpr bool whole_token_lookup = IMPLODE_WHOLE_TOKEN_LOOKUP != 0;

namespace {

// The largest number of input bytes one token can pull in: one per
// consumption (flag, length code, extra bits, distance code, distance low
// bits).
constexpr std::uint32_t max_bytes_per_token = 5;
// A copy may write this many bytes past its end when the window has room.
constexpr std::uint32_t copy_slack = 16;

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

void store_bit_state(implode_work_area *work, bit_state bits) {
    work->bit_buffer = bits.bit_buffer;
    work->spare_bits = bits.spare_bits;
    work->input_pos = bits.input_pos;
    work->input_count = bits.input_count;
}

// Calls the read callback for the next input block, keeps a copy of what it
// delivered for the fast loop and returns how many bytes that was (0 at the
// end of the input).
std::uint32_t call_read(implode_work_area *work) {
    work->input_pos = implode_input_size;
    std::uint32_t count = work->read_cb(work->input_buffer, &work->input_pos, work->param);
    if (count > implode_input_size) {
        count = implode_input_size; // outside the callback contract: clamp
    }
    work->input_count = count;
    if constexpr (whole_token_lookup) {
        std::memcpy(work->input_copy, work->input_buffer, count);
    }
    return count;
}

[[gnu::noinline]] std::uint32_t read_input(implode_work_area *work, bit_state bits,
                                           std::uint32_t window_pos) {
    store_bit_state(work, bits);
    work->window_pos = window_pos;
    return call_read(work);
}

[[gnu::noinline]] void write_output(implode_work_area *work, bit_state bits,
                                    std::uint32_t window_pos, std::uint32_t size) {
    store_bit_state(work, bits);
    work->window_pos = window_pos;
    std::uint32_t written = size;
    work->write_cb(work->window + implode_block_size, &written, work->param);
}

#define IMPLODE_INLINE [[gnu::always_inline]] inline

// Up to 64 bits starting at byte `at`, the first byte lowest.
IMPLODE_INLINE std::uint64_t load_le64(const std::uint8_t *at) {
    std::uint64_t v;
    std::memcpy(&v, at, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}

// Moves 8 or 16 bytes from src to dst, all read before any is written.
IMPLODE_INLINE void move8(std::uint8_t *dst, const std::uint8_t *src) {
    std::uint64_t v;
    std::memcpy(&v, src, sizeof v);
    std::memcpy(dst, &v, sizeof v);
}
IMPLODE_INLINE void move16(std::uint8_t *dst, const std::uint8_t *src) {
    std::uint8_t v[16];
    std::memcpy(v, src, sizeof v);
    std::memcpy(dst, v, sizeof v);
}

// Copies `length` bytes from `distance` bytes back to dst, with the result of
// a byte-by-byte ascending copy (a distance shorter than the length repeats
// a pattern).  Writes up to copy_slack - 1 bytes past the copy's end; those
// lie at or above the new window position, where nothing is read, written
// out or moved down before later tokens overwrite them.
IMPLODE_INLINE void copy_with_slack(std::uint8_t *dst, std::uint32_t distance,
                                    std::uint32_t length) {
    const std::uint8_t *src = dst - distance;
    std::uint8_t *const end = dst + length;
    if (distance >= 16) {
        // Each chunk reads only bytes before its own destination.
        do {
            move16(dst, src);
            dst += 16;
            src += 16;
        } while (dst < end);
        return;
    }
    if (distance == 1) {
        const std::uint64_t run = 0x0101010101010101ull * *src;
        do {
            std::memcpy(dst, &run, sizeof run);
            std::memcpy(dst + 8, &run, sizeof run);
            dst += 16;
        } while (dst < end);
        return;
    }
    // Each move of 8 bytes from the pattern's start makes its first
    // (dst - src) bytes right, so moving dst on by that much doubles the
    // pattern, until it spans 8 bytes.
    while (dst - src < 8) {
        move8(dst, src);
        dst += dst - src;
        if (dst >= end) {
            return;
        }
    }
    do {
        move8(dst, src);
        dst += 8;
        src += 8;
    } while (dst < end);
}

// Copies `length` bytes from `distance` bytes back to window[pos], writing
// nothing past the window.  pos is at least 4096 and distance at most 4096,
// so the source never lies below index 0; pos is at most 8191 and length at
// most 518, so the copy ends inside the window.
IMPLODE_INLINE void copy_match(std::uint8_t *window, std::uint32_t pos, std::uint32_t distance,
                               std::uint32_t length) {
    std::uint8_t *const dst = window + pos;
    if (whole_token_lookup && pos + length + copy_slack <= implode_window_size) {
        copy_with_slack(dst, distance, length);
        return;
    }
    const std::uint8_t *const src = dst - distance;
    for (std::uint32_t i = 0; i < length; ++i) {
        dst[i] = src[i];
    }
}

// An ASCII code longer than 8 bits takes a second lookup; its low 8 bits b
// say which one and how many bits to drop before it.
struct ascii_second_lookup {
    std::uint32_t dropped;
    const std::uint8_t *lookup;
    std::uint32_t index_mask;
};

IMPLODE_INLINE ascii_second_lookup second_ascii_lookup(const implode_work_area *work,
                                                       std::uint32_t b) {
    if (b == 0) {
        return {8, work->ascii_lookup_skip8, 0xFF};
    }
    if ((b & 0x3F) != 0) {
        return {4, work->ascii_lookup_skip4, 0xFF};
    }
    return {6, work->ascii_lookup_skip6, 0x7F};
}

// Token loop over one work area.  An instance lives only inside
// expand_stream and its address never leaves it, so its fields stay in
// registers.
class stream_expander {
  public:
    explicit stream_expander(implode_work_area *work)
        : work_(work), window_(work->window),
          input_(work->input_buffer), bits_{work->bit_buffer, work->spare_bits, work->input_pos,
                                            work->input_count},
          dict_bits_(work->dict_bits), dict_mask_(work->dict_mask),
          ascii_mode_(work->literal_mode != 0) {}

    IMPLODE_INLINE std::uint32_t run();

  private:
    template <bool Checked> IMPLODE_INLINE bool consume_bits(std::uint32_t n);
    template <bool Checked> IMPLODE_INLINE bool consume_bits_here(std::uint32_t n);
    [[gnu::noinline]] bool consume_bits_called(std::uint32_t n);
    template <bool Checked> IMPLODE_INLINE std::uint32_t decode_symbol();
    template <bool Checked>
    IMPLODE_INLINE std::uint32_t decode_distance(std::uint32_t repeat_length);
    template <bool Checked> IMPLODE_INLINE std::uint32_t decode_token();
    template <bool Ascii> [[gnu::noinline]] bool decode_fast();
    IMPLODE_INLINE std::uint32_t complete_entry(std::uint32_t entry, std::uint64_t bitbuf) const;
    template <bool Ascii>
    IMPLODE_INLINE void apply_token(std::uint32_t entry, std::uint64_t bitbuf,
                                    std::uint8_t *&dst) const;

    implode_work_area *const work_;
    std::uint8_t *const window_;
    const std::uint8_t *const input_;
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
    // Step by step only, one copy of it is called from everywhere: the code
    // stays small.
    if constexpr (!whole_token_lookup) {
        return consume_bits_called(n);
    }
    return consume_bits_here<Checked>(n);
}

bool stream_expander::consume_bits_called(std::uint32_t n) {
    return consume_bits_here<true>(n);
}

template <bool Checked> IMPLODE_INLINE bool stream_expander::consume_bits_here(std::uint32_t n) {
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
    std::uint32_t v = b != 0 ? work_->ascii_lookup_low8[b] : ascii_long_code_marker;
    if (v == ascii_long_code_marker) {
        const ascii_second_lookup second = second_ascii_lookup(work_, b);
        if (!consume_bits<Checked>(second.dropped)) {
            return error_value;
        }
        v = second.lookup[bits_.bit_buffer & second.index_mask];
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
    copy_match(window_, window_pos_, distance, repeat_length);
    window_pos_ += repeat_length;
    return v;
}

// Refills the bit buffer from `in` to at least 56 valid bits (bitsleft of
// them, fewer than 64).
[[maybe_unused]] IMPLODE_INLINE void refill(const std::uint8_t *&in, std::uint64_t &bitbuf,
                                            std::uint32_t &bitsleft) {
    bitbuf |= load_le64(in) << bitsleft;
    in += 7 - (bitsleft >> 3);
    bitsleft |= 56;
}

// For an entry that takes 0 bits: a copy whose distance code starts at the
// bit that its distance base gives.  Resolves the distance code and returns
// the entry the table would have had.  Returns 0 for an entry of 0, a token
// the whole-token lookup does not resolve.
IMPLODE_INLINE std::uint32_t stream_expander::complete_entry(std::uint32_t entry,
                                                             std::uint64_t bitbuf) const {
    if (entry == 0) {
        return 0;
    }
    const std::uint32_t header_bits = entry >> 22;
    const std::uint32_t low_bits = 64 - ((entry >> 16) & 63);
    const std::uint32_t h = work_->distance_lookup[(bitbuf >> header_bits) & 0xFF];
    return token_entry({header_bits + work_->distance_bits[h] + low_bits, (entry >> 8) & 0xFF,
                        h << (low_bits - 2), low_bits});
}

// Writes the token that a resolved entry describes at dst and moves dst on;
// the caller drops the token's bits.
template <bool Ascii>
IMPLODE_INLINE void stream_expander::apply_token(std::uint32_t entry, std::uint64_t bitbuf,
                                                 std::uint8_t *&dst) const {
    // The distance's low bits are the token's last bits: rotated to the top
    // by the token's bit count, then shifted down.
    const std::uint64_t rotated = (bitbuf >> (entry & 63)) | (bitbuf << (-entry & 63));
    const auto low = static_cast<std::uint32_t>(rotated >> ((entry >> 16) & 63));
    const std::uint32_t distance = 4 * (entry >> 22) + low + 1;
    const std::uint32_t length = (entry >> 8) & 0xFF;
    // At most 32 bytes: one or two chunks are the whole copy unless it
    // repeats a short pattern.
    if (distance >= length) [[likely]] {
        move16(dst, dst - distance);
        if (length > 16) [[unlikely]] {
            move16(dst + 16, dst - distance + 16);
        }
    } else {
        copy_with_slack(dst, distance, length);
    }
    // A literal goes over the first bytes of its harmless copy; for a copy
    // (flag bit 1) the same store lands past what the copy wrote, where later
    // tokens overwrite it.
    std::uint8_t *const literal_at = dst + ((static_cast<std::uint32_t>(bitbuf) & 1) << 5);
    if constexpr (Ascii) {
        literal_at[0] = ascii_entry_literal(entry);
    } else {
        std::uint64_t literals = bitbuf >> 1;
        literal_at[0] = static_cast<std::uint8_t>(literals);
        literals >>= 9;
        literal_at[1] = static_cast<std::uint8_t>(literals);
    }
    dst += length;
}

// The fast loop: decodes tokens while each lies within the bytes the last
// read delivered and the block under way is not complete.  It gives the same
// result and leaves the same state as consume_bits step by step: the state
// after consuming P bits of the stream depends only on P as long as no
// consumption needs the read callback, and the step-by-step decoder keeps 8
// bits loaded beyond every token, so it reads nothing for a token that ends
// 8 bits before the end of the delivered bytes.  Returns true when the next
// token is to be decoded step by step (it would need a read, or the
// whole-token lookup does not resolve it), false when the block is (nearly)
// complete.
//
// The stream bits are kept in a 64-bit buffer refilled 8 bytes at a time
// from input_copy (in points at the next byte not yet counted in, and
// bitsleft counts the valid bits; bits above them are zero or already the
// next stream bits).  After a refill at least 56 valid bits are
// there for the token and the next lookup; bits past the delivered bytes are
// garbage, and no token that uses them is kept.  With b bits valid, the
// step-by-step decoder has loaded every byte but the last (b - 8) / 8, and
// holds the remaining 8 + (b - 8) % 8 valid bits.
//
// Each token costs one access to the whole-token lookup; a literal and a
// copy run through the same steps (see implode_token_table.h), so the loop
// does not branch on the kind of token.
template <bool Ascii> bool stream_expander::decode_fast() {
    const std::uint8_t *const input = work_->input_copy;
    const std::uint8_t *in = input + bits_.input_pos;
    std::uint64_t bitbuf = bits_.bit_buffer;
    std::uint32_t bitsleft = 8 + bits_.spare_bits;
    // Bits the tokens may take before one would end less than 8 bits before
    // the end of the delivered bytes.
    auto fits =
        static_cast<std::int32_t>(8 * (bits_.input_count - bits_.input_pos) + bits_.spare_bits);
    std::uint8_t *dst = window_ + window_pos_;
    // A token starts only where even two literals end inside the block, so
    // that the block is written out after the token that completes it, as
    // the step-by-step decoder does.
    std::uint8_t *const last_start = window_ + 2 * implode_block_size - 2;
    const std::uint32_t *const table = work_->token_table;
    constexpr std::uint32_t index_mask = implode_token_table_size - 1;
    bool one_token = false;

    refill(in, bitbuf, bitsleft);
    std::uint32_t entry = table[bitbuf & index_mask];
    for (;;) {
        if ((entry & token_bits_mask) == 0) [[unlikely]] {
            entry = complete_entry(entry, bitbuf);
            if (entry == 0) {
                one_token = true;
                break;
            }
        }
        fits -= static_cast<std::int32_t>(entry & token_bits_mask);
        if (fits < 0) {
            one_token = true;
            break;
        }
        apply_token<Ascii>(entry, bitbuf, dst);
        bitbuf >>= entry & 63;
        bitsleft -= entry & token_bits_mask;
        // At least 56 - max_copy_token_bits bits remain: enough for the
        // lookup, which need not wait for the refill.
        entry = table[bitbuf & index_mask];
        if (dst > last_start) {
            break;
        }
        refill(in, bitbuf, bitsleft);
    }
    static_assert(56 - max_copy_token_bits >= implode_token_table_bits);
    window_pos_ = static_cast<std::uint32_t>(dst - window_);
    const std::uint32_t spare = (bitsleft - 8) & 7;
    bits_.input_pos = static_cast<std::uint32_t>(in - input) - (bitsleft - 8) / 8;
    bits_.spare_bits = spare;
    bits_.bit_buffer = static_cast<std::uint32_t>(bitbuf) & ((1u << (8 + spare)) - 1);
    return one_token;
}

std::uint32_t stream_expander::run() {
    window_pos_ = implode_block_size;
    std::uint32_t v;
    for (;;) {
        // The fast loop runs until the block is nearly complete, the input
        // buffer nearly used up, or a token it does not resolve; the tokens
        // between are decoded one at a time.
        bool one_token = true;
        if constexpr (whole_token_lookup) {
            if (bits_.input_pos + 4 <= bits_.input_count &&
                window_pos_ <= 2 * implode_block_size - 2) {
                one_token = ascii_mode_ ? decode_fast<true>() : decode_fast<false>();
            }
        }
        if (one_token) {
            if constexpr (whole_token_lookup) {
                v = bits_.input_pos + max_bytes_per_token <= bits_.input_count
                        ? decode_token<false>()
                        : decode_token<true>();
            } else {
                v = decode_token<true>();
            }
            if (v >= end_value) {
                break;
            }
        }
        if (window_pos_ >= 2 * implode_block_size) {
            write_output(work_, bits_, window_pos_, implode_block_size);
            // Up to 4613 bytes move down; the ranges overlap when more than
            // 4096 move.
            std::memmove(window_, window_ + implode_block_size, window_pos_ - implode_block_size);
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
std::uint32_t expand_stream(implode_work_area *work) {
    stream_expander expander(work);
    return expander.run();
}

// The fast loop's writes past a token that starts at the block's last
// starting index stay inside the window: two chunks and a literal pair.
static_assert(2 * implode_block_size - 2 + 32 + 2 <= implode_window_size);

} // namespace

int implode_decode(implode_read_callback read_cb, implode_write_callback write_cb,
                   implode_work_area *work, void *param) {
    work->read_cb = read_cb;
    work->write_cb = write_cb;
    work->param = param;

    if (call_read(work) <= 4) {
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
    if constexpr (whole_token_lookup) {
        build_token_table(work);
    }

    const std::uint32_t v = expand_stream(work);
    return v == error_value ? implode_truncated : implode_ok;
}
