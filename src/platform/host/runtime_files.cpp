// The C runtime's descriptor calls over the sandbox's files, as the
// Microsoft runtime behaves on Windows: _open shares the file for reading and
// writing but not for deletion, text mode turns "\n" into "\r\n", a failed
// call sets errno from the Windows error, and a write that does not fit on
// the drive fails whole with ENOSPC, as NTFS refuses it before writing.
#include "platform/host/world.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace sim::detail;

namespace {

constexpr int supported_flags =
    _O_WRONLY | _O_RDWR | _O_CREAT | _O_TRUNC | _O_EXCL | _O_TEXT | _O_BINARY;

std::string flags_text(int flags) {
    std::string out = (flags & _O_RDWR)     ? "_O_RDWR"
                      : (flags & _O_WRONLY) ? "_O_WRONLY"
                                            : "_O_RDONLY";
    for (auto [flag, name] : {std::pair{_O_CREAT, "_O_CREAT"},
                              {_O_TRUNC, "_O_TRUNC"},
                              {_O_EXCL, "_O_EXCL"},
                              {_O_APPEND, "_O_APPEND"},
                              {_O_TEXT, "_O_TEXT"},
                              {_O_BINARY, "_O_BINARY"}})
        if (flags & flag)
            out += std::string("|") + name;
    int rest = flags & ~(supported_flags | _O_APPEND);
    if (rest)
        out += "|" + std::to_string(rest);
    return out;
}

std::string permission_text(int permission) {
    std::string out;
    if (permission & _S_IREAD)
        out = "_S_IREAD";
    if (permission & _S_IWRITE)
        out += out.empty() ? "_S_IWRITE" : "|_S_IWRITE";
    return out.empty() ? "0" : out;
}

int fail(CallRecord &c, DWORD error) {
    set_last_error(error);
    errno = errno_for(error);
    c.result("-1 (errno " + std::to_string(errno) + ")");
    return -1;
}

int fail_errno(CallRecord &c, int error) {
    errno = error;
    c.result("-1 (errno " + std::to_string(errno) + ")");
    return -1;
}

// The runtime hands out the lowest descriptor that is free.
int free_descriptor() {
    const auto &open = world().files.open;
    int d = 3;
    while (open.count(d))
        ++d;
    return d;
}

} // namespace

int _open(const char *path, int flags, int permission) {
    CallRecord c("_open",
                 Args().path(path).text(flags_text(flags)).text(permission_text(permission)));
    if (flags & ~supported_flags) {
        fault("_open: flags " + flags_text(flags) + " are not modelled");
        return fail_errno(c, EINVAL);
    }
    const int access = flags & (_O_WRONLY | _O_RDWR);
    if (!path || access == (_O_WRONLY | _O_RDWR))
        return fail_errno(c, EINVAL);
    const bool writing = access != _O_RDONLY;
    if (auto error = injected_file_fault(FileCall::open, path))
        return fail(c, *error);
    ResolvedPath r = resolve_path(path);
    if (r.error)
        return fail(c, r.error);
    std::error_code ec;
    const bool exists = fs::exists(r.host, ec);
    bool make_read_only = false;
    if (exists) {
        if (fs::is_directory(r.host, ec))
            return fail(c, ERROR_ACCESS_DENIED);
        if ((flags & _O_CREAT) && (flags & _O_EXCL))
            return fail(c, ERROR_FILE_EXISTS);
        if (writing && world().files.read_only.count(r.host.string()))
            return fail(c, ERROR_ACCESS_DENIED);
        // A running program's file is mapped for execution: no writer may
        // share it.
        if (writing && is_running_image(r.host))
            return fail(c, ERROR_SHARING_VIOLATION);
    } else {
        if (!(flags & _O_CREAT))
            return fail(c, ERROR_FILE_NOT_FOUND);
        make_read_only = !(permission & _S_IWRITE);
    }
    const int host = ::open(r.host.c_str(), O_RDWR | O_CREAT, 0644);
    if (host < 0) {
        fault("_open: the sandbox file " + r.host.string() + " cannot be opened");
        return fail(c, ERROR_ACCESS_DENIED);
    }
    if (exists && (flags & _O_TRUNC) && writing) {
        uint64_t old_size = fs::file_size(r.host, ec);
        if (::ftruncate(host, 0) == 0)
            resize_allocation(r.drive, old_size, 0);
    }
    if (make_read_only)
        world().files.read_only.insert(r.host.string());
    OpenFile file;
    file.host_descriptor = host;
    file.host_path = r.host;
    file.windows_path = path;
    file.drive = r.drive;
    file.writable = writing;
    file.text_mode = !(flags & _O_BINARY);
    const int descriptor = free_descriptor();
    world().files.open[descriptor] = file;
    c.result_number(descriptor);
    return descriptor;
}

