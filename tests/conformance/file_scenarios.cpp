// The runtime's descriptor calls and the kernel's file calls as the launcher
// uses them: open flags on a file that exists, files that are busy, free
// space, and a full disk.
#include "observations.h"
#include "peer_world.h"

namespace conformance {

namespace {

constexpr int write_flags = _O_WRONLY | _O_CREAT | _O_BINARY;
constexpr int permission = _S_IREAD | _S_IWRITE;

std::string path_of(const char *name) {
    return work_folder() + "\\" + name;
}

void write_file(const std::string &path, int flags, const char *bytes) {
    int fd = _open(path.c_str(), flags, permission);
    _write(fd, bytes, static_cast<unsigned>(strlen(bytes)));
    _close(fd);
}

std::string contents(const std::string &path) {
    int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY, 0);
    if (fd < 0)
        return "(cannot open)";
    char buffer[64];
    int got = _read(fd, buffer, sizeof buffer);
    _close(fd);
    std::string out;
    for (int i = 0; i < got; ++i)
        out += buffer[i] == '\r'   ? std::string("\\r")
               : buffer[i] == '\n' ? std::string("\\n")
                                   : std::string(1, buffer[i]);
    return out;
}

void open_flags(std::vector<std::string> &observed) {
    const std::string path = path_of("open.bin");
    DeleteFileA(path.c_str());
    write_file(path, write_flags | _O_TRUNC, "ABCDEFGH");
    write_file(path, write_flags, "xy");
    observed.push_back("without _O_TRUNC: " + contents(path));
    write_file(path, write_flags | _O_TRUNC, "xy");
    observed.push_back("with _O_TRUNC: " + contents(path));
    int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC, permission);
    int written = _write(fd, "a\nb", 3);
    _close(fd);
    observed.push_back("text mode: _write = " + std::to_string(written) + ", file " +
                       contents(path));
    errno = 0;
    fd = _open(path_of("missing.bin").c_str(), _O_WRONLY | _O_BINARY, permission);
    observed.push_back("missing file without _O_CREAT: " + std::to_string(fd) +
                       " errno=" + std::to_string(errno));
    DeleteFileA(path.c_str());
}

std::string outcome(BOOL result) {
    return std::to_string(result) + " error=" + std::to_string(result ? 0 : GetLastError());
}

void busy_files(std::vector<std::string> &observed) {
    const std::string open_path = path_of("held.bin");
    write_file(open_path, write_flags | _O_TRUNC, "held");
    int held = _open(open_path.c_str(), write_flags, permission);
    observed.push_back("-- a file the runtime holds open");
    observed.push_back("DeleteFileA = " + outcome(DeleteFileA(open_path.c_str())));
    observed.push_back("MoveFileA = " +
                       outcome(MoveFileA(open_path.c_str(), path_of("held2.bin").c_str())));
    _close(held);
    observed.push_back("after _close, DeleteFileA = " + outcome(DeleteFileA(open_path.c_str())));

    const std::string busy = path_of("busy.exe");
    const std::string moved = path_of("busy_moved.exe");
    DeleteFileA(moved.c_str());
    place_peer(busy, Role::hold);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = busy;
    CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process);
    HWND peer_window = NULL;
    for (int i = 0; i < 200 && !peer_window; ++i, Sleep(50))
        peer_window = FindWindowA(peer_class, peer_title);
    observed.push_back("-- the file of a running program");
    observed.push_back("DeleteFileA = " + outcome(DeleteFileA(busy.c_str())));
    errno = 0;
    int fd = _open(busy.c_str(), write_flags, permission);
    observed.push_back("_open for writing = " + std::to_string(fd) +
                       " errno=" + std::to_string(errno));
    if (fd >= 0)
        _close(fd);
    observed.push_back("MoveFileA = " + outcome(MoveFileA(busy.c_str(), moved.c_str())));
    SendMessageA(peer_window, WM_COMMAND, peer_quit_command, 0);
    WaitForSingleObject(process.hProcess, 10000);
    observed.push_back("after its end, DeleteFileA = " + outcome(DeleteFileA(moved.c_str())));
}

