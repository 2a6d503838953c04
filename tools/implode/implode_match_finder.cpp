// Hash chains and the pair table of the implode encoder.
#include "implode_match_finder.h"

#include <algorithm>
#include <cstring>

namespace implode {
namespace {

// Below this many positions, forgetting an input position by position is
// cheaper than clearing the tables whole.
constexpr std::uint32_t forget_one_by_one = 4096;

} // namespace

match_finder::match_finder(unsigned chain_depth, unsigned hash_bits, unsigned pair_bits,
                           unsigned nice_length)
    : depth_(chain_depth), nice_(nice_length), hash_shift_(32 - hash_bits),
      pair_shift_(32 - pair_bits), pair_hashed_(pair_bits < 16), head_(1u << hash_bits, no_pos),
      prev_(chain_size, no_pos), last_pair_(1u << pair_bits, no_pos) {}

void match_finder::start(unsigned window) {
    if (!clean_) {
        std::fill(head_.begin(), head_.end(), no_pos);
        std::fill(last_pair_.begin(), last_pair_.end(), no_pos);
    }
    clean_ = false;
    data_ = nullptr;
    window_ = window;
    available_ = 0;
    limit_ = 0;
    inserted_ = 0;
    rebased_ = false;
}

void match_finder::finish() {
    if (clean_) {
        return;
    }
    if (rebased_ || inserted_ > forget_one_by_one) {
        std::fill(head_.begin(), head_.end(), no_pos);
        std::fill(last_pair_.begin(), last_pair_.end(), no_pos);
    } else {
        // Chains are reached only through the heads, so the links may stay.
        for (std::uint32_t p = 0; p < inserted_; ++p) {
            if (p + 1 < available_) {
                last_pair_[pair_slot(p)] = no_pos;
            }
            if (p + 2 < available_) {
                head_[hash3(p)] = no_pos;
            }
        }
    }
    clean_ = true;
}

void match_finder::rebase(std::uint32_t shift) {
    auto move_down = [shift](std::vector<std::int32_t> &table) {
        for (std::int32_t &p : table) {
            p = p != no_pos && static_cast<std::uint32_t>(p) >= shift
                    ? static_cast<std::int32_t>(static_cast<std::uint32_t>(p) - shift)
                    : no_pos;
        }
    };
    move_down(head_);
    move_down(prev_);
    move_down(last_pair_);
    inserted_ -= shift;
    rebased_ = true;
}

unsigned match_finder::common_length(const std::uint8_t *a, const std::uint8_t *b, unsigned limit) {
    unsigned len = 0;
    while (len + 8 <= limit) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y) {
            return len + static_cast<unsigned>(__builtin_ctzll(x ^ y) >> 3);
        }
        len += 8;
    }
    while (len < limit && a[len] == b[len]) {
        ++len;
    }
    return len;
}

} // namespace implode