int _read(int descriptor, void *buffer, unsigned int count) {
    CallRecord c("_read", Args().number(descriptor).number(count));
    auto &open = world().files.open;
    auto it = open.find(descriptor);
    if (it == open.end())
        return fail(c, ERROR_INVALID_HANDLE);
    OpenFile &file = it->second;
    if (file.text_mode) {
        fault("_read: text mode is not modelled");
        return fail_errno(c, EINVAL);
    }
    ssize_t got = ::pread(file.host_descriptor, buffer, count, static_cast<off_t>(file.position));
    if (got < 0)
        return fail(c, ERROR_ACCESS_DENIED);
    file.position += static_cast<uint64_t>(got);
    c.result_number(got);
    return static_cast<int>(got);
}

int _write(int descriptor, const void *buffer, unsigned int count) {
    CallRecord c("_write", Args().number(descriptor).number(count));
    auto &open = world().files.open;
    auto it = open.find(descriptor);
    if (it == open.end())
        return fail(c, ERROR_INVALID_HANDLE);
    OpenFile &file = it->second;
    // The runtime reports a write to a descriptor opened for reading as EBADF.
    if (!file.writable)
        return fail_errno(c, EBADF);
    if (count == 0) {
        c.result_number(0);
        return 0;
    }
    const char *bytes = static_cast<const char *>(buffer);
    // Text mode turns each line feed into a carriage return and a line feed;
    // binary mode writes the bytes as given.
    std::string translated;
    if (file.text_mode) {
        for (unsigned int i = 0; i < count; ++i) {
            if (bytes[i] == '\n')
                translated += '\r';
            translated += bytes[i];
        }
    }
    const std::string_view out =
        file.text_mode ? std::string_view(translated) : std::string_view(bytes, count);
    for (DiskBudget &budget : world().files.budgets) {
        if (!same_name(budget.path, file.windows_path))
            continue;
        if (out.size() > budget.bytes_left)
            return fail(c, ERROR_DISK_FULL);
        budget.bytes_left -= out.size();
    }
    struct stat status {};
    ::fstat(file.host_descriptor, &status);
    const uint64_t old_size = static_cast<uint64_t>(status.st_size);
    const uint64_t end = file.position + out.size();
    if (!resize_allocation(file.drive, old_size, std::max(old_size, end)))
        return fail(c, ERROR_DISK_FULL);
    if (::pwrite(file.host_descriptor, out.data(), out.size(), static_cast<off_t>(file.position)) !=
        static_cast<ssize_t>(out.size())) {
        fault("_write: the sandbox file " + file.host_path.string() + " cannot be written");
        return fail(c, ERROR_DISK_FULL);
    }
    file.position = end;
    c.result_number(count);
    FileSystem &files = world().files;
    if (files.write_bytes_per_ms != 0) {
        files.write_backlog += out.size();
        const uint64_t ms = files.write_backlog / files.write_bytes_per_ms;
        files.write_backlog %= files.write_bytes_per_ms;
        if (ms != 0)
            advance_to(now() + ms);
    }
    return static_cast<int>(count);
}

int _close(int descriptor) {
    CallRecord c("_close", Args().number(descriptor));
    auto &open = world().files.open;
    auto it = open.find(descriptor);
    if (it == open.end())
        return fail(c, ERROR_INVALID_HANDLE);
    ::close(it->second.host_descriptor);
    open.erase(it);
    c.result_number(0);
    return 0;
}
