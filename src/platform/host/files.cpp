// Files and drives: one mapping from Windows paths to the sandbox folder,
// used by every file call; free space per drive in whole clusters; files
// that are busy because a process runs them or the runtime has them open.
#include "platform/host/world.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace sim::detail;

namespace sim::detail {

namespace {

char drive_letter(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

void remove_sandbox() {
    const fs::path &root = world().files.sandbox;
    if (!root.empty() && !(std::getenv)("KELVARA_KEEP_SANDBOX")) {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
}

// The entry of a host folder whose name matches without regard to case.
std::optional<fs::path> entry_named(const fs::path &folder, const std::string &name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec))
        return folder / name;
    for (const auto &entry : fs::directory_iterator(folder, ec))
        if (same_name(entry.path().filename().string(), name))
            return entry.path();
    return std::nullopt;
}

bool has_invalid_character(const std::string &name) {
    return name.find_first_of("<>:\"|?*") != std::string::npos;
}

} // namespace

fs::path sandbox_root() {
    World &w = world();
    if (w.files.sandbox.empty()) {
        const char *tmp = (std::getenv)("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kelvara-desktop-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            fault("cannot create the sandbox folder " + pattern);
            std::abort();
        }
        w.files.sandbox = pattern;
        std::atexit(remove_sandbox);
        if (w.files.drives.count('C'))
            for (const char *folder :
                 {"C:\\WINDOWS\\TEMP", "C:\\WINDOWS\\system32", "C:\\Users\\Public\\Downloads"})
                sim::make_folder(folder);
    }
    return w.files.sandbox;
}

ResolvedPath resolve_path(const std::string &windows_path) {
    World &w = world();
    std::string path = windows_path;
    std::replace(path.begin(), path.end(), '/', '\\');
    const std::string &current = w.runtime.current_directory;
    std::string absolute;
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
        if (path.size() >= 3 && path[2] == '\\')
            absolute = path;
        else if (drive_letter(path[0]) == drive_letter(current[0]))
            absolute = current + "\\" + path.substr(2); // relative to that drive's current folder
        else
            absolute = path.substr(0, 2) + "\\" + path.substr(2);
    } else if (path.rfind("\\\\", 0) == 0) {
        return ResolvedPath{{}, 0, ERROR_PATH_NOT_FOUND}; // no network shares here
    } else if (!path.empty() && path[0] == '\\') {
        absolute = current.substr(0, 2) + path;
    } else {
        absolute = current + "\\" + path;
    }
    const char drive = drive_letter(absolute[0]);
    if (!w.files.drives.count(drive) || path.empty())
        return ResolvedPath{{}, drive, ERROR_PATH_NOT_FOUND};

    std::vector<std::string> names;
    std::stringstream parts(absolute.substr(3));
    for (std::string name; std::getline(parts, name, '\\');) {
        if (name.empty() || name == ".")
            continue;
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
            continue;
        }
        if (has_invalid_character(name))
            return ResolvedPath{{}, drive, ERROR_INVALID_NAME};
        names.push_back(name);
    }
    fs::path host = sandbox_root() / std::string(1, drive);
    std::error_code ec;
    fs::create_directories(host, ec);
    for (size_t i = 0; i < names.size(); ++i) {
        std::optional<fs::path> found = entry_named(host, names[i]);
        const bool last = i + 1 == names.size();
        if (!found) {
            if (!last)
                return ResolvedPath{{}, drive, ERROR_PATH_NOT_FOUND};
            host /= names[i]; // a new name is kept as written
            break;
        }
        if (!last && !fs::is_directory(*found, ec))
            return ResolvedPath{{}, drive, ERROR_PATH_NOT_FOUND};
        host = *found;
    }
    return ResolvedPath{host, drive, ERROR_SUCCESS};
}

Drive *find_drive(char letter) {
    auto &drives = world().files.drives;
    auto it = drives.find(drive_letter(letter));
    return it == drives.end() ? nullptr : &it->second;
}

uint64_t clusters_for(const Drive &d, uint64_t bytes) {
    uint64_t cluster = std::max<uint64_t>(1, d.cluster_bytes());
    return (bytes + cluster - 1) / cluster;
}

bool resize_allocation(char drive, uint64_t old_size, uint64_t new_size) {
    Drive *d = find_drive(drive);
    if (!d)
        return true;
    uint64_t before = clusters_for(*d, old_size);
    uint64_t after = clusters_for(*d, new_size);
    if (after > before) {
        if (after - before > d->free_clusters)
            return false;
        d->free_clusters -= static_cast<DWORD>(after - before);
    } else {
        uint64_t freed = before - after;
        d->free_clusters = static_cast<DWORD>(
            std::min<uint64_t>(uint64_t{d->free_clusters} + freed, d->total_clusters));
    }
    return true;
}

