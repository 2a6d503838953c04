// Reading whole files quickly: the carried files on the host, and files in
// the simulated desktop's sandbox. sim::read_file goes through a stream
// iterator a byte at a time, which in the sanitized build costs about a third
// of a second for the 3 MB data file: several times a whole launcher run.
#pragma once

#include <optional>
#include <string>

namespace explore {

std::optional<std::string> read_host_file(const std::string &host_path);

// A file of the simulated desktop by its absolute Windows path ("X:\..."),
// found in the sandbox the way the desktop maps paths: one folder per drive,
// names matched without regard to case. Nothing when there is no such file.
std::optional<std::string> read_desktop_file(const std::string &windows_path);

} // namespace explore
