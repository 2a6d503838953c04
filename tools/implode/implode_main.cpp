// implode: compress, decompress and inspect implode streams.
//
//   implode compress [--ascii] [--dict 4|5|6] [--level fast|best] IN OUT
//   implode decompress [--trace] [--keep-partial] IN OUT
//   implode info IN
//
// "-" stands for standard input or output.  decompress and info exit with the
// decoder's result code (0 to 4); problems of the tool itself (usage, files,
// I/O) exit with 64 or above.  An output file appears only when its command
// succeeds: it is written to a temporary file beside it and renamed into
// place at the end.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "implode/implode_decoder.h"
#include "implode_encoder.h"
#include "input_file.h"
#include "output_file.h"

namespace {

// Exit codes of the tool's own failures (BSD sysexits values).
constexpr int exit_usage = 64;
constexpr int exit_no_input = 66;
constexpr int exit_software = 70;
constexpr int exit_cant_create = 73;
constexpr int exit_io = 74;

constexpr const char *main_usage =
    "usage: implode compress [--ascii] [--dict 4|5|6] [--level fast|best] IN OUT\n"
    "       implode decompress [--trace] [--keep-partial] IN OUT\n"
    "       implode info IN\n"
    "Use '-' for standard input or output. 'implode COMMAND --help' for details.\n";

constexpr const char *compress_usage =
    "usage: implode compress [--ascii] [--dict 4|5|6] [--level fast|best] IN OUT\n"
    "Compresses IN into an implode stream in OUT.\n"
    "  --ascii          code literals with the fixed ASCII code (default: binary)\n"
    "  --dict 4|5|6     dictionary of 1024, 2048 or 4096 bytes (default: 6)\n"
    "  --level fast|best  search effort (default: best)\n"
    "IN is read as a stream, in chunks of 1 MiB (no copy reaches across the\n"
    "end of a chunk): memory stays below about 16 MiB and there is no limit on\n"
    "the input's size.  OUT appears only when the whole stream was written.\n"
    "Exit status: 0 on success, 64 or above on a usage, file or I/O error.\n";

constexpr const char *decompress_usage =
    "usage: implode decompress [--trace] [--keep-partial] IN OUT\n"
    "Decodes the implode stream IN into OUT.\n"
    "  --trace          print every decoder callback to stderr: 'read N' (bytes\n"
    "                   delivered) and 'write N' (size passed)\n"
    "  --keep-partial   when the stream is bad or cut short, or IN cannot be read\n"
    "                   to its end, keep the bytes decoded so far in OUT\n"
    "OUT appears only when the stream decoded completely (or, with\n"
    "--keep-partial, with what was decoded; a failed write never leaves OUT).\n"
    "Exit status: the decoder's result, 0 = complete, 1 = bad dictionary bits,\n"
    "2 = bad literal mode, 3 = input of 4 bytes or fewer, 4 = input ended before\n"
    "the end marker; 64 or above on a usage, file or I/O error.\n";

constexpr const char *info_usage =
    "usage: implode info IN\n"
    "Prints the header fields, the compressed size, the decoded size and the\n"
    "decoder's result for the implode stream IN.\n"
    "Exit status: the decoder's result (0 to 4), 64 or above on a usage, file\n"
    "or I/O error.\n";

const char *result_reason(int result) {
    switch (result) {
    case implode_ok:
        return "complete";
    case implode_bad_dictionary:
        return "header byte 1 (dictionary bits) is not 4, 5 or 6";
    case implode_bad_literal_mode:
        return "header byte 0 (literal mode) is neither 0 nor 1";
    case implode_short_input:
        return "the stream is too short: the first read delivered 4 bytes or fewer";
    case implode_truncated:
        return "the input ended before the end marker";
    default:
        return "unknown result";
    }
}

int usage_error(const std::string &message, const char *usage) {
    std::fprintf(stderr, "implode: %s\n%s", message.c_str(), usage);
    return exit_usage;
}

bool is_help(std::string_view arg) {
    return arg == "--help" || arg == "-h";
}

int read_error(const implode_tool::input_file &in) {
    std::fprintf(stderr, "implode: cannot read '%s': %s\n", in.path().c_str(),
                 std::strerror(in.error()));
    return exit_io;
}

int write_error(const implode_tool::output_file &out) {
    std::fprintf(stderr, "implode: cannot write '%s': %s\n", out.path().c_str(),
                 std::strerror(out.error()));
    return exit_io;
}

// Opens IN, refusing a folder.  0, or the exit code after saying why.
int open_input(implode_tool::input_file &in) {
    if (!in.open()) {
        std::fprintf(stderr, "implode: cannot open '%s': %s\n", in.path().c_str(),
                     std::strerror(in.error()));
        return exit_no_input;
    }
    if (in.is_directory()) {
        std::fprintf(stderr, "implode: cannot read '%s': %s\n", in.path().c_str(),
                     std::strerror(EISDIR));
        return exit_io;
    }
    return 0;
}

// Opens OUT unless it names the same file as IN.  0, or the exit code after
// saying why.
int open_output(const implode_tool::input_file &in, implode_tool::output_file &out) {
    if (in.same_file_as_output(out.path())) {
        std::fprintf(stderr,
                     "implode: '%s' and '%s' are the same file: writing one would destroy "
                     "the other\n",
                     in.path().c_str(), out.path().c_str());
        return exit_usage;
    }
    if (!out.open()) {
        std::fprintf(stderr, "implode: cannot create '%s': %s\n", out.path().c_str(),
                     std::strerror(out.error()));
        return exit_cant_create;
    }
    return 0;
}

// State shared with the decoder's callbacks.
struct decode_context {
    implode_tool::input_file *in = nullptr;
    implode_tool::output_file *out = nullptr; // null: count only
    bool trace = false;
    std::uint64_t decoded = 0;
};

std::uint32_t on_read(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto *ctx = static_cast<decode_context *>(param);
    const auto n = static_cast<std::uint32_t>(ctx->in->read(buffer, *size));
    if (ctx->trace) {
        std::fprintf(stderr, "read %u\n", n);
    }
    return n;
}

int on_write(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto *ctx = static_cast<decode_context *>(param);
    if (ctx->trace) {
        std::fprintf(stderr, "write %u\n", *size);
    }
    ctx->decoded += *size;
    if (ctx->out != nullptr && *size != 0) {
        ctx->out->write(buffer, *size);
    }
    return static_cast<int>(*size);
}

implode_work_area work_area; // static storage: zero-filled, one decode at a time

int run_compress(const std::vector<std::string> &args) {
    implode::encode_options options;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (is_help(a)) {
            std::fputs(compress_usage, stdout);
            return 0;
        }
        if (a == "--ascii") {
            options.literals = implode::literal_coding::ascii;
        } else if (a == "--dict") {
            if (i + 1 >= args.size()) {
                return usage_error("--dict needs 4, 5 or 6", compress_usage);
            }
            const std::string &v = args[++i];
            if (v != "4" && v != "5" && v != "6") {
                return usage_error("--dict needs 4, 5 or 6", compress_usage);
            }
            options.dict_bits = static_cast<unsigned>(v[0] - '0');
        } else if (a == "--level") {
            if (i + 1 >= args.size()) {
                return usage_error("--level needs fast or best", compress_usage);
            }
            const std::string &v = args[++i];
            if (v == "fast") {
                options.level = implode::encode_level::fast;
            } else if (v == "best") {
                options.level = implode::encode_level::best;
            } else {
                return usage_error("--level needs fast or best", compress_usage);
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("unknown option " + a, compress_usage);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) {
        return usage_error("compress needs IN and OUT", compress_usage);
    }
    implode_tool::input_file in(files[0]);
    if (const int failed = open_input(in)) {
        return failed;
    }
    implode_tool::output_file out(files[1]);
    if (const int failed = open_output(in, out)) {
        return failed;
    }
    implode::encoder encoder;
    const bool written = encoder.encode(
        options,
        [&](std::uint8_t *buffer, std::size_t capacity) { return in.read(buffer, capacity); },
        [&](const std::uint8_t *data, std::size_t size) { return out.write(data, size); });
    if (in.failed()) {
        out.discard();
        return read_error(in);
    }
    if (!written || !out.commit()) {
        out.discard();
        return write_error(out);
    }
    return 0;
}

int run_decompress(const std::vector<std::string> &args) {
    bool trace = false;
    bool keep_partial = false;
    std::vector<std::string> files;
    for (const std::string &a : args) {
        if (is_help(a)) {
            std::fputs(decompress_usage, stdout);
            return 0;
        }
        if (a == "--trace") {
            trace = true;
        } else if (a == "--keep-partial") {
            keep_partial = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("unknown option " + a, decompress_usage);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) {
        return usage_error("decompress needs IN and OUT", decompress_usage);
    }
    implode_tool::input_file in(files[0]);
    if (const int failed = open_input(in)) {
        return failed;
    }
    implode_tool::output_file out(files[1]);
    if (const int failed = open_output(in, out)) {
        return failed;
    }
    decode_context ctx;
    ctx.in = &in;
    ctx.out = &out;
    ctx.trace = trace;
    const int result = implode_decode(on_read, on_write, &work_area, &ctx);
    if (out.failed()) {
        out.discard();
        return write_error(out);
    }
    const bool complete = result == implode_ok && !in.failed();
    if (!complete && !keep_partial) {
        out.discard();
    } else if (!out.commit()) {
        out.discard();
        return write_error(out);
    } else if (!complete) {
        std::fprintf(stderr,
                     "implode: '%s' holds only the %llu bytes decoded before the failure "
                     "(--keep-partial)\n",
                     out.path().c_str(), static_cast<unsigned long long>(ctx.decoded));
    }
    if (in.failed()) {
        return read_error(in);
    }
    if (result != implode_ok) {
        std::fprintf(stderr, "implode: %s (result %d)\n", result_reason(result), result);
    }
    return result;
}

int run_info(const std::vector<std::string> &args) {
    std::vector<std::string> files;
    for (const std::string &a : args) {
        if (is_help(a)) {
            std::fputs(info_usage, stdout);
            return 0;
        }
        if (a.size() > 1 && a[0] == '-') {
            return usage_error("unknown option " + a, info_usage);
        }
        files.push_back(a);
    }
    if (files.size() != 1) {
        return usage_error("info needs IN", info_usage);
    }
    implode_tool::input_file in(files[0]);
    if (const int failed = open_input(in)) {
        return failed;
    }
    // The header first; the decoder then reads it again from the start.
    const std::vector<std::uint8_t> header = in.peek(2);
    if (in.failed()) {
        return read_error(in);
    }
    if (header.size() == 2) {
        const unsigned mode = header[0];
        const unsigned k = header[1];
        std::printf("literal mode: %u (%s)\n", mode,
                    mode == 0   ? "binary"
                    : mode == 1 ? "ascii"
                                : "invalid");
        if (k >= 4 && k <= 6) {
            std::printf("dictionary bits: %u (%u bytes)\n", k, 64u << k);
        } else {
            std::printf("dictionary bits: %u (invalid)\n", k);
        }
    } else {
        std::printf("literal mode: (missing)\ndictionary bits: (missing)\n");
    }
    decode_context ctx;
    ctx.in = &in;
    const int result = implode_decode(on_read, on_write, &work_area, &ctx);
    // The compressed size counts the whole input, also what follows the end
    // marker.
    std::uint8_t rest[65536];
    while (!in.failed() && in.read(rest, sizeof rest) != 0) {
    }
    if (in.failed()) {
        return read_error(in);
    }
    std::printf("compressed size: %llu\n", static_cast<unsigned long long>(in.consumed()));
    std::printf("decoded size: %llu\n", static_cast<unsigned long long>(ctx.decoded));
    std::printf("result: %d (%s)\n", result, result_reason(result));
    return result;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fputs(main_usage, stderr);
        return exit_usage;
    }
    const std::string_view command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (is_help(command)) {
            std::fputs(main_usage, stdout);
            return 0;
        }
        if (command == "compress") {
            return run_compress(args);
        }
        if (command == "decompress") {
            return run_decompress(args);
        }
        if (command == "info") {
            return run_info(args);
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "implode: %s\n", e.what());
        return exit_software;
    }
    std::fprintf(stderr, "implode: unknown command '%s'\n%s", argv[1], main_usage);
    return exit_usage;
}
