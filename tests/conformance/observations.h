// What a conformance scenario observes, one line at a time, and the table it
// is checked against. The same tables hold for the simulated desktop and for
// Windows (run under Wine): a row that only one of them is known to show is
// optional, and its note says which and why.
#pragma once

#include <string>
#include <vector>

namespace conformance {

struct Row {
    std::string line;
    bool optional = false;
    const char *note = "";   // where Wine and Windows (or the desktop) differ, and why
    std::string wine_line{}; // what Wine shows instead, where it is known to differ
};

struct Scenario {
    const char *name;
    const char *claim; // what about Windows the launcher relies on
    std::vector<Row> table;
    void (*run)(std::vector<std::string> &observed);
};

// Observed lines must follow the table in order, each matching its row; an
// optional row may be missing, any other difference fails. The report shows
// both side by side.
bool matches(const std::vector<Row> &table, const std::vector<std::string> &observed,
             bool under_wine, std::string &report);

std::vector<Scenario> message_scenarios();
std::vector<Scenario> delivery_scenarios();
std::vector<Scenario> file_scenarios();
std::vector<Scenario> process_scenarios();
std::vector<Scenario> resource_scenarios();

} // namespace conformance
