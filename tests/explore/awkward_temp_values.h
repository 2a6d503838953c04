// TEMP values a launcher meets on real machines, the ordinary and the
// awkward, and the temp directory each one gives the launcher.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace explore {

struct TempValue {
    std::string intent;
    std::optional<std::string> value; // nullopt: TEMP is not set at all
    // Whether the folder can be made in the simulated desktop (a known
    // drive and a path whose names fit the host's file system).
    bool folder_can_exist = true;
};

const std::vector<TempValue> &awkward_temp_values();
// The everyday value, drawn more often than the others so that most runs get
// through start-up.
const TempValue &usual_temp_value();

// The directory the launcher works in for a TEMP value: the first 259
// characters less one trailing backslash, or c:\temp when TEMP is unset or
// empty.
std::string temp_directory_for(const std::optional<std::string> &value);

// The drive letter a directory names ("C:..."), upper case, or 0.
char drive_of(const std::string &directory);

} // namespace explore
