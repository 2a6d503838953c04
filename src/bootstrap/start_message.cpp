#include "bootstrap/start_message.h"

#include "bootstrap/extract_and_launch.h"
#include "bootstrap/handoff.h"
#include "bootstrap/launcher_state.h"
#include "progress/dispatch_one_message.h"
#include "progress/progress_state.h"

namespace {

// Waits for the installer to end, looking at the progress window's messages
// between waits so that the installer can still show and hide it. Ends at
// once when no installer was started.
void wait_for_installer() {
    DWORD result = WaitForSingleObject(installer_process.hProcess, installer_wait_step_ms);
    while (result == WAIT_TIMEOUT) {
        dispatch_one_message();
        result = WaitForSingleObject(installer_process.hProcess, installer_wait_step_ms);
    }
}

// The installer executable and the installer's marker files; any of them
// may be missing.
void delete_installer_files() {
    char path[256];
    snprintf(path, sizeof path, installer_path_format, temp_directory, installer_file_name);
    DeleteFileA(path);
    snprintf(path, sizeof path, marker_a_format, temp_directory);
    DeleteFileA(path);
    snprintf(path, sizeof path, marker_b_format, temp_directory);
    DeleteFileA(path);
}

} // namespace

LRESULT on_start_message() {
    extract_and_launch();
    ShowWindow(progress_window, SW_HIDE);
    wait_for_installer();
    delete_installer_files();
    PostQuitMessage(0);
    return 1;
}
