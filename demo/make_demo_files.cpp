// Writes the generated demo payload inputs.
//
//   make_demo_files data OUT        the demo data file
//   make_demo_files installer OUT   the stand-in installer executable
//
// Exit codes: 0 written, 64 usage, 73 the file could not be written.
#include "demo_content.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr const char *usage_text = "usage: make_demo_files data|installer OUT\n";

// Writes beside OUT and renames into place, so that a build step reading OUT
// never sees it half written, and a failed write leaves no file.
bool write_file(const char *path, const std::vector<std::uint8_t> &content) {
    const std::string partial = std::string(path) + ".partial";
    std::FILE *file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    if (std::fclose(file) == 0 && written && std::rename(partial.c_str(), path) == 0)
        return true;
    const int error = errno;
    std::remove(partial.c_str());
    errno = error;
    return false;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fputs(usage_text, stderr);
        return 64;
    }
    const std::string_view kind = argv[1];
    std::vector<std::uint8_t> content;
    if (kind == "data") {
        content = demo::make_demo_data();
    } else if (kind == "installer") {
        content = demo::make_stand_in_installer();
    } else {
        std::fputs(usage_text, stderr);
        return 64;
    }
    if (!write_file(argv[2], content)) {
        std::fprintf(stderr, "make_demo_files: cannot write '%s': %s\n", argv[2],
                     std::strerror(errno));
        return 73;
    }
    return 0;
}
