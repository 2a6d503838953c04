#include "call_log_reading.h"

#include <cctype>
#include <cstdlib>

namespace explore {

bool same_path(const std::string &a, const std::string &b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string quoted_in_log(const std::string &text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

long leading_number(const std::string &text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

bool call_succeeded(const sim::Call &call) {
    return call.result.rfind("TRUE", 0) == 0;
}

bool is_file_call(const sim::Call &call) {
    return call.name == "_open" || call.name == "_write" || call.name == "_close" ||
           call.name == "DeleteFileA" || call.name == "MoveFileA" || call.name == "CreateProcessA";
}

bool touches_path(const sim::Call &call, const std::string &path) {
    return is_file_call(call) && call.path && same_path(*call.path, path);
}

void OpenDescriptors::replay(const sim::Call &call) {
    if (call.name == "_open" && call.path) {
        const long descriptor = leading_number(call.result);
        if (descriptor >= 0)
            open_[descriptor] = *call.path;
    } else if (call.name == "_close") {
        open_.erase(leading_number(call.args));
    }
}

bool OpenDescriptors::holds(const std::string &path) const {
    for (const auto &[descriptor, open_path] : open_)
        if (same_path(open_path, path))
            return true;
    return false;
}

std::vector<size_t> calls_named(const std::string &name) {
    std::vector<size_t> out;
    const std::vector<sim::Call> &log = sim::calls();
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].name == name)
            out.push_back(i);
    return out;
}

} // namespace explore
