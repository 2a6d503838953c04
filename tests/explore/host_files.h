// Reads a whole file of the host, such as the files the launcher carries;
// nothing when it is not a readable regular file.
#pragma once

#include <optional>
#include <string>

namespace explore {

std::optional<std::string> read_host_file(const std::string &host_path);

} // namespace explore