uint64_t free_on(const std::string &root) {
    DWORD sectors = 0, bytes = 0, free_clusters = 0, total = 0;
    GetDiskFreeSpaceA(root.c_str(), &sectors, &bytes, &free_clusters, &total);
    return uint64_t{sectors} * bytes * free_clusters;
}

void free_space(std::vector<std::string> &observed) {
    const std::string root = small_drive();
    const std::string path = root + "space.bin";
    const uint64_t before = free_on(root);
    static char block[4096];
    int fd = _open(path.c_str(), write_flags | _O_TRUNC, permission);
    for (int i = 0; i < 256; ++i)
        _write(fd, block, sizeof block);
    _close(fd);
    const uint64_t after = free_on(root);
    observed.push_back(
        "free space after writing 1 MiB: " +
        std::string(before - after == 1048576
                        ? "1 MiB less"
                        : "changed by " + std::to_string(static_cast<long long>(before - after))));
    DeleteFileA(path.c_str());
    observed.push_back(std::string("after deleting it: ") +
                       (free_on(root) == before ? "as before" : "not as before"));
}

void full_disk(std::vector<std::string> &observed) {
    const std::string path = small_drive() + "full.bin";
    static char block[3000];
    int fd = _open(path.c_str(), write_flags | _O_TRUNC, permission);
    long long total = 0;
    int result = 0;
    for (int i = 0; i < 100000; ++i) {
        errno = 0;
        result = _write(fd, block, sizeof block);
        if (result != static_cast<int>(sizeof block))
            break;
        total += result;
    }
    const int error = errno;
    _close(fd);
    observed.push_back("the write that does not fit returns " + std::to_string(result) +
                       " errno=" + std::to_string(error));
    int check = _open(path.c_str(), _O_RDONLY | _O_BINARY, 0);
    long long size = 0;
    static char sink[65536];
    for (int got; (got = _read(check, sink, sizeof sink)) > 0;)
        size += got;
    _close(check);
    observed.push_back(std::string("the file holds ") +
                       (size == total ? "the whole writes before it" : "part of it too"));
    DeleteFileA(path.c_str());
}

} // namespace

std::vector<Scenario> file_scenarios() {
    return {
        {"open_flags",
         "_open without _O_TRUNC writes over an existing file from its start and leaves its "
         "tail; with _O_TRUNC the file is emptied; text mode writes \\r\\n; a missing file "
         "without _O_CREAT fails with ENOENT",
         {
             {"without _O_TRUNC: xyCDEFGH"},
             {"with _O_TRUNC: xy"},
             {"text mode: _write = 3, file a\\r\\nb"},
             {"missing file without _O_CREAT: -1 errno=2"},
         },
         open_flags},
        {"busy_files",
         "a file the runtime holds open cannot be deleted or renamed (ERROR_SHARING_VIOLATION); "
         "a running program's file cannot be deleted (ERROR_ACCESS_DENIED) or opened for "
         "writing (EACCES), but it can be renamed",
         {
             {"-- a file the runtime holds open"},
             {"DeleteFileA = 0 error=32"},
             {"MoveFileA = 0 error=32"},
             {"after _close, DeleteFileA = 1 error=0"},
             {"-- the file of a running program"},
             {"DeleteFileA = 0 error=5"},
             {"_open for writing = -1 errno=13"},
             {"MoveFileA = 1 error=0"},
             {"after its end, DeleteFileA = 1 error=0"},
         },
         busy_files},
        {"free_space",
         "a drive's free space shrinks by what a file takes and comes back when it is deleted",
         {{"free space after writing 1 MiB: 1 MiB less"}, {"after deleting it: as before"}},
         free_space},
        {"full_disk",
         "on a full disk _write fails with ENOSPC",
         {
             {"the write that does not fit returns -1 errno=28", false,
              "Windows' runtime documents that a write larger than the space left fails whole "
              "with ENOSPC and writes nothing, which the simulated desktop does; Wine's runtime "
              "writes what fits and fails with errno taken from a successful WriteFile",
              "the write that does not fit returns -1 errno=22"},
             {"the file holds the whole writes before it", false, "Wine writes the part that fits",
              "the file holds part of it too"},
         },
         full_disk},
    };
}

} // namespace conformance
