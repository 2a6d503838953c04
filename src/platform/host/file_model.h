// Drives, the sandbox folder that holds their files, open descriptors and
// injected faults.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace sim::detail {

struct Drive {
    DWORD sectors_per_cluster, bytes_per_sector, free_clusters, total_clusters;
    uint64_t cluster_bytes() const { return uint64_t{sectors_per_cluster} * bytes_per_sector; }
};

struct OpenFile {
    int host_descriptor = -1;
    std::filesystem::path host_path;
    std::string windows_path; // as given to _open
    char drive = 'C';
    bool writable = false;
    bool text_mode = false;
    uint64_t position = 0;
};

enum class FileCall { open, remove, move };

struct FileFault {
    FileCall call;
    std::string path; // as given; compared without regard to case
    DWORD error;
    int times_left; // -1: always
};

struct DiskBudget {
    std::string path;
    uint64_t bytes_left;
};

struct FileSystem {
    std::filesystem::path sandbox; // empty until first needed
    std::map<char, Drive> drives;
    std::map<int, OpenFile> open;    // the runtime's descriptors
    int next_descriptor = 3;         // 0 to 2 are the standard streams
    std::set<std::string> read_only; // host paths of files made read-only
    std::vector<FileFault> faults;
    std::vector<DiskBudget> budgets;
    // Writing takes time: bytes a millisecond of virtual time (0: none).
    uint64_t write_bytes_per_ms = 0;
    uint64_t write_backlog = 0; // bytes written that have not yet filled a millisecond
};

// Where a Windows path leads on the host, or the Windows error that says why
// it leads nowhere (ERROR_PATH_NOT_FOUND for a missing folder or drive).
// Names match existing ones without regard to case; a missing last name is
// kept as written.
struct ResolvedPath {
    std::filesystem::path host;
    char drive = 0;
    DWORD error = ERROR_SUCCESS;
};
ResolvedPath resolve_path(const std::string &windows_path);
std::filesystem::path sandbox_root();

Drive *find_drive(char letter);
uint64_t clusters_for(const Drive &d, uint64_t bytes);
// Takes or gives back the clusters for a file that changes from one size to
// another. False (and nothing taken) when the drive has too few free.
bool resize_allocation(char drive, uint64_t old_size, uint64_t new_size);

// A fault injected for this call on this path, counted when it fires.
std::optional<DWORD> injected_file_fault(FileCall call, const std::string &windows_path);

// A file is busy when a running process executes it, or when a descriptor
// of the runtime has it open.
bool is_running_image(const std::filesystem::path &host);
bool is_open_by_runtime(const std::filesystem::path &host);
// The path a process's image moves to when its file is renamed.
void image_moved(const std::filesystem::path &from, const std::filesystem::path &to);

// The Microsoft runtime's mapping from a Windows error to errno.
int errno_for(DWORD error);

} // namespace sim::detail
