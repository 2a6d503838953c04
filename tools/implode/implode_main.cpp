// implode: compress, decompress and inspect implode streams.
//
//   implode compress [--ascii] [--dict 4|5|6] [--level fast|best] IN OUT
//   implode decompress [--trace] IN OUT
//   implode info IN
//
// "-" stands for standard input or output.  decompress and info exit with the
// decoder's result code (0 to 4); problems of the tool itself (usage, files,
// I/O) exit with 64 or above.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "implode/implode_decoder.h"
#include "implode_encoder.h"

namespace {

// Exit codes of the tool's own failures (BSD sysexits values).
constexpr int exit_usage = 64;
constexpr int exit_no_input = 66;
constexpr int exit_software = 70;
constexpr int exit_cant_create = 73;
constexpr int exit_io = 74;

constexpr const char* main_usage =
    "usage: implode compress [--ascii] [--dict 4|5|6] [--level fast|best] IN OUT\n"
    "       implode decompress [--trace] IN OUT\n"
    "       implode info IN\n"
    "Use '-' for standard input or output. 'implode COMMAND --help' for details.\n";

constexpr const char* compress_usage =
    "usage: implode compress [--ascii] [--dict 4|5|6] [--level fast|best] IN OUT\n"
    "Compresses IN into an implode stream in OUT.\n"
    "  --ascii          code literals with the fixed ASCII code (default: binary)\n"
    "  --dict 4|5|6     dictionary of 1024, 2048 or 4096 bytes (default: 6)\n"
    "  --level fast|best  search effort (default: best)\n"
    "Exit status: 0 on success, 64 or above on a usage or file error.\n";

constexpr const char* decompress_usage =
    "usage: implode decompress [--trace] IN OUT\n"
    "Decodes the implode stream IN into OUT.\n"
    "  --trace   print every decoder callback to stderr: 'read N' (bytes\n"
    "            delivered) and 'write N' (size passed)\n"
    "Exit status: the decoder's result, 0 = complete, 1 = bad dictionary bits,\n"
    "2 = bad literal mode, 3 = input of 4 bytes or fewer, 4 = input ended before\n"
    "the end marker (the decoded prefix is kept in OUT); 64 or above on a usage,\n"
    "file or I/O error.\n";

constexpr const char* info_usage =
    "usage: implode info IN\n"
    "Prints the header fields, the compressed size, the decoded size and the\n"
    "decoder's result for the implode stream IN.\n"
    "Exit status: the decoder's result (0 to 4), 64 or above on a usage or file\n"
    "error.\n";

const char* result_reason(int result) {
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

// An open file that closes itself; "-" maps to the standard streams.
class file_handle {
  public:
    file_handle(const std::string& path, bool for_writing) : path_(path) {
        if (path == "-") {
            file_ = for_writing ? stdout : stdin;
            owned_ = false;
        } else {
            file_ = std::fopen(path.c_str(), for_writing ? "wb" : "rb");
        }
    }
    ~file_handle() {
        if (file_ != nullptr && owned_) {
            std::fclose(file_);
        }
    }
    file_handle(const file_handle&) = delete;
    file_handle& operator=(const file_handle&) = delete;

    std::FILE* get() const { return file_; }
    const std::string& path() const { return path_; }
    // Flushes and closes; false on an I/O error.
    bool close() {
        if (file_ == nullptr) {
            return false;
        }
        bool ok = std::ferror(file_) == 0 && std::fflush(file_) == 0;
        if (owned_) {
            ok = std::fclose(file_) == 0 && ok;
        }
        file_ = nullptr;
        return ok;
    }

  private:
    std::string path_;
    std::FILE* file_ = nullptr;
    bool owned_ = true;
};

int open_error(const std::string& path, bool for_writing) {
    std::fprintf(stderr, "implode: cannot %s '%s': %s\n", for_writing ? "create" : "open",
                 path.c_str(), std::strerror(errno));
    return for_writing ? exit_cant_create : exit_no_input;
}

int usage_error(const char* message, const char* usage) {
    std::fprintf(stderr, "implode: %s\n%s", message, usage);
    return exit_usage;
}

bool is_help(std::string_view arg) { return arg == "--help" || arg == "-h"; }

bool read_all(std::FILE* file, std::vector<std::uint8_t>& out) {
    std::uint8_t chunk[65536];
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, file);
        out.insert(out.end(), chunk, chunk + n);
        if (n < sizeof chunk) {
            return std::ferror(file) == 0;
        }
    }
}

// Reads a whole input file ("-": standard input). 0, or the exit code of the
// failure after saying what failed.
int read_input(const std::string& path, std::vector<std::uint8_t>& data) {
    file_handle in(path, false);
    if (in.get() == nullptr) {
        return open_error(path, false);
    }
    if (!read_all(in.get(), data)) {
        std::fprintf(stderr, "implode: cannot read '%s': %s\n", path.c_str(), std::strerror(errno));
        return exit_io;
    }
    return 0;
}

// State shared with the decoder's callbacks.
struct decode_context {
    std::FILE* in = nullptr;            // read from here, or
    const std::vector<std::uint8_t>* memory = nullptr; // from here
    std::size_t memory_offset = 0;
    std::FILE* out = nullptr;           // null: count only
    bool trace = false;
    bool read_failed = false;
    bool write_failed = false;
    std::uint64_t consumed = 0;
    std::uint64_t decoded = 0;
};