std::optional<DWORD> injected_file_fault(FileCall call, const std::string &windows_path) {
    for (FileFault &f : world().files.faults) {
        if (f.call != call || !same_name(f.path, windows_path) || f.times_left == 0)
            continue;
        if (f.times_left > 0)
            --f.times_left;
        return f.error;
    }
    return std::nullopt;
}

bool is_running_image(const fs::path &host) {
    const ProcessTable &t = world().processes;
    for (const RunningProcess &p : t.running)
        if (p.alive && p.image_host_path == host)
            return true;
    return false;
}

bool is_open_by_runtime(const fs::path &host) {
    for (const auto &[descriptor, file] : world().files.open)
        if (file.host_path == host)
            return true;
    return false;
}

void image_moved(const fs::path &from, const fs::path &to) {
    for (RunningProcess &p : world().processes.running)
        if (p.image_host_path == from)
            p.image_host_path = to;
}

int errno_for(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
        return ENOSPC;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    default:
        return EINVAL;
    }
}

} // namespace sim::detail

namespace {

uint64_t size_of(const fs::path &host) {
    std::error_code ec;
    uint64_t size = fs::file_size(host, ec);
    return ec ? 0 : size;
}

bool is_read_only(const fs::path &host) {
    return world().files.read_only.count(host.string()) != 0;
}

} // namespace

BOOL WINAPI GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectors_per_cluster, LPDWORD bytes_per_sector,
                              LPDWORD free_clusters, LPDWORD total_clusters) {
    CallRecord c("GetDiskFreeSpaceA", Args().path(root));
    // A drive: "X:\", or "X:" for the drive's current directory; anything
    // else is not on a known drive.
    size_t length = root ? std::strlen(root) : 0;
    if ((length != 2 && length != 3) || !std::isalpha(static_cast<unsigned char>(root[0])) ||
        root[1] != ':' || (length == 3 && root[2] != '\\'))
        return c.fail(ERROR_PATH_NOT_FOUND);
    const Drive *d = find_drive(root[0]);
    if (!d)
        return c.fail(ERROR_PATH_NOT_FOUND);
    *sectors_per_cluster = d->sectors_per_cluster;
    *bytes_per_sector = d->bytes_per_sector;
    *free_clusters = d->free_clusters;
    *total_clusters = d->total_clusters;
    c.result("TRUE {" + std::to_string(d->sectors_per_cluster) + ", " +
             std::to_string(d->bytes_per_sector) + ", " + std::to_string(d->free_clusters) + ", " +
             std::to_string(d->total_clusters) + "}");
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR path) {
    CallRecord c("DeleteFileA", Args().path(path));
    if (!path)
        return c.fail(ERROR_PATH_NOT_FOUND);
    if (auto error = injected_file_fault(FileCall::remove, path))
        return c.fail(*error);
    ResolvedPath r = resolve_path(path);
    if (r.error)
        return c.fail(r.error);
    std::error_code ec;
    if (!fs::exists(r.host, ec))
        return c.fail(ERROR_FILE_NOT_FOUND);
    // A folder, a read-only file and a running program's file are refused;
    // a file the runtime has open is shared without delete access.
    if (fs::is_directory(r.host, ec) || is_read_only(r.host) || is_running_image(r.host))
        return c.fail(ERROR_ACCESS_DENIED);
    if (is_open_by_runtime(r.host))
        return c.fail(ERROR_SHARING_VIOLATION);
    uint64_t size = size_of(r.host);
    fs::remove(r.host, ec);
    resize_allocation(r.drive, size, 0);
    c.result_bool(TRUE);
    return TRUE;
}

BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to) {
    CallRecord c("MoveFileA", Args().path(from).string(to));
    if (!from || !to)
        return c.fail(ERROR_PATH_NOT_FOUND);
    if (auto error = injected_file_fault(FileCall::move, from))
        return c.fail(*error);
    ResolvedPath source = resolve_path(from);
    if (source.error)
        return c.fail(source.error);
    std::error_code ec;
    if (!fs::exists(source.host, ec))
        return c.fail(ERROR_FILE_NOT_FOUND);
    ResolvedPath target = resolve_path(to);
    if (target.error)
        return c.fail(target.error);
    const bool same_file =
        fs::exists(target.host, ec) && fs::equivalent(source.host, target.host, ec);
    if (fs::exists(target.host, ec) && !same_file)
        return c.fail(ERROR_ALREADY_EXISTS);
    if (is_open_by_runtime(source.host))
        return c.fail(ERROR_SHARING_VIOLATION);
    if (source.drive != target.drive) {
        // Another drive: a copy and a delete, which a running program's
        // file refuses.
        if (is_running_image(source.host))
            return c.fail(ERROR_ACCESS_DENIED);
        uint64_t size = size_of(source.host);
        if (!resize_allocation(target.drive, 0, size))
            return c.fail(ERROR_DISK_FULL);
        fs::copy_file(source.host, target.host, ec);
        fs::remove(source.host, ec);
        resize_allocation(source.drive, size, 0);
    } else {
        // Renaming a running program's file is allowed: the program keeps
        // running from it under its new name.
        fs::rename(source.host, target.host, ec);
        image_moved(source.host, target.host);
    }
    auto &read_only = world().files.read_only;
    if (read_only.erase(source.host.string()))
        read_only.insert(target.host.string());
    c.result_bool(TRUE);
    return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
    CallRecord c("CreateDirectoryA", Args().path(path));
    if (!path)
        return c.fail(ERROR_PATH_NOT_FOUND);
    ResolvedPath r = resolve_path(path);
    if (r.error)
        return c.fail(r.error);
    std::error_code ec;
    if (fs::exists(r.host, ec))
        return c.fail(ERROR_ALREADY_EXISTS);
    fs::create_directory(r.host, ec);
    c.result_bool(TRUE);
    return TRUE;
}

namespace sim {

void set_drive(char letter, DWORD sectors_per_cluster, DWORD bytes_per_sector, DWORD free_clusters,
               DWORD total_clusters) {
    world().files.drives[drive_letter(letter)] =
        Drive{sectors_per_cluster, bytes_per_sector, free_clusters, total_clusters};
}

void remove_drive(char letter) {
    world().files.drives.erase(drive_letter(letter));
}

uint64_t free_bytes(char letter) {
    const Drive *d = find_drive(letter);
    return d ? d->cluster_bytes() * d->free_clusters : 0;
}

void make_folder(const std::string &path) {
    sandbox_root();
    std::string walked;
    std::stringstream parts(path);
    for (std::string name; std::getline(parts, name, '\\');) {
        walked += (walked.empty() ? "" : "\\") + name;
        if (walked.size() <= 2)
            continue; // the drive itself
        ResolvedPath r = resolve_path(walked);
        std::error_code ec;
        if (r.error || !fs::create_directories(r.host, ec)) {
            if (r.error || !fs::is_directory(r.host, ec))
                fault("make_folder: cannot make " + walked);
        }
    }
}

void put_file(const std::string &path, const std::string &bytes) {
    ResolvedPath r = resolve_path(path);
    if (r.error) {
        fault("put_file: the folder of " + path + " does not exist");
        return;
    }
    resize_allocation(r.drive, size_of(r.host), 0);
    std::ofstream out(r.host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!resize_allocation(r.drive, 0, bytes.size()))
        fault("put_file: not enough free space on the drive for " + path);
}

void put_file(const std::string &path, const std::vector<uint8_t> &bytes) {
    put_file(path, std::string(bytes.begin(), bytes.end()));
}

void refuse_open(const std::string &path, DWORD error, int times) {
    world().files.faults.push_back(FileFault{FileCall::open, path, error, times});
}

void refuse_delete(const std::string &path, DWORD error, int times) {
    world().files.faults.push_back(FileFault{FileCall::remove, path, error, times});
}

void refuse_move(const std::string &path, DWORD error, int times) {
    world().files.faults.push_back(FileFault{FileCall::move, path, error, times});
}

void set_write_speed(uint64_t bytes_per_ms) {
    world().files.write_bytes_per_ms = bytes_per_ms;
    world().files.write_backlog = 0;
}

void fill_disk_after(const std::string &path, uint64_t bytes) {
    world().files.budgets.push_back(DiskBudget{path, bytes});
}

std::optional<std::string> read_file(const std::string &path) {
    ResolvedPath r = resolve_path(path);
    std::error_code ec;
    if (r.error || !fs::is_regular_file(r.host, ec))
        return std::nullopt;
    std::ifstream in(r.host, std::ios::binary);
    std::string bytes(static_cast<size_t>(fs::file_size(r.host, ec)), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

bool file_exists(const std::string &path) {
    ResolvedPath r = resolve_path(path);
    std::error_code ec;
    return !r.error && fs::is_regular_file(r.host, ec);
}

std::vector<std::string> folder_listing(const std::string &path) {
    std::vector<std::string> names;
    ResolvedPath r = resolve_path(path);
    std::error_code ec;
    if (r.error || !fs::is_directory(r.host, ec))
        return names;
    for (const auto &entry : fs::directory_iterator(r.host, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string sandbox_folder() {
    return sandbox_root().string();
}

} // namespace sim
