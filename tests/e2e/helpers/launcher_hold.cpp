// Holds a running launcher still in the middle of writing its data file, so
// that a test can look at the screen and the temp folder while the progress
// window shows a partly filled bar.
//
//   e2e_launcher_hold DATA_FILE HELD_FILE RELEASE_FILE [--grown BYTES] [--timeout-ms N]
//
// 1. Finds the launcher's progress window and the launcher's thread.
// 2. When DATA_FILE appears (the installer has just been started), suspends
//    the launcher until the installer's window is visible, and a moment
//    longer: the installer's show command then reaches the launcher with
//    nearly the whole data file still to write, however slowly the installer
//    started.
// 3. Once the progress window is visible and the data file has grown by BYTES
//    (default 262144) since, suspends the launcher again and writes HELD_FILE:
//      window=L,T,R,B    the progress window on the screen
//      client=X,Y        the top left of its client area on the screen
//      data_file_size=N  the data file's size while the launcher is held
// 4. Resumes the launcher once RELEASE_FILE exists, and prints on stdout
//      held_ms=N         how long the launcher was held in all
// The launcher is resumed on every way out. Exit codes: 0 released, 2 usage,
// 3 no launcher to hold, 4 timed out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD poll_ms = 1;
// Time for the installer to send its show command once its window is up.
constexpr DWORD show_command_allowance_ms = 300;

ULONGLONG deadline;
HANDLE launcher_thread;
bool suspended;
ULONGLONG suspended_at;
ULONGLONG held_ms;

bool exists(const char *path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The file's size, or -1 while it does not exist.
long long file_size(const char *path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

void suspend_launcher() {
    if (SuspendThread(launcher_thread) != static_cast<DWORD>(-1)) {
        suspended = true;
        suspended_at = GetTickCount64();
    }
}

void resume_launcher() {
    if (!suspended)
        return;
    ResumeThread(launcher_thread);
    held_ms += GetTickCount64() - suspended_at;
    suspended = false;
}

// Polls until `ready` holds; false (and the launcher resumed) on the time-out.
template <typename Condition> bool wait_until(const char *what, Condition ready) {
    while (!ready()) {
        if (GetTickCount64() > deadline) {
            resume_launcher();
            std::fprintf(stderr, "e2e_launcher_hold: timed out waiting for %s\n", what);
            return false;
        }
        Sleep(poll_ms);
    }
    return true;
}

bool write_held_file(const char *path, HWND progress, long long data_size) {
    RECT outer{};
    GetWindowRect(progress, &outer);
    POINT client{0, 0};
    ClientToScreen(progress, &client);
    FILE *file = std::fopen(path, "w");
    if (file == nullptr)
        return false;
    std::fprintf(file, "window=%ld,%ld,%ld,%ld\nclient=%ld,%ld\ndata_file_size=%lld\n", outer.left,
                 outer.top, outer.right, outer.bottom, client.x, client.y, data_size);
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: e2e_launcher_hold DATA_FILE HELD_FILE RELEASE_FILE "
                             "[--grown BYTES] [--timeout-ms N]\n");
        return 2;
    }
    const char *data_file = argv[1];
    const char *held_file = argv[2];
    const char *release_file = argv[3];
    long long grown = 262144;
    unsigned long timeout_ms = 60000;
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "--grown") == 0 && i + 1 < argc) {
            grown = std::strtoll(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--timeout-ms") == 0 && i + 1 < argc) {
            timeout_ms = std::strtoul(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "e2e_launcher_hold: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    deadline = GetTickCount64() + timeout_ms;

    HWND progress = nullptr;
    if (!wait_until("the progress window", [&] {
            return (progress = FindWindowA("KLDecompressor", "Kelvara Installation")) != nullptr;
        }))
        return 3;
    const DWORD thread_id = GetWindowThreadProcessId(progress, nullptr);
    launcher_thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread_id);
    if (launcher_thread == nullptr) {
        std::fprintf(stderr, "e2e_launcher_hold: cannot open the launcher's thread: %lu\n",
                     GetLastError());
        return 3;
    }

    if (!wait_until("the data file", [&] { return exists(data_file); }))
        return 4;
    suspend_launcher();
    if (!wait_until("the installer's window", [] {
            HWND installer = FindWindowA("KelvaraClientInstaller", "Kelvara Installer");
            return installer != nullptr && IsWindowVisible(installer);
        }))
        return 4;
    Sleep(show_command_allowance_ms);
    resume_launcher();

    if (!wait_until("the progress window to be shown", [&] { return IsWindowVisible(progress); }))
        return 4;
    const long long size_when_shown = file_size(data_file);
    if (!wait_until("the data file to grow",
                    [&] { return file_size(data_file) >= size_when_shown + grown; }))
        return 4;
    suspend_launcher();
    if (!write_held_file(held_file, progress, file_size(data_file))) {
        resume_launcher();
        std::fprintf(stderr, "e2e_launcher_hold: cannot write %s\n", held_file);
        return 3;
    }
    const bool released = wait_until("the release", [&] { return exists(release_file); });
    resume_launcher();
    std::printf("held_ms=%llu\n", held_ms);
    return released ? 0 : 4;
}
