// The whole-token lookup: most tokens resolved from their first 12 bits.
//
// The decoder's fast loop looks up the low 12 bits of its bit buffer and,
// for most tokens, learns everything but the values of the bits that follow
// the codes: how many bits the token takes, how many bytes it writes, the
// copy distance without its low bits, and how many low bits there are (they
// are always the token's last bits).
//
// Entry layout:
//   bits  0-5   bits the whole token takes, distance low bits included
//   bits  8-15  bytes written: the repeat length, or 1 or 2 literals
//   bits 16-21  64 minus the number of distance low bits: 2 for a repeat
//               length of 2, else the dictionary bits
//   bits 22-31  distance base / 4: the distance's high part shifted left by
//               the number of low bits (the distance minus 1 and its low
//               bits), always a multiple of 4
//
// A copy of up to 32 bytes whose length code and extra bits lie within the
// 12 bits but whose distance code does not has an entry that takes 0 bits,
// with bits 22-31 giving where its distance code starts; the decoder
// resolves that code through distance_lookup.  Any other token the 12 bits
// do not resolve (a long ASCII code, a longer copy, the end marker) has an
// entry of 0 and is decoded the long way through the byte-indexed lookups.
//
// Literals take part in the same arithmetic so that the fast loop needs no
// branch between literals and copies: a literal's "distance" points well
// inside the history, so the copy the loop makes for every token reads
// harmless window bytes, and the loop then stores the literal over the
// copy's first bytes.  Its entry claims one low bit (the token's last bit),
// which moves that distance by at most 1.  In binary literal mode an entry
// covers one literal, or two when the second flag bit (bit 9) is 0 too, and
// the bytes come from the bit buffer.  In ASCII literal mode an entry covers
// one literal whose code has at most 11 bits: bits 6-7 hold the literal's
// low 2 bits and the low 6 bits of the distance base / 4 its high 6 bits.
#pragma once

#include <cstdint>

#include "implode/implode_decoder.h"

namespace implode {

inline constexpr std::uint32_t token_bits_mask = 63;
// The longest copy an entry describes.
inline constexpr std::uint32_t token_table_max_length = 32;
// The most bits a token that an entry resolves takes: 12 bits of codes and
// 6 distance low bits.  A copy whose distance code lies past the 12 bits
// takes up to 26.
inline constexpr std::uint32_t max_resolved_token_bits = 18;
inline constexpr std::uint32_t max_copy_token_bits = 26;
// A literal entry's distance base / 4 (an ASCII one adds the literal's high
// 6 bits).
inline constexpr std::uint32_t literal_distance_base = 0x100;

struct token_entry_fields {
    std::uint32_t bits;          // bits the token takes
    std::uint32_t length;        // bytes written
    std::uint32_t distance_base; // distance - 1 without the low bits, / 4
    std::uint32_t low_bits;      // number of distance low bits
};

constexpr std::uint32_t token_entry(const token_entry_fields &f) {
    return f.bits | f.length << 8 | (64 - f.low_bits) << 16 | f.distance_base << 22;
}

// The literal of an ASCII literal entry.
constexpr std::uint32_t ascii_entry(std::uint32_t bits, std::uint32_t literal) {
    return token_entry({bits, 1, literal_distance_base | literal >> 2, 1}) | (literal & 3) << 6;
}
constexpr std::uint8_t ascii_entry_literal(std::uint32_t entry) {
    return static_cast<std::uint8_t>((entry >> 20 & 0xFC) | (entry >> 6 & 3));
}

// Fills work->token_table for the stream's literal mode and dictionary bits
// (work->literal_mode, work->dict_bits) from the working copies of the code
// tables, unless work->token_table_key says that it holds that table.
void build_token_table(implode_work_area *work);

} // namespace implode
