#include "observations.h"

#include <algorithm>

namespace conformance {

namespace {
std::string side_by_side(const std::string &left, const std::string &right) {
    constexpr size_t width = 44;
    std::string l = left.size() > width ? left.substr(0, width) : left;
    return "    " + l + std::string(width - l.size(), ' ') + " | " + right + "\n";
}
} // namespace

bool matches(const std::vector<Row> &rows, const std::vector<std::string> &observed,
             bool under_wine, std::string &report) {
    std::vector<Row> table = rows;
    for (Row &row : table)
        if (under_wine && !row.wine_line.empty())
            row.line = row.wine_line;
    report = side_by_side("expected", "observed");
    size_t row = 0, line = 0;
    bool ok = true;
    while (row < table.size() || line < observed.size()) {
        if (row < table.size() && line < observed.size() && table[row].line == observed[line]) {
            report += side_by_side(table[row].line, observed[line]);
            ++row;
            ++line;
        } else if (row < table.size() && table[row].optional) {
            report += side_by_side(table[row].line + " (optional)", "");
            ++row;
        } else {
            ok = false;
            report +=
                side_by_side(row < table.size() ? table[row].line : "",
                             (line < observed.size() ? observed[line] : "") + "   <-- differs");
            // Show the rest as it is.
            for (++row, ++line; row < table.size() || line < observed.size(); ++row, ++line)
                report += side_by_side(row < table.size() ? table[row].line : "",
                                       line < observed.size() ? observed[line] : "");
        }
    }
    return ok;
}

} // namespace conformance
