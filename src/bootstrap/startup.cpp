#include "bootstrap/startup.h"

#include "bootstrap/handoff.h"
#include "bootstrap/launcher_state.h"
#include "bootstrap/progress_window.h"
#include "payload/payload_figures.h"
#include "progress/progress_state.h"

namespace {

constexpr char error_caption[] = "Error";

constexpr char no_space_format[] =
    "You do not have enough free space on drive %s to run the installer.\r\r"
    "You should free up space on your hard drive or change the location of your temp folder.";

constexpr char long_temp_format[] = "The path of your temp folder is too long:\r\r%s\r\r"
                                    "Set TEMP to a folder whose path has at most 232 characters.";

} // namespace

void resolve_temp_directory() {
    const char *value = getenv(temp_variable);
    if (value != NULL && value[0] != '\0') {
        snprintf(temp_directory, sizeof temp_directory, "%.259s", value);
        size_t length = strlen(temp_directory);
        if (temp_directory[length - 1] == '\\')
            temp_directory[length - 1] = '\0';
    } else {
        snprintf(temp_directory, sizeof temp_directory, "%s", fallback_temp_directory);
        _putenv(fallback_temp_entry);
    }
}

int temp_directory_fits() {
    if (strlen(temp_directory) <= longest_temp_directory)
        return 1;
    char message[512];
    snprintf(message, sizeof message, long_temp_format, temp_directory);
    MessageBoxA(NULL, message, error_caption, MB_OK | MB_ICONHAND);
    return 0;
}

char take_mode_letter(const char *arguments) {
    return arguments[0] == extract_mode ? extract_mode : install_mode;
}

uint64_t free_bytes(DWORD sectors_per_cluster, DWORD bytes_per_sector, DWORD free_clusters) {
    uint64_t cluster = uint64_t{sectors_per_cluster} * bytes_per_sector;
    if (cluster != 0 && free_clusters > UINT64_MAX / cluster)
        return UINT64_MAX;
    return cluster * free_clusters;
}

int enough_free_space() {
    char root[4];
    strncpy(root, temp_directory, 3);
    root[3] = '\0';
    DWORD sectors_per_cluster = 0;
    DWORD bytes_per_sector = 0;
    DWORD free_clusters = 0;
    DWORD total_clusters = 0;
    GetDiskFreeSpaceA(root, &sectors_per_cluster, &bytes_per_sector, &free_clusters,
                      &total_clusters);
    if (free_bytes(sectors_per_cluster, bytes_per_sector, free_clusters) >= free_space_threshold)
        return 1;
    char message[256];
    snprintf(message, sizeof message, no_space_format, root);
    MessageBoxA(NULL, message, error_caption, MB_OK | MB_ICONHAND);
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    resolve_temp_directory();

    // A launcher is already running: bring its installer to the front instead.
    if (FindWindowA(progress_class_name, progress_window_title) != NULL) {
        ShowWindow(FindWindowA(installer_class_name, installer_window_title), SW_SHOWMAXIMIZED);
        return 0;
    }

    // Before anything builds a path in the temp directory.
    if (!temp_directory_fits())
        return 1;

    SetCursor(LoadCursorA(NULL, IDC_WAIT));
    ShowCursor(TRUE);
    if (!register_progress_class(instance))
        return 0;
    if (!create_progress_window(instance))
        return 0;
    mode_letter = take_mode_letter(arguments);
    if (!enough_free_space())
        return 1;

    create_progress_brushes();
    status_text[0] = '\0';
    PostMessageA(progress_window, start_message, 0, 0);

    MSG message = {};
    for (;;) {
        BOOL got = GetMessageA(&message, NULL, 0, 0);
        if (got == 0)
            return static_cast<int>(message.wParam); // the quit message's code
        // An error leaves the record as it was; nothing in it is a result.
        if (got == -1)
            return 0;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
