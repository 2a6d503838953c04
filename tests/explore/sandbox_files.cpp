#include "sandbox_files.h"

#include "platform/host/sim.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace explore {

namespace {

bool same_name(const std::string &a, const std::string &b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::optional<fs::path> entry_named(const fs::path &folder, const std::string &name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec))
        return folder / name;
    for (const auto &entry : fs::directory_iterator(folder, ec))
        if (same_name(entry.path().filename().string(), name))
            return entry.path();
    return std::nullopt;
}

} // namespace

std::optional<std::string> read_host_file(const std::string &host_path) {
    std::error_code ec;
    if (!fs::is_regular_file(host_path, ec))
        return std::nullopt;
    FILE *in = std::fopen(host_path.c_str(), "rb");
    if (!in)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(fs::file_size(host_path, ec)), '\0');
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), in);
    std::fclose(in);
    bytes.resize(got);
    return bytes;
}

std::optional<std::string> read_desktop_file(const std::string &windows_path) {
    if (windows_path.size() < 3 || windows_path[1] != ':' || windows_path[2] != '\\' ||
        !std::isalpha(static_cast<unsigned char>(windows_path[0])))
        return sim::read_file(windows_path); // relative: the desktop resolves it
    fs::path host =
        fs::path(sim::sandbox_folder()) /
        std::string(1,
                    static_cast<char>(std::toupper(static_cast<unsigned char>(windows_path[0]))));
    std::vector<std::string> names;
    std::stringstream parts(windows_path.substr(3));
    for (std::string name; std::getline(parts, name, '\\');) {
        if (name.empty() || name == ".")
            continue;
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
            continue;
        }
        names.push_back(name);
    }
    for (const std::string &name : names) {
        std::optional<fs::path> found = entry_named(host, name);
        if (!found)
            return std::nullopt;
        host = *found;
    }
    return read_host_file(host.string());
}

} // namespace explore
