#include "stream_check.h"

#include "implode/implode_decoder.h"
#include "payload/crc32.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct file_closer {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

file_ptr open_for_reading(const std::string &path, std::string &error) {
    file_ptr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        error = "cannot open '" + path + "': " + std::strerror(errno);
    return file;
}

struct comparison {
    comparison(std::FILE *stream_file, std::FILE *input_file)
        : stream(stream_file), input(input_file) {}
    std::FILE *stream;
    std::FILE *input;
    bool read_failed = false;
    bool differs = false;
    std::uint64_t first_difference = 0;
    decoded_figures decoded;
    std::vector<std::uint8_t> expected = std::vector<std::uint8_t>(implode_block_size);
};

std::uint32_t read_stream(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto *c = static_cast<comparison *>(param);
    const std::size_t n = std::fread(buffer, 1, *size, c->stream);
    if (n < *size && std::ferror(c->stream) != 0)
        c->read_failed = true;
    return static_cast<std::uint32_t>(n);
}

int compare_block(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto *c = static_cast<comparison *>(param);
    const std::uint32_t count = *size;
    if (!c->differs) {
        const std::size_t n = std::fread(c->expected.data(), 1, count, c->input);
        if (n < count && std::ferror(c->input) != 0)
            c->read_failed = true;
        for (std::size_t i = 0; i < count; ++i) {
            if (i >= n || c->expected[i] != buffer[i]) {
                c->differs = true;
                c->first_difference = c->decoded.size + i;
                break;
            }
        }
    }
    c->decoded.crc32 = crc32_update(c->decoded.crc32, buffer, count);
    c->decoded.size += count;
    return static_cast<int>(count);
}

} // namespace

bool measure_file(const std::string &path, decoded_figures &figures, std::string &error) {
    file_ptr file = open_for_reading(path, error);
    if (!file)
        return false;
    figures = {};
    std::vector<std::uint8_t> block(1 << 16);
    for (;;) {
        const std::size_t n = std::fread(block.data(), 1, block.size(), file.get());
        figures.crc32 = crc32_update(figures.crc32, block.data(), static_cast<std::uint32_t>(n));
        figures.size += n;
        if (n < block.size())
            break;
    }
    if (std::ferror(file.get()) != 0) {
        error = "cannot read '" + path + "'";
        return false;
    }
    return true;
}

bool check_stream_decodes_to(const std::string &stream_path, const std::string &input_path,
                             decoded_figures &figures, std::string &error) {
    file_ptr stream = open_for_reading(stream_path, error);
    if (!stream)
        return false;
    file_ptr input = open_for_reading(input_path, error);
    if (!input)
        return false;

    comparison c(stream.get(), input.get());
    auto work = std::make_unique<implode_work_area>();
    const int result = implode_decode(read_stream, compare_block, work.get(), &c);
    if (c.read_failed) {
        error = "cannot read '" + stream_path + "' or '" + input_path + "'";
        return false;
    }
    if (result != implode_ok) {
        error = "'" + stream_path + "' is not a complete implode stream (decoder result " +
                std::to_string(result) + ")";
        return false;
    }
    if (!c.differs && std::fgetc(input.get()) != EOF) {
        c.differs = true;
        c.first_difference = c.decoded.size;
    }
    if (c.differs) {
        error = "'" + stream_path + "' does not decode to '" + input_path +
                "': they differ from byte " + std::to_string(c.first_difference) + " on";
        return false;
    }
    figures = c.decoded;
    return true;
}
