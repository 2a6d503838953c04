// The explorer's one source of randomness: a small generator (splitmix64)
// whose output depends on nothing but its seed, so that a seed names a run on
// any machine and with any standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace explore {

class RandomSource {
  public:
    explicit RandomSource(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // A number in [0, bound); 0 for a bound of 0. The bias of the modulo is
    // far below anything a run could show.
    uint64_t below(uint64_t bound) { return bound == 0 ? 0 : next() % bound; }
    // A number in [low, high].
    uint64_t between(uint64_t low, uint64_t high) { return low + below(high - low + 1); }
    // True in `numerator` of `denominator` draws.
    bool chance(uint64_t numerator, uint64_t denominator) { return below(denominator) < numerator; }

    template <class T> const T &pick(const std::vector<T> &items) {
        return items[static_cast<size_t>(below(items.size()))];
    }
    template <class T> T pick(std::initializer_list<T> items) {
        return items.begin()[below(items.size())];
    }

  private:
    uint64_t state_;
};

} // namespace explore
