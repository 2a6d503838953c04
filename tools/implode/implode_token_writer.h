// Writes implode tokens with the fixed codes, and knows what each costs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "implode/implode_tables.h"
#include "implode_encoder.h"
#include "implode_match_finder.h"

namespace implode {

// Fixed code costs in bits, and the length symbol of every repeat length.
struct code_costs {
    std::array<std::uint8_t, max_match + 1> length_symbol{};
    std::array<std::uint32_t, max_match + 1> length_bits{}; // flag + code + extra
    std::array<std::uint32_t, 256> literal_bits{};          // flag + literal code
    unsigned dict_bits;

    code_costs(literal_coding coding, unsigned k);

    std::uint32_t distance_bits(unsigned length, unsigned distance) const {
        const unsigned low = length == 2 ? 2 : dict_bits;
        return distance_code_bits[(distance - 1) >> low] + low;
    }
    std::uint32_t copy_bits(unsigned length, unsigned distance) const {
        return length_bits[length] + distance_bits(length, distance);
    }
};

// Packs bit fields least significant bit first and hands the bytes to the
// output in blocks.
class bit_sink {
  public:
    explicit bit_sink(const write_function &write) : write_(write) {}

    void put(std::uint32_t value, unsigned count) {
        acc_ |= static_cast<std::uint64_t>(value) << fill_;
        fill_ += count;
        if (fill_ >= 32) {
            for (int i = 0; i < 4; ++i) {
                out_.push_back(static_cast<std::uint8_t>(acc_ >> (8 * i)));
            }
            acc_ >>= 32;
            fill_ -= 32;
            if (out_.size() >= block) {
                flush();
            }
        }
    }

    // Writes out the last bits and pads the stream to at least 5 bytes (the
    // decoder needs more than 4 in its first read).  False when a write
    // failed, now or before.
    bool finish() {
        while (fill_ > 0) {
            out_.push_back(static_cast<std::uint8_t>(acc_));
            acc_ >>= 8;
            fill_ = fill_ > 8 ? fill_ - 8 : 0;
        }
        while (written_ + out_.size() < 5) {
            out_.push_back(0);
        }
        flush();
        return ok_;
    }

    bool ok() const { return ok_; }

  private:
    static constexpr std::size_t block = 1u << 16;

    void flush() {
        if (ok_ && !out_.empty()) {
            ok_ = write_(out_.data(), out_.size());
        }
        written_ += out_.size();
        out_.clear();
    }

    const write_function &write_;
    std::vector<std::uint8_t> out_;
    std::uint64_t written_ = 0;
    std::uint64_t acc_ = 0;
    unsigned fill_ = 0;
    bool ok_ = true;
};

class token_writer {
  public:
    token_writer(const code_costs &costs, literal_coding coding, const write_function &write);

    void literal(std::uint8_t byte) {
        if (ascii_) {
            sink_.put(static_cast<std::uint32_t>(ascii_codes[byte]) << 1,
                      1u + ascii_code_bits[byte]);
        } else {
            sink_.put(static_cast<std::uint32_t>(byte) << 1, 9);
        }
    }

    void copy(unsigned length, unsigned distance);

    // Ends the stream with the end marker.  False when a write failed.
    bool finish();

    bool ok() const { return sink_.ok(); }

  private:
    const code_costs &costs_;
    bool ascii_;
    bit_sink sink_;
};

} // namespace implode
