// Implode stream decoder.
//
// An implode stream is a two-byte header followed by a bit stream:
//   byte 0  literal mode: 0 = binary literals, 1 = ASCII-coded literals
//   byte 1  dictionary-size bits k: 4, 5 or 6 (dictionary of 64 << k bytes)
//   then    tokens, bits taken from each byte least significant bit first:
//           literal  0 bit, then the byte (8 plain bits, or its ASCII code)
//           copy     1 bit, length code + extra bits, distance code + low bits
//                    (2 low bits for repeat length 2, else k)
//           end      1 bit, length symbol 15 with extra value 255
//
// implode_decode pulls compressed bytes through a read callback (2048 bytes
// wanted per call) and pushes decoded bytes through a write callback in blocks
// of 4096 bytes, followed by one final write of the remainder (0 to 4095).  All
// state lives in the caller's work area; the decoder allocates nothing, calls
// no platform service and keeps no static mutable state.
#pragma once

#include <cstdint>

// Read callback: `buffer` is the work area's input buffer, `*size` holds the
// number of bytes wanted (always 2048).  Place up to that many bytes at the
// start of the buffer and return how many were placed; 0 means the input has
// ended (no further read follows).  The decoder never reads `*size` back.
// A return value above 2048 is outside the contract; the decoder clamps it to
// 2048 and uses the first 2048 bytes.
// Matches: uint32_t on_decoder_read(uint8_t* buffer, uint32_t* size, void* param)
using implode_read_callback = std::uint32_t (*)(std::uint8_t *buffer, std::uint32_t *size,
                                                void *param);

// Write callback: `buffer` points at the decoded bytes, `*size` holds their
// count (4096 for a full block, 0 to 4095 for the final call).  The bytes
// must be taken before returning.  The result is ignored, as is `*size`
// afterwards.
// Matches: int on_decoder_write(uint8_t* buffer, uint32_t* size, void* param)
using implode_write_callback = int (*)(std::uint8_t *buffer, std::uint32_t *size, void *param);

// Sizes of the work area's buffers.
inline constexpr std::uint32_t implode_input_size = 2048;
inline constexpr std::uint32_t implode_block_size = 4096;
// History (4096) + block being decoded (4096) + the tail of a 518-byte copy
// that starts at the block's last index (517).
inline constexpr std::uint32_t implode_window_size = 8709;
// Entries of the whole-token lookup: one for every value of 12 stream bits.
inline constexpr std::uint32_t implode_token_table_bits = 12;
inline constexpr std::uint32_t implode_token_table_size = 1u << implode_token_table_bits;

// Decoder work area.  Provide it zero-filled before its first use; it may be
// reused for later streams.  Until a stream's output passes 4096 bytes, a
// copy that reaches before the start of the output reads indices 0..4095 of
// `window` as the work area holds them (zeros when fresh, otherwise what the
// previous stream left there).
struct implode_work_area {
    std::uint32_t literal_mode; // header byte 0
    std::uint32_t window_pos;   // index in window of the next decoded byte
    std::uint32_t dict_bits;    // header byte 1 (k)
    std::uint32_t dict_mask;    // 2^k - 1
    std::uint32_t bit_buffer;   // unconsumed stream bits, next bit is bit 0
    std::uint32_t spare_bits;   // valid bits held above the low 8, 0..7
    std::uint32_t input_pos;    // next unread byte of input_buffer; 2048 during a read
    std::uint32_t input_count;  // bytes the last read placed in input_buffer
    void *param;                // caller parameter passed to both callbacks
    implode_read_callback read_cb;
    implode_write_callback write_cb;
    std::uint8_t window[implode_window_size]; // 0..4095 history, 4096..8191 block, tail
    std::uint8_t input_buffer[implode_input_size];
    std::uint8_t distance_lookup[256];
    std::uint8_t length_lookup[256];
    std::uint8_t ascii_lookup_low8[256];
    std::uint8_t ascii_lookup_skip4[256];
    std::uint8_t ascii_lookup_skip6[128];
    std::uint8_t ascii_lookup_skip8[256];
    std::uint8_t ascii_bits[256];   // ascii_code_bits, long codes reduced by the ASCII build
    std::uint8_t distance_bits[64]; // copy of distance_code_bits
    std::uint8_t length_bits[16];   // copy of length_code_bits
    std::uint8_t length_extra[16];  // copy of length_extra_bits
    std::uint16_t length_base[16];  // copy of length_bases
    // Not needed to follow the stream, only to decode it quickly: a lookup
    // that resolves most tokens from their first 12 bits in one access (see
    // implode_token_table.h), built after the lookups above unless the work
    // area already holds it for the stream's literal mode and dictionary
    // bits (token_table_key, 0 for none); and a copy of the bytes each read
    // delivered, followed by room that lets the decoder load 8 bytes at a
    // time up to the last of them.
    std::uint32_t token_table_key;
    std::uint32_t token_table[implode_token_table_size];
    std::uint8_t input_copy[implode_input_size + 16];
};

// Result codes of implode_decode.
enum implode_result : int {
    implode_ok = 0,               // end marker decoded; all output written
    implode_bad_dictionary = 1,   // header byte 1 is not 4, 5 or 6; nothing written
    implode_bad_literal_mode = 2, // header byte 0 is neither 0 nor 1; nothing written
    implode_short_input = 3,      // first read delivered 4 bytes or fewer; nothing written
    implode_truncated = 4,        // input ended before the end marker; completed tokens written
};

// Decodes one stream.  Callback order: one read at the start; further reads
// whenever a byte is needed and the input buffer is used up, until one returns
// 0; a write of 4096 bytes each time a block is complete; one final write just
// before returning implode_ok or implode_truncated (also when its size is 0).
// Results 1 to 3 return after the first read with no write.  Header checks are
// made in the order 3, 1, 2.
int implode_decode(implode_read_callback read_cb, implode_write_callback write_cb,
                   implode_work_area *work, void *param);

namespace implode {

// Decoder values reported for a token: 0..255 literal, 256..772 copy (repeat
// length = value - 254), end marker, and the decoder's own error value.
inline constexpr std::uint32_t end_value = 773;
inline constexpr std::uint32_t error_value = 774;

} // namespace implode
