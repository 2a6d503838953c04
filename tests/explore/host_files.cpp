#include "host_files.h"

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace explore {

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

} // namespace explore
