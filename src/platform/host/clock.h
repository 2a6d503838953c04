// Virtual time and the scripted events that happen at their moments.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace sim::detail {

struct Event {
    uint64_t at;
    uint64_t order; // events due at one moment happen in the order they were scheduled
    std::function<void()> action;
};

struct Clock {
    uint64_t now = 0;
    uint64_t messages_at_this_time = 0; // guards against loops that never end
    uint64_t next_order = 0;
    std::vector<Event> events; // kept sorted by (at, order)
};

// Past this much virtual time a run is taken to hang.
inline constexpr uint64_t time_limit_ms = 24ull * 3600 * 1000;
// More messages than this at one virtual moment means a loop that never ends.
inline constexpr uint64_t busy_limit = 1000000;

void schedule(uint64_t at, std::function<void()> action);
// Moves virtual time forward to t, firing the scripted events due on the way.
void advance_to(uint64_t t);
bool has_future_event();
uint64_t next_event_time();
uint64_t now();

} // namespace sim::detail
