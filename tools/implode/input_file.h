// The implode tool's input: a file or standard input, read as a stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace implode_tool {

class input_file {
  public:
    explicit input_file(std::string path) : path_(std::move(path)) {}
    ~input_file();
    input_file(const input_file &) = delete;
    input_file &operator=(const input_file &) = delete;

    // Opens the file ("-": standard input); false with error() set.
    bool open();
    bool is_directory() const;
    // Whether `output_path` ("-": standard output) names this same file, by
    // any name.
    bool same_file_as_output(const std::string &output_path) const;

    // Reads up to `capacity` bytes; 0 at the end of the input or after a
    // failure (failed() tells which).  Bytes that peek() returned come first.
    std::size_t read(std::uint8_t *buffer, std::size_t capacity);
    // Up to `count` bytes from the current position, which read() then
    // delivers again.
    std::vector<std::uint8_t> peek(std::size_t count);

    bool failed() const { return error_ != 0; }
    int error() const { return error_; }
    std::uint64_t consumed() const { return consumed_; }
    const std::string &path() const { return path_; }

  private:
    std::string path_;
    std::FILE *file_ = nullptr;
    bool owned_ = false;
    int error_ = 0;
    std::vector<std::uint8_t> peeked_;
    std::uint64_t consumed_ = 0;
};

} // namespace implode_tool
