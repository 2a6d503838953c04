// Files and drives. Every test (and every simulated run) has a sandbox folder
// on the host that holds one folder per drive; Windows paths (drive letter,
// backslashes, names compared without regard to case but kept as written)
// map into it. The sandbox goes when the process ends, unless the variable
// KELVARA_KEEP_SANDBOX is set.
//
// Drive C: exists from the start with 20 GiB free, 4 KiB clusters, and the
// folders C:\WINDOWS\TEMP, C:\WINDOWS\system32 and C:\Users\Public\Downloads.
// A file takes whole clusters of its drive's free space while it exists.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// A drive with the free space GetDiskFreeSpaceA reports; files written later
// take from it. Any drive letter other than C: is unknown until set.
void set_drive(char letter, DWORD sectors_per_cluster, DWORD bytes_per_sector, DWORD free_clusters,
               DWORD total_clusters);
// Makes the drive unknown: GetDiskFreeSpaceA fails, its paths are not found.
void remove_drive(char letter);
// Free bytes of a drive now (0 for an unknown drive).
uint64_t free_bytes(char letter);

// ---- before the run ----

// Creates a folder and the folders above it.
void make_folder(const std::string &path);
// Puts a file in place (its folder must exist), replacing one of that name.
void put_file(const std::string &path, const std::string &bytes);
void put_file(const std::string &path, const std::vector<uint8_t> &bytes);

// Injected faults, by path (compared without regard to case). Each holds for
// the given number of calls on that path, or for every call with -1.
// An open of the file fails with this Windows error (the runtime's errno
// follows from it, EACCES for a busy file).
void refuse_open(const std::string &path, DWORD error = ERROR_SHARING_VIOLATION, int times = -1);
void refuse_delete(const std::string &path, DWORD error = ERROR_SHARING_VIOLATION, int times = -1);
// A move of that file (the source path) fails.
void refuse_move(const std::string &path, DWORD error = ERROR_SHARING_VIOLATION, int times = -1);
// Once this many bytes have been written to the file, the disk counts as
// full for it: a write that does not fit fails whole with ENOSPC.
void fill_disk_after(const std::string &path, uint64_t bytes);

// Writing takes virtual time, as on a real disk: each _write moves the clock
// on by its bytes at this speed, so that other processes act while a file
// grows. 0 (the default) makes writes take no time.
void set_write_speed(uint64_t bytes_per_ms);

// ---- after (or during) the run ----

// The file's bytes, or nothing when there is no such file.
std::optional<std::string> read_file(const std::string &path);
bool file_exists(const std::string &path);
// The names in a folder, as written, sorted.
std::vector<std::string> folder_listing(const std::string &path);
// The host folder that holds the drives.
std::string sandbox_folder();

} // namespace sim
