// payload_figures: the build's generated sources for the payloads a launcher
// carries.
//
//   payload_figures header INSTALLER INSTALLER_STREAM DATA DATA_STREAM OUT.h
//       The figures header (payload/payload_figures.h): the compressed lengths,
//       the free-space threshold, the progress scale, and each payload's decoded
//       size and CRC-32. Checks first that the launcher can carry payloads of
//       these sizes, and that each stream decodes to exactly its input file.
//   payload_figures data-header DATA OUT.h
//       Size and CRC-32 of the data file, for the installer that checks it.
//   payload_figures embed NAME STREAM OUT.cpp
//       A C++ source defining `const unsigned char NAME[]` with the stream's bytes.
//
// Output appears only when complete. Exit codes: 0 written, 64 usage, 65 a
// payload the launcher cannot carry or a stream that does not decode to its
// input, 66 an input that cannot be read, 73 the output cannot be written.
#include "payload_limits.h"
#include "stream_check.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

constexpr int exit_usage = 64;
constexpr int exit_bad_payload = 65;
constexpr int exit_no_input = 66;
constexpr int exit_cant_create = 73;

constexpr const char *usage_text =
    "usage: payload_figures header INSTALLER INSTALLER_STREAM DATA DATA_STREAM OUT.h\n"
    "       payload_figures data-header DATA OUT.h\n"
    "       payload_figures embed NAME STREAM OUT.cpp\n";

int fail(int code, const std::string &message) {
    std::fprintf(stderr, "payload_figures: %s\n", message.c_str());
    return code;
}

// The size of a file that must exist, or a failure exit code.
int file_size(const std::string &path, std::uint64_t &size) {
    std::error_code error;
    size = std::filesystem::file_size(path, error);
    if (error)
        return fail(exit_no_input, "cannot read '" + path + "': " + error.message());
    return 0;
}

// Writes `text` to `path` through a temporary file, so that a failed run
// leaves no output that looks complete.
int write_output(const std::string &path, const std::string &text) {
    const std::string temporary = path + ".part";
    std::error_code error;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            const int code =
                fail(exit_cant_create, "cannot write '" + temporary + "': " + std::strerror(errno));
            std::filesystem::remove(temporary, error);
            return code;
        }
    }
    std::filesystem::rename(temporary, path, error);
    if (error) {
        const int code = fail(exit_cant_create, "cannot write '" + path + "': " + error.message());
        std::filesystem::remove(temporary, error);
        return code;
    }
    return 0;
}

std::string file_name(const std::string &path) {
    return std::filesystem::path(path).filename().string();
}

std::string hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08Xu", value);
    return text;
}

int write_figures_header(const std::vector<std::string> &args) {
    const std::string &installer = args[0];
    const std::string &installer_stream = args[1];
    const std::string &data = args[2];
    const std::string &data_stream = args[3];

    payload_sizes sizes{};
    for (auto [path, size] :
         {std::pair{&installer, &sizes.installer_decoded},
          std::pair{&installer_stream, &sizes.installer_stream},
          std::pair{&data, &sizes.data_decoded}, std::pair{&data_stream, &sizes.data_stream}}) {
        if (int code = file_size(*path, *size); code != 0)
            return code;
    }
    // Sizes first: they need no reading, and a payload too large to carry is
    // refused before anything is decoded.
    if (std::string problem = payload_size_problem(sizes); !problem.empty())
        return fail(exit_bad_payload, problem);

    decoded_figures installer_figures;
    decoded_figures data_figures;
    std::string error;
    if (!check_stream_decodes_to(installer_stream, installer, installer_figures, error) ||
        !check_stream_decodes_to(data_stream, data, data_figures, error))
        return fail(exit_bad_payload, error);

    std::ostringstream h;
    h << "// Figures that follow from the two payloads this launcher carries. Generated\n"
         "// by the build from "
      << file_name(installer) << " (installer) and " << file_name(data)
      << " (data);\n"
         "// change the inputs, not this file.\n"
         "#pragma once\n"
         "\n"
         "#include <cstdint>\n"
         "\n"
         "// Compressed sizes of the installer payload (\"DATA\") and the data payload "
         "(\"DATA2\").\n"
         "inline constexpr uint32_t installer_payload_length = "
      << sizes.installer_stream
      << ";\n"
         "inline constexpr uint32_t data_payload_length = "
      << sizes.data_stream
      << ";\n"
         "\n"
         "// The temp directory's drive must have room for both.\n"
         "inline constexpr uint64_t free_space_threshold =\n"
         "    uint64_t{installer_payload_length} + data_payload_length;\n"
         "\n"
         "// Pixels of progress bar per requested compressed byte: the bar reaches 300\n"
         "// when both payloads have been requested in full.\n"
         "inline constexpr double payload_progress_scale = 300.0 / "
         "static_cast<double>(free_space_threshold);\n"
         "\n"
         "// Size and CRC-32 of what each payload decodes to: the installer executable\n"
         "// and the data file.\n"
         "inline constexpr uint32_t installer_decoded_size = "
      << installer_figures.size
      << ";\n"
         "inline constexpr uint32_t installer_decoded_crc32 = "
      << hex32(installer_figures.crc32)
      << ";\n"
         "inline constexpr uint32_t data_decoded_size = "
      << data_figures.size
      << ";\n"
         "inline constexpr uint32_t data_decoded_crc32 = "
      << hex32(data_figures.crc32) << ";\n";
    return write_output(args[4], h.str());
}

