// The implode tool's output: written to a temporary file beside it and
// renamed into place only when the command succeeds, so that a failed run
// leaves no file that looks complete (and an earlier file of that name
// untouched).  Standard output, and an existing file that is not a regular
// file (a device such as /dev/null, a pipe), are written in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace implode_tool {

class output_file {
  public:
    explicit output_file(std::string path) : path_(std::move(path)) {}
    // Discards the output unless it was committed.
    ~output_file();
    output_file(const output_file &) = delete;
    output_file &operator=(const output_file &) = delete;

    // false with error() set.
    bool open();
    // false once a write has failed; the first failure's error() stays.
    bool write(const std::uint8_t *data, std::size_t size);
    // Flushes and syncs the data, closes the file and renames it into place;
    // false with error() set.
    bool commit();
    // Closes the file and removes the temporary file.
    void discard();

    bool failed() const { return error_ != 0; }
    int error() const { return error_; }
    const std::string &path() const { return path_; }

  private:
    void fail();

    std::string path_;
    std::string temporary_; // empty: written in place
    std::FILE *file_ = nullptr;
    bool owned_ = false;
    bool done_ = false;
    int error_ = 0;
};

} // namespace implode_tool