std::uint32_t on_read(std::uint8_t* buffer, std::uint32_t* size, void* param) {
    auto* ctx = static_cast<decode_context*>(param);
    std::uint32_t n = 0;
    if (ctx->memory != nullptr) {
        const std::size_t left = ctx->memory->size() - ctx->memory_offset;
        n = static_cast<std::uint32_t>(left < *size ? left : *size);
        std::memcpy(buffer, ctx->memory->data() + ctx->memory_offset, n);
        ctx->memory_offset += n;
    } else {
        n = static_cast<std::uint32_t>(std::fread(buffer, 1, *size, ctx->in));
        if (n < *size && std::ferror(ctx->in) != 0) {
            ctx->read_failed = true;
        }
    }
    ctx->consumed += n;
    if (ctx->trace) {
        std::fprintf(stderr, "read %u\n", n);
    }
    return n;
}

int on_write(std::uint8_t* buffer, std::uint32_t* size, void* param) {
    auto* ctx = static_cast<decode_context*>(param);
    if (ctx->trace) {
        std::fprintf(stderr, "write %u\n", *size);
    }
    ctx->decoded += *size;
    if (ctx->out != nullptr && *size != 0 && std::fwrite(buffer, 1, *size, ctx->out) != *size) {
        ctx->write_failed = true;
    }
    return static_cast<int>(*size);
}

implode_work_area work_area; // static storage: zero-filled, one decode at a time

int run_compress(const std::vector<std::string>& args) {
    implode::encode_options options;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
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
            const std::string& v = args[++i];
            if (v != "4" && v != "5" && v != "6") {
                return usage_error("--dict needs 4, 5 or 6", compress_usage);
            }
            options.dict_bits = static_cast<unsigned>(v[0] - '0');
        } else if (a == "--level") {
            if (i + 1 >= args.size()) {
                return usage_error("--level needs fast or best", compress_usage);
            }
            const std::string& v = args[++i];
            if (v == "fast") {
                options.level = implode::encode_level::fast;
            } else if (v == "best") {
                options.level = implode::encode_level::best;
            } else {
                return usage_error("--level needs fast or best", compress_usage);
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error(("unknown option " + a).c_str(), compress_usage);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) {
        return usage_error("compress needs IN and OUT", compress_usage);
    }
    std::vector<std::uint8_t> data;
    if (const int failed = read_input(files[0], data)) {
        return failed;
    }
    const std::vector<std::uint8_t> stream = implode::implode_encode(data, options);
    file_handle out(files[1], true);
    if (out.get() == nullptr) {
        return open_error(files[1], true);
    }
    if (std::fwrite(stream.data(), 1, stream.size(), out.get()) != stream.size() ||
        !out.close()) {
        std::fprintf(stderr, "implode: cannot write '%s'\n", files[1].c_str());
        return exit_io;
    }
    return 0;
}

int run_decompress(const std::vector<std::string>& args) {
    bool trace = false;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (is_help(a)) {
            std::fputs(decompress_usage, stdout);
            return 0;
        }
        if (a == "--trace") {
            trace = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error(("unknown option " + a).c_str(), decompress_usage);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) {
        return usage_error("decompress needs IN and OUT", decompress_usage);
    }
    file_handle in(files[0], false);
    if (in.get() == nullptr) {
        return open_error(files[0], false);
    }
    file_handle out(files[1], true);
    if (out.get() == nullptr) {
        return open_error(files[1], true);
    }
    decode_context ctx;
    ctx.in = in.get();
    ctx.out = out.get();
    ctx.trace = trace;
    const int result = implode_decode(on_read, on_write, &work_area, &ctx);
    if (ctx.read_failed) {
        std::fprintf(stderr, "implode: cannot read '%s'\n", files[0].c_str());
        return exit_io;
    }
    if (!out.close() || ctx.write_failed) {
        std::fprintf(stderr, "implode: cannot write '%s'\n", files[1].c_str());
        return exit_io;
    }
    if (result != implode_ok) {
        std::fprintf(stderr, "implode: %s (result %d)\n", result_reason(result), result);
    }
    return result;
}

int run_info(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (is_help(a)) {
            std::fputs(info_usage, stdout);
            return 0;
        }
        if (a.size() > 1 && a[0] == '-') {
            return usage_error(("unknown option " + a).c_str(), info_usage);
        }
        files.push_back(a);
    }
    if (files.size() != 1) {
        return usage_error("info needs IN", info_usage);
    }
    std::vector<std::uint8_t> data;
    if (const int failed = read_input(files[0], data)) {
        return failed;
    }
    if (data.size() >= 2) {
        const unsigned mode = data[0];
        const unsigned k = data[1];
        std::printf("literal mode: %u (%s)\n", mode,
                    mode == 0 ? "binary" : mode == 1 ? "ascii" : "invalid");
        if (k >= 4 && k <= 6) {
            std::printf("dictionary bits: %u (%u bytes)\n", k, 64u << k);
        } else {
            std::printf("dictionary bits: %u (invalid)\n", k);
        }
    } else {
        std::printf("literal mode: (missing)\ndictionary bits: (missing)\n");
    }
    decode_context ctx;
    ctx.memory = &data;
    const int result = implode_decode(on_read, on_write, &work_area, &ctx);
    std::printf("compressed size: %zu\n", data.size());
    std::printf("decoded size: %llu\n", static_cast<unsigned long long>(ctx.decoded));
    std::printf("result: %d (%s)\n", result, result_reason(result));
    return result;
}

} // namespace

int main(int argc, char** argv) {
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
    } catch (const std::exception& e) {
        std::fprintf(stderr, "implode: %s\n", e.what());
        return exit_software;
    }
    std::fprintf(stderr, "implode: unknown command '%s'\n%s", argv[1], main_usage);
    return exit_usage;
}