int write_data_header(const std::vector<std::string> &args) {
    const std::string &data = args[0];
    std::uint64_t size = 0;
    if (int code = file_size(data, size); code != 0)
        return code;
    if (std::string problem = input_size_problem("data", size); !problem.empty())
        return fail(exit_bad_payload, problem);
    decoded_figures figures;
    std::string error;
    if (!measure_file(data, figures, error))
        return fail(exit_no_input, error);

    std::ostringstream h;
    h << "// The data file that the launcher writes, as the installer expects to find it\n"
         "// once it is complete. Generated by the build from "
      << file_name(data)
      << ".\n"
         "#pragma once\n"
         "\n"
         "#include <cstdint>\n"
         "\n"
         "inline constexpr uint32_t expected_data_size = "
      << figures.size
      << ";\n"
         "inline constexpr uint32_t expected_data_crc32 = "
      << hex32(figures.crc32) << ";\n";
    return write_output(args[1], h.str());
}

bool is_identifier(std::string_view name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    for (char c : name) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !(c >= '0' && c <= '9') && c != '_')
            return false;
    }
    return true;
}

int write_byte_array(const std::vector<std::string> &args) {
    const std::string &name = args[0];
    const std::string &stream = args[1];
    if (!is_identifier(name))
        return fail(exit_usage, "'" + name + "' is not a C++ name");
    std::ifstream in(stream, std::ios::binary);
    if (!in)
        return fail(exit_no_input, "cannot open '" + stream + "': " + std::strerror(errno));
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    if (in.bad())
        return fail(exit_no_input, "cannot read '" + stream + "'");

    // One string literal in hexadecimal escapes: it compiles far faster than a
    // list of numbers. Its terminating zero is one byte past the payload.
    std::string source = "// The bytes of " + file_name(stream) +
                         ", generated by the build.\n"
                         "#include \"embedded_payloads.h\"\n"
                         "\n"
                         "const unsigned char " +
                         name + "[] =\n";
    static constexpr char digits[] = "0123456789abcdef";
    constexpr std::size_t per_line = 32;
    source.reserve(source.size() + bytes.size() * 4 + bytes.size() / per_line * 3 + 16);
    for (std::size_t i = 0; i < bytes.size(); i += per_line) {
        source += '"';
        for (std::size_t j = i; j < i + per_line && j < bytes.size(); ++j) {
            const auto b = static_cast<unsigned char>(bytes[j]);
            source += "\\x";
            source += digits[b >> 4];
            source += digits[b & 15];
        }
        source += "\"\n";
    }
    if (bytes.empty())
        source += "\"\"\n";
    source += ";\n";
    return write_output(args[2], source);
}

} // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> args(argv + (argc > 1 ? 2 : argc), argv + argc);
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "header" && args.size() == 5)
        return write_figures_header(args);
    if (command == "data-header" && args.size() == 2)
        return write_data_header(args);
    if (command == "embed" && args.size() == 3)
        return write_byte_array(args);
    std::fputs(usage_text, stderr);
    return exit_usage;
}
