// Reading the implode tool's input.
#include "input_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace implode_tool {

input_file::~input_file() {
    if (file_ != nullptr && owned_) {
        std::fclose(file_);
    }
}

bool input_file::open() {
    if (path_ == "-") {
        file_ = stdin;
        return true;
    }
    file_ = std::fopen(path_.c_str(), "rb");
    if (file_ == nullptr) {
        error_ = errno;
        return false;
    }
    owned_ = true;
    return true;
}

bool input_file::is_directory() const {
    struct stat st {};
    return fstat(fileno(file_), &st) == 0 && S_ISDIR(st.st_mode);
}

bool input_file::same_file_as_output(const std::string &output_path) const {
    struct stat in {};
    struct stat out {};
    if (fstat(fileno(file_), &in) != 0) {
        return false;
    }
    const int found =
        output_path == "-" ? fstat(STDOUT_FILENO, &out) : stat(output_path.c_str(), &out);
    return found == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

std::size_t input_file::read(std::uint8_t *buffer, std::size_t capacity) {
    std::size_t n = 0;
    if (!peeked_.empty()) {
        n = std::min(capacity, peeked_.size());
        std::memcpy(buffer, peeked_.data(), n);
        peeked_.erase(peeked_.begin(), peeked_.begin() + static_cast<std::ptrdiff_t>(n));
    }
    if (n < capacity && !failed()) {
        errno = 0;
        n += std::fread(buffer + n, 1, capacity - n, file_);
        if (n < capacity && std::ferror(file_) != 0) {
            error_ = errno != 0 ? errno : EIO;
        }
    }
    consumed_ += n;
    return failed() ? 0 : n;
}

std::vector<std::uint8_t> input_file::peek(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    const std::size_t n = read(bytes.data(), count);
    bytes.resize(n);
    consumed_ -= n;
    peeked_.insert(peeked_.begin(), bytes.begin(), bytes.end());
    return bytes;
}

} // namespace implode_tool
