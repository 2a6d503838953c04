// Test-only writer of hand-made implode streams, token by token.  Kept apart
// from the encoder on purpose: tests build exact streams with it, including
// streams the encoder would never produce.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "implode/implode_tables.h"

namespace implode_test {

class bit_writer {
  public:
    // Starts a stream with its two header bytes.
    bit_writer(std::uint8_t literal_mode, std::uint8_t dict_bits)
        : dict_bits_(dict_bits), ascii_(literal_mode == 1) {
        bytes_.push_back(literal_mode);
        bytes_.push_back(dict_bits);
    }

    // Appends `count` bits of `value`, least significant bit first.
    bit_writer &bits(std::uint32_t value, unsigned count) {
        for (unsigned i = 0; i < count; ++i) {
            if (fill_ == 0) {
                bytes_.push_back(0);
            }
            bytes_.back() =
                static_cast<std::uint8_t>(bytes_.back() | (((value >> i) & 1u) << fill_));
            fill_ = (fill_ + 1) & 7;
        }
        return *this;
    }

    bit_writer &literal(std::uint8_t byte) {
        bits(0, 1);
        if (ascii_) {
            return bits(implode::ascii_codes[byte], implode::ascii_code_bits[byte]);
        }
        return bits(byte, 8);
    }

    bit_writer &literals(std::string_view text) {
        for (char c : text) {
            literal(static_cast<std::uint8_t>(c));
        }
        return *this;
    }

    // A copy of `length` bytes (2..518) from `distance` bytes back.
    bit_writer &copy(unsigned length, unsigned distance) {
        if (length < 2 || length > 518) {
            throw std::invalid_argument("repeat length out of range");
        }
        unsigned s = 15;
        while (implode::length_bases[s] + 2u > length) {
            --s;
        }
        bits(1, 1);
        bits(implode::length_codes[s], implode::length_code_bits[s]);
        bits(length - 2 - implode::length_bases[s], implode::length_extra_bits[s]);
        const unsigned low_bits = length == 2 ? 2 : dict_bits_;
        const unsigned d = distance - 1;
        const unsigned h = d >> low_bits;
        if (distance == 0 || h > 63) {
            throw std::invalid_argument("distance out of range");
        }
        bits(implode::distance_codes[h], implode::distance_code_bits[h]);
        return bits(d & ((1u << low_bits) - 1), low_bits);
    }

    // Length symbol 15 with extra value 255.
    bit_writer &end_marker() {
        bits(1, 1);
        bits(implode::length_codes[15], implode::length_code_bits[15]);
        return bits(255, 8);
    }

    std::vector<std::uint8_t> bytes() const { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
    unsigned fill_ = 0; // bits used in the last byte, 0 = start a new byte
    unsigned dict_bits_;
    bool ascii_;
};

} // namespace implode_test
