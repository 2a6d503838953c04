#include "demo_content.h"

#include "deterministic_random.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>

namespace demo {
namespace {

using bytes = std::vector<std::uint8_t>;

void append(bytes &out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

void append_u32(bytes &out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

constexpr std::string_view words[] = {
    "the",       "of",       "and",      "to",           "in",        "a",         "is",
    "that",      "for",      "it",       "as",           "with",      "be",        "on",
    "not",       "this",     "by",       "are",          "or",        "from",      "at",
    "which",     "an",       "all",      "file",         "data",      "setup",     "will",
    "install",   "folder",   "program",  "version",      "user",      "system",    "drive",
    "copy",      "update",   "window",   "press",        "next",      "continue",  "licence",
    "agreement", "terms",    "Kelvara",  "client",       "service",   "network",   "settings",
    "options",   "default",  "required", "space",        "free",      "temporary", "please",
    "wait",      "while",    "files",    "are",          "being",     "extracted", "complete",
    "cancel",    "back",     "finish",   "components",   "selected",  "directory", "path",
    "registry",  "shortcut", "desktop",  "menu",         "start",     "restart",   "computer",
    "before",    "after",    "during",   "installation", "uninstall", "remove",    "modify",
    "repair",    "language", "English",  "read",         "carefully", "accept",    "decline",
    "warranty",  "software", "provided", "without",      "any",       "kind"};

constexpr std::string_view api_names[] = {
    "GetProcAddress", "LoadLibraryA",     "CreateFileA",      "ReadFile",         "WriteFile",
    "CloseHandle",    "GetModuleHandleA", "ExitProcess",      "CreateWindowExA",  "RegisterClassA",
    "DefWindowProcA", "GetMessageA",      "DispatchMessageA", "TranslateMessage", "PostQuitMessage",
    "SendMessageA",   "FindWindowA",      "ShowWindow",       "MessageBoxA",      "SetWindowTextA",
    "RegOpenKeyExA",  "RegSetValueExA",   "GetTempPathA",     "CreateProcessA"};

// Sentences and settings lines, as in licence texts, read-me files and
// configuration files.
void append_text(bytes &out, deterministic_random &random, std::size_t size) {
    const std::size_t end = out.size() + size;
    while (out.size() < end) {
        if (random.below(8) == 0) {
            // One draw after the other: the order of a call's arguments is unspecified.
            const std::uint32_t setting = random.below(400);
            const std::uint32_t value = random.skewed_below(10000);
            char line[64];
            const int n = std::snprintf(line, sizeof line, "setting_%03u = %u\r\n", setting, value);
            append(out, std::string_view(line, static_cast<std::size_t>(n)));
            continue;
        }
        const std::uint32_t sentence_words = random.between(5, 18);
        for (std::uint32_t i = 0; i < sentence_words; ++i) {
            std::string_view word = words[random.skewed_below(std::size(words))];
            if (i == 0) {
                out.push_back(static_cast<std::uint8_t>(word[0] & ~0x20));
                word.remove_prefix(1);
            } else {
                out.push_back(' ');
            }
            append(out, word);
        }
        append(out, random.below(5) == 0 ? ".\r\n\r\n" : ". ");
    }
    out.resize(end);
}

// x86-like machine code: function prologues and epilogues, moves through the
// frame pointer, calls, jumps and pushes, each function padded to 16 bytes.
void append_code(bytes &out, deterministic_random &random, std::size_t size) {
    const std::size_t end = out.size() + size;
    while (out.size() < end) {
        out.insert(out.end(), {0x55, 0x8B, 0xEC, 0x83, 0xEC});
        out.push_back(static_cast<std::uint8_t>(4 * random.between(1, 16)));
        const std::uint32_t instructions = random.between(4, 40);
        for (std::uint32_t i = 0; i < instructions; ++i) {
            const auto frame_offset = static_cast<std::uint8_t>(0x100 - 4 * random.between(1, 16));
            switch (random.skewed_below(8)) {
            case 0:
                out.insert(out.end(), {0x8B, 0x45, frame_offset});
                break;
            case 1:
                out.insert(out.end(), {0x89, 0x45, frame_offset});
                break;
            case 2:
                out.push_back(0xE8);
                append_u32(out, 0u - random.between(16, 0x8000));
                break;
            case 3:
                out.push_back(static_cast<std::uint8_t>(0x50 + random.below(8)));
                break;
            case 4:
                out.insert(out.end(),
                           {0x85, 0xC0, static_cast<std::uint8_t>(0x74 + random.below(2)),
                            static_cast<std::uint8_t>(random.between(2, 60))});
                break;
            case 5:
                out.insert(out.end(), {0xFF, 0x15});
                append_u32(out, 0x00402000u + 4 * random.below(std::size(api_names)));
                break;
            case 6:
                out.push_back(0x68);
                append_u32(out, 0x00403000u + 16 * random.below(256));
                break;
            default:
                out.insert(out.end(), {0x33, 0xC0});
                break;
            }
        }
        out.insert(out.end(), {0x8B, 0xE5, 0x5D, 0xC3});
        while (out.size() % 16 != 0)
            out.push_back(0xCC);
    }
    out.resize(end);
}

// Import names and a relocation-like table of rising addresses: the data
// sections of an executable.
void append_tables(bytes &out, deterministic_random &random, std::size_t size) {
    const std::size_t end = out.size() + size;
    while (out.size() < end) {
        for (std::string_view name : api_names) {
            out.push_back(static_cast<std::uint8_t>(random.below(400)));
            out.push_back(0);
            append(out, name);
            out.push_back(0);
        }
        std::uint32_t address = 0x00401000u + 0x1000u * random.below(64);
        for (int i = 0; i < 128; ++i) {
            address += random.between(2, 24);
            append_u32(out, address);
        }
    }
    out.resize(end);
}

// Already compressed or encrypted content.
void append_noise(bytes &out, deterministic_random &random, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(random.next() >> 56));
}

// Zero fill, blank image areas and repeated records.
void append_runs(bytes &out, deterministic_random &random, std::size_t size) {
    const std::size_t end = out.size() + size;
    while (out.size() < end) {
        const std::uint32_t length = random.between(256, 16384);
        switch (random.below(3)) {
        case 0:
            out.insert(out.end(), length, 0x00);
            break;
        case 1:
            out.insert(out.end(), length, 0xFF);
            break;
        default: {
            std::uint8_t record[12];
            for (std::uint8_t &b : record)
                b = static_cast<std::uint8_t>(random.below(256));
            for (std::uint32_t i = 0; i < length; ++i)
                out.push_back(record[i % sizeof record]);
        }
        }
    }
    out.resize(end);
}

} // namespace

std::vector<std::uint8_t> make_demo_data() {
    deterministic_random random(0x4B454C56415241u); // "KELVARA"
    bytes out;
    out.reserve(demo_data_size);
    append(out, "KLVDATA1");
    while (out.size() < demo_data_size) {
        const std::size_t left = demo_data_size - out.size();
        const std::size_t block = std::min<std::size_t>(left, random.between(4096, 98304));
        // Shares by size: about 35% text, 25% code, 10% tables, 20% noise, 10% runs.
        const std::uint32_t kind = random.below(20);
        if (kind < 7)
            append_text(out, random, block);
        else if (kind < 12)
            append_code(out, random, block);
        else if (kind < 14)
            append_tables(out, random, block);
        else if (kind < 18)
            append_noise(out, random, block);
        else
            append_runs(out, random, block);
    }
    out.resize(demo_data_size);
    return out;
}

std::vector<std::uint8_t> make_stand_in_installer() {
    deterministic_random random(0x494E5354414C4Cu); // "INSTALL"
    bytes out;
    // DOS header with the offset of the PE header at 0x3C, and the DOS stub.
    append(out, "MZ");
    out.insert(out.end(), {0x90, 0x00, 0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF});
    out.resize(0x3C, 0);
    append_u32(out, 0x80);
    out.insert(out.end(), {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09, 0xCD, 0x21, 0xB8, 0x01, 0x4C,
                           0xCD, 0x21});
    append(out, "This program cannot be run in DOS mode.\r\r\n$");
    out.resize(0x80, 0);
    append(out, std::string_view("PE\0\0", 4));
    out.resize(0x400, 0);
    append_code(out, random, 40 * 1024);
    append_tables(out, random, 8 * 1024);
    append_text(out, random, 4 * 1024);
    out.resize((out.size() + 511) / 512 * 512, 0);
    return out;
}

} // namespace demo
