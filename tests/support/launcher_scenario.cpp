#include "launcher_scenario.h"

#include <algorithm>
#include <sstream>

namespace scenario {

testing::AssertionResult same_calls(const std::vector<std::string> &expected,
                                    const std::vector<std::string> &actual) {
    if (expected == actual)
        return testing::AssertionSuccess();
    size_t first = 0;
    while (first < expected.size() && first < actual.size() && expected[first] == actual[first])
        ++first;
    std::ostringstream out;
    out << "calls differ from entry " << first << " on (expected | actual):\n";
    for (size_t i = first; i < std::max(expected.size(), actual.size()); ++i) {
        out << "  " << i << ": " << (i < expected.size() ? expected[i] : "(none)") << "\n"
            << "  " << std::string(std::to_string(i).size(), ' ') << "  "
            << (i < actual.size() ? actual[i] : "(none)") << "\n";
    }
    return testing::AssertionFailure() << out.str();
}

testing::AssertionResult calls_match(const std::vector<sim::Expected> &table,
                                     const std::vector<sim::Call> &log, sim::Between between) {
    sim::SequenceCheck check = sim::check_sequence(table, log, between);
    if (check.matched)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the calls do not match the table:\n" << check.report;
}

std::vector<sim::Call> top_level_calls() {
    std::vector<sim::Call> out;
    for (const sim::Call &c : sim::calls())
        if (c.depth == 1)
            out.push_back(c);
    return out;
}

std::vector<std::string> top_level_call_texts() {
    std::vector<std::string> out;
    for (const sim::Call &c : top_level_calls())
        out.push_back(c.text());
    return out;
}

void expect_no_faults() {
    EXPECT_TRUE(sim::faults().empty()) << "first fault: " << sim::faults().front();
}

} // namespace scenario
