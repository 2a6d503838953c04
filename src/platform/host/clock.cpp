// Virtual time: events fire in order of their time, and of their scheduling
// within one moment.
#include "platform/host/world.h"

#include <algorithm>

namespace sim::detail {

void schedule(uint64_t at, std::function<void()> action) {
    Clock &c = world().clock;
    Event e{at, c.next_order++, std::move(action)};
    auto pos =
        std::upper_bound(c.events.begin(), c.events.end(), e, [](const Event &a, const Event &b) {
            return a.at < b.at || (a.at == b.at && a.order < b.order);
        });
    c.events.insert(pos, std::move(e));
}

void advance_to(uint64_t t) {
    Clock &c = world().clock;
    const uint64_t before = c.now;
    while (!c.events.empty() && c.events.front().at <= t) {
        Event e = std::move(c.events.front());
        c.events.erase(c.events.begin());
        c.now = std::max(c.now, e.at);
        e.action();
    }
    c.now = std::max(c.now, t);
    if (c.now > before)
        c.messages_at_this_time = 0;
}

bool has_future_event() {
    return !world().clock.events.empty();
}

uint64_t next_event_time() {
    return world().clock.events.front().at;
}

uint64_t now() {
    return world().clock.now;
}

} // namespace sim::detail

namespace sim {

void at(uint64_t time_ms, std::function<void()> action) {
    detail::schedule(time_ms, std::move(action));
}

uint64_t now_ms() {
    return detail::now();
}

} // namespace sim
