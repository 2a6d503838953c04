// Candidate copies for the implode encoder: hash chains over 3-byte
// prefixes, plus a table of the latest position of each 2-byte pair for
// repeat length 2.
//
// Positions count from the start of the encoder's input buffer.  The buffer
// holds the bytes [0, available); copies end at or before `limit`.  When the
// encoder drops the oldest bytes of its buffer it calls rebase().  The
// tables stay allocated between inputs, so a finder serves one encode after
// another without filling its tables anew each time.
#pragma once

#include <cstdint>
#include <vector>

namespace implode {

inline constexpr unsigned max_match = 518;
inline constexpr unsigned max_short_distance = 256; // repeat length 2 has 2 low distance bits

struct match {
    unsigned length = 0;
    unsigned distance = 0;
};

class match_finder {
  public:
    // Chain links are kept for the last 8192 positions: twice the largest
    // window, so a link is never overwritten while its position can still
    // be reached.
    static constexpr std::uint32_t chain_size = 8192;

    // The search stops at the first candidate of `nice_length` or more.  The
    // chains start from 2^hash_bits heads; the pair table has 2^pair_bits
    // entries (at most 16): indexed by the pair itself, or by a hash of it
    // when smaller (a smaller table stays in the first-level cache but
    // forgets a pair when another one with the same hash comes later).
    match_finder(unsigned chain_depth, unsigned hash_bits, unsigned pair_bits,
                 unsigned nice_length = max_match);

    // Starts a new input with a dictionary of `window` bytes.
    void start(unsigned window);
    // Forgets the current input's positions.  Call while the buffer still
    // holds its bytes: a short input is forgotten position by position.
    void finish();

    // The input buffer (it may have moved since the last call), the bytes
    // present and where copies must end (limit <= available).
    void set_extent(const std::uint8_t *data, std::uint32_t available, std::uint32_t limit) {
        data_ = data;
        available_ = available;
        limit_ = limit;
    }
    // The buffer's bytes moved down by `shift`, a multiple of chain_size;
    // positions below it are gone.
    void rebase(std::uint32_t shift);

    // Leaves the positions from the next one to insert up to below `pos` out
    // of the chains and the pair table.
    void skip_to(std::uint32_t pos) {
        if (inserted_ < pos) {
            inserted_ = pos;
        }
    }

    // Adds every position below `pos` that is not yet in the chains.
    void insert_up_to(std::uint32_t pos) {
        for (; inserted_ < pos; ++inserted_) {
            if (inserted_ + 1 < available_) {
                last_pair_[pair_slot(inserted_)] = static_cast<std::int32_t>(inserted_);
            }
            if (inserted_ + 2 < available_) {
                const std::uint32_t h = hash3(inserted_);
                prev_[inserted_ & (chain_size - 1)] = head_[h];
                head_[h] = static_cast<std::int32_t>(inserted_);
            }
        }
    }

    std::uint32_t max_length_at(std::uint32_t pos) const {
        return limit_ - pos < max_match ? limit_ - pos : max_match;
    }

    // Distance to the latest earlier occurrence of the 2 bytes at pos that
    // the pair table holds, when within 256; otherwise 0.
    unsigned short_distance(std::uint32_t pos) const {
        if (pos + 1 >= limit_) {
            return 0;
        }
        const std::int32_t p = last_pair_[pair_slot(pos)];
        if (p == no_pos || pos - static_cast<std::uint32_t>(p) > max_short_distance ||
            pair(static_cast<std::uint32_t>(p)) != pair(pos)) {
            return 0;
        }
        return pos - static_cast<std::uint32_t>(p);
    }

    // Calls visit(length, distance) for candidates of length 3 or more in
    // order of increasing distance, each one longer than all before it.
    // Positions below pos must have been inserted.  Returns the longest.
    template <typename Visit> match search(std::uint32_t pos, Visit &&visit) const {
        match best;
        const std::uint32_t limit = max_length_at(pos);
        if (limit < 3) {
            return best;
        }
        const std::uint8_t *cur = data_ + pos;
        std::int32_t cand = head_[hash3(pos)];
        unsigned best_len = 2;
        for (unsigned tries = depth_; cand != no_pos && tries != 0;
             --tries, cand = prev_[static_cast<std::uint32_t>(cand) & (chain_size - 1)]) {
            const std::uint32_t distance = pos - static_cast<std::uint32_t>(cand);
            if (distance > window_) {
                break;
            }
            const std::uint8_t *ref = data_ + cand;
            if (ref[best_len] != cur[best_len] || ref[0] != cur[0] || ref[1] != cur[1]) {
                continue;
            }
            const unsigned len = common_length(ref, cur, limit);
            if (len > best_len) {
                best_len = len;
                best = {len, distance};
                visit(len, distance);
                if (len >= limit || len >= nice_) {
                    break;
                }
            }
        }
        return best;
    }

  private:
    static constexpr std::int32_t no_pos = -1;

    std::uint32_t hash3(std::uint32_t pos) const {
        const std::uint8_t *p = data_ + pos;
        const std::uint32_t v = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        return (v * 2654435761u) >> hash_shift_;
    }
    std::uint32_t pair(std::uint32_t pos) const {
        return (std::uint32_t{data_[pos]} << 8) | data_[pos + 1];
    }
    std::uint32_t pair_slot(std::uint32_t pos) const {
        const std::uint32_t v = pair(pos);
        return pair_hashed_ ? (v * 2654435761u) >> pair_shift_ : v;
    }
    static unsigned common_length(const std::uint8_t *a, const std::uint8_t *b, unsigned limit);

    const std::uint8_t *data_ = nullptr;
    std::uint32_t available_ = 0;
    std::uint32_t limit_ = 0;
    unsigned window_ = 0;
    unsigned depth_;
    unsigned nice_;
    unsigned hash_shift_;
    unsigned pair_shift_;
    bool pair_hashed_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> prev_;
    std::vector<std::int32_t> last_pair_;
    std::uint32_t inserted_ = 0;
    // Set when positions were dropped from the buffer: the tables can then
    // only be forgotten by clearing them whole.
    bool rebased_ = false;
    // The heads and the pair table hold no position (false from start()
    // until finish(), also when an encode was cut short).
    bool clean_ = true;
};

} // namespace implode
