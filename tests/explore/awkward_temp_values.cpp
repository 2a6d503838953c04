#include "awkward_temp_values.h"

#include <algorithm>
#include <cctype>

namespace explore {

namespace {

// "C:\" and one folder name, `length` characters in all.
std::string single_folder_path(size_t length) {
    return "C:\\" + std::string(length - 3, 't');
}

// A path of `length` characters made of names short enough for any file
// system.
std::string long_nested_path(size_t length) {
    std::string path = "C:";
    while (path.size() < length)
        path += "\\" + std::string(std::min<size_t>(60, length - path.size() - 1), 'n');
    return path;
}

} // namespace

const std::vector<TempValue> &awkward_temp_values() {
    static const std::vector<TempValue> values = {
        {"the usual folder", "C:\\WINDOWS\\TEMP"},
        {"lower case", "c:\\windows\\temp"},
        {"one trailing backslash", "C:\\WINDOWS\\TEMP\\"},
        {"two trailing backslashes", "C:\\WINDOWS\\TEMP\\\\"},
        {"not set", std::nullopt},
        {"empty", ""},
        {"blanks inside", "C:\\Documents and Settings\\me\\Local Settings\\Temp"},
        {"only blanks", "   ", false},
        {"a leading blank", " C:\\TEMP", false},
        {"a percent sign", "C:\\Temp\\100% sure"},
        {"a variable's name between percent signs", "C:\\Temp\\%USERNAME%"},
        {"232 characters", single_folder_path(232)},
        {"233 characters", single_folder_path(233)},
        {"233 characters ending in a backslash", single_folder_path(232) + "\\"},
        {"300 characters", long_nested_path(300), false},
        {"a lone backslash", "\\", false},
        {"another drive", "D:\\TEMP"},
        {"a drive that does not exist", "Q:\\TEMP", false},
        {"the root of the drive", "C:\\"},
        {"a folder that does not exist", "C:\\No Such Folder", false},
        {"a relative name", "temp", false},
    };
    return values;
}

const TempValue &usual_temp_value() {
    return awkward_temp_values().front();
}

std::string temp_directory_for(const std::optional<std::string> &value) {
    if (!value || value->empty())
        return "c:\\temp";
    std::string directory = value->substr(0, 259);
    if (directory.back() == '\\')
        directory.pop_back();
    return directory;
}

char drive_of(const std::string &directory) {
    if (directory.size() < 2 || directory[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>(directory[0])))
        return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(directory[0])));
}

} // namespace explore
