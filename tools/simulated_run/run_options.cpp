#include "run_options.h"

#include <cctype>
#include <limits>

const char run_usage[] =
    "usage: simulated_run [OPTION...] [ARGUMENTS]\n"
    "Runs the launcher with the payloads it carries in the simulated desktop, beside\n"
    "the simulated demo installer, and prints a condensed trace of the run, a summary\n"
    "and a picture of the progress window as the installer showed it.\n"
    "  --temp DIR           TEMP of the launcher (default C:\\WINDOWS\\TEMP)\n"
    "  --no-temp            TEMP not set\n"
    "  --free BYTES         free space of the temp folder's drive; a suffix K, M, G or T\n"
    "                       counts in 1024s; above 4294967295 a multiple of 4096\n"
    "  --second-instance    another launcher and its installer run already\n"
    "  --show-at MS         the installer shows the progress window MS after its start\n"
    "                       (default 0)\n"
    "  --no-show            the installer never shows the progress window\n"
    "  --write-speed BYTES  bytes the disk writes in a millisecond of virtual time\n"
    "                       (default 10000; 0: writing takes no time)\n"
    "  --full-trace         every call, without summaries\n"
    "  --picture FILE       where the progress window's picture goes\n"
    "                       (default progress-window.png)\n"
    "ARGUMENTS follow the program name on the launcher's command line; after --,\n"
    "everything is an argument.\n"
    "Exit status: 0 when the run ended and the simulated desktop saw nothing amiss,\n"
    "64 for a mistake on the command line, 70 otherwise.\n";

std::optional<uint64_t> parse_count(const std::string &text, bool suffixes) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    uint64_t value = 0;
    size_t i = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (i == text.size())
        return value;
    if (!suffixes || i + 1 != text.size())
        return std::nullopt;
    int shift = 0;
    switch (std::toupper(static_cast<unsigned char>(text[i]))) {
    case 'K':
        shift = 10;
        break;
    case 'M':
        shift = 20;
        break;
    case 'G':
        shift = 30;
        break;
    case 'T':
        shift = 40;
        break;
    default:
        return std::nullopt;
    }
    if (value > (std::numeric_limits<uint64_t>::max() >> shift))
        return std::nullopt;
    return value << shift;
}

bool parse_run_options(int argc, const char *const *argv, RunOptions &options, std::string &error) {
    bool only_arguments = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (only_arguments || option == "--") {
            if (only_arguments)
                options.arguments += (options.arguments.empty() ? "" : " ") + option;
            only_arguments = true;
            continue;
        }
        // The value of an option that takes one.
        auto value = [&](std::string &out) {
            if (i + 1 >= argc) {
                error = option + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto count = [&](uint64_t &out, bool suffixes, const char *what) {
            std::string text;
            if (!value(text))
                return false;
            std::optional<uint64_t> n = parse_count(text, suffixes);
            if (!n) {
                error = option + ": '" + text + "' is not " + what;
                return false;
            }
            out = *n;
            return true;
        };
        if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--temp") {
            if (!value(options.temp))
                return false;
            options.temp_unset = false;
        } else if (option == "--no-temp") {
            options.temp_unset = true;
        } else if (option == "--free") {
            uint64_t bytes = 0;
            if (!count(bytes, true, "a whole number of bytes"))
                return false;
            options.free_bytes = bytes;
        } else if (option == "--second-instance") {
            options.second_instance = true;
        } else if (option == "--show-at") {
            if (!count(options.show_at_ms, false, "a whole number of milliseconds"))
                return false;
            options.installer_shows = true;
        } else if (option == "--no-show") {
            options.installer_shows = false;
        } else if (option == "--write-speed") {
            if (!count(options.write_bytes_per_ms, true, "a whole number of bytes"))
                return false;
        } else if (option == "--full-trace") {
            options.full_trace = true;
        } else if (option == "--picture") {
            if (!value(options.picture))
                return false;
        } else if (option.size() > 1 && option[0] == '-') {
            error = "unknown option " + option;
            return false;
        } else {
            options.arguments += (options.arguments.empty() ? "" : " ") + option;
        }
    }
    return true;
}
