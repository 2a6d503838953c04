// Writing the implode tool's output.
#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace implode_tool {
namespace {

// The permissions a new file would get from fopen.
mode_t new_file_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

output_file::~output_file() {
    if (!done_) {
        discard();
    }
}

void output_file::fail() {
    if (error_ == 0) {
        error_ = errno != 0 ? errno : EIO;
    }
}

bool output_file::open() {
    if (path_ == "-") {
        file_ = stdout;
        return true;
    }
    struct stat st {};
    if (stat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        file_ = std::fopen(path_.c_str(), "wb");
        if (file_ == nullptr) {
            fail();
            return false;
        }
        owned_ = true;
        return true;
    }
    // A hidden name beside the output, in the same folder so that the
    // rename stays within one file system.
    const std::size_t slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    std::string pattern = folder + "." + name + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0) {
        fail();
        return false;
    }
    temporary_ = buffer.data();
    if (fchmod(fd, new_file_mode()) != 0 || (file_ = fdopen(fd, "wb")) == nullptr) {
        fail();
        ::close(fd);
        unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    owned_ = true;
    return true;
}

bool output_file::write(const std::uint8_t *data, std::size_t size) {
    if (failed()) {
        return false;
    }
    errno = 0;
    if (std::fwrite(data, 1, size, file_) != size) {
        fail();
        return false;
    }
    return true;
}

bool output_file::commit() {
    done_ = true;
    if (failed()) {
        return false;
    }
    errno = 0;
    if (std::fflush(file_) != 0) {
        fail();
        return false;
    }
    if (!temporary_.empty() && fsync(fileno(file_)) != 0) {
        fail();
        return false;
    }
    if (owned_) {
        std::FILE *f = file_;
        file_ = nullptr;
        if (std::fclose(f) != 0) {
            fail();
            return false;
        }
    }
    if (!temporary_.empty()) {
        if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
            fail();
            return false;
        }
        temporary_.clear();
    }
    return true;
}

void output_file::discard() {
    done_ = true;
    if (file_ != nullptr && owned_) {
        std::fclose(file_);
    }
    file_ = nullptr;
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        temporary_.clear();
    }
}

} // namespace implode_tool
