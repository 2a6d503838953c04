#include "bootstrap/extract_and_launch.h"

#include "bootstrap/handoff.h"
#include "bootstrap/launcher_state.h"
#include "implode/implode_decoder.h"
#include "payload/extraction_context.h"
#include "payload/payload_figures.h"
#include "payload/payload_reader.h"
#include "platform/out_of_line.h"
#include "progress/dispatch_one_message.h"
#include "progress/progress_meter.h"
#include "progress/progress_state.h"

PROCESS_INFORMATION installer_process;
STARTUPINFOA startup_information;

namespace {

constexpr char preparing_status[] = "Setup is preparing the Kelvara installation wizard.";
constexpr char extracting_status[] = "It is not necessary to wait while the files which will be "
                                     "used to install this application are extracted.";
constexpr char installer_failure_text[] = "Unable to write installer executable.";
constexpr char data_failure_text[] = "Unable to write data file.";
constexpr char launch_failure_text[] = "Can't start process.";

constexpr char installer_payload_name[] = "DATA";
constexpr char data_payload_name[] = "DATA2";

// Every buffer holds its text whole for the longest accepted temp directory.
constexpr size_t installer_path_length =
    longest_temp_directory + 1 + sizeof installer_file_name - 1;
constexpr size_t data_file_path_length =
    longest_temp_directory + 1 + sizeof data_file_stem - 1 + sizeof data_file_extension - 1;

char installer_path[256];
static_assert(installer_path_length < sizeof installer_path);
char installer_command_line[256]; // the path, a blank and the mode letter
static_assert(installer_path_length + 2 < sizeof installer_command_line);
char aside_name[260]; // the path and up to three underscores
static_assert(installer_path_length + 3 < sizeof aside_name);
char data_file_path[300];
static_assert(data_file_path_length < sizeof data_file_path);
char failure_text[320];
static_assert(sizeof installer_failure_text - 1 + installer_path_length < sizeof failure_text);
static_assert(sizeof data_failure_text - 1 + data_file_path_length < sizeof failure_text);

// Reused for both payloads; zero-filled when the launcher starts.
implode_work_area decoder_work_area;
extraction_context extraction;

void set_status_text(const char *text) {
    snprintf(status_text, sizeof status_text, "%s", text);
}

// Created if missing and emptied if present, so that no tail of an older,
// longer file survives behind the new bytes.
int open_output_file(const char *path) {
    return _open(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}

// Decodes the payload under the cursor into the open file and closes it.
// Nonzero when the file holds exactly what the payload decodes to.
int decode_payload_into_file(int descriptor, uint32_t expected_size, uint32_t expected_crc) {
    begin_extraction(&extraction, descriptor);
    int result = implode_decode(on_decoder_read, on_decoder_write, &decoder_work_area, &extraction);
    int closed = descriptor != -1 && _close(descriptor) == 0;
    return closed && extraction_complete(&extraction, result, expected_size, expected_crc);
}

void report_installer_failure() {
    snprintf(failure_text, sizeof failure_text, "%s%s", installer_failure_text, installer_path);
    MessageBoxA(progress_window, failure_text, installer_box_caption, MB_OK);
}

// Writes the installer executable. A file of that name that cannot be
// opened (an installer from an earlier run may still be running from it) is
// moved aside, up to three times. Nonzero when the file came out whole; a
// file that did not is deleted.
int write_installer_executable() {
    set_status_text(preparing_status);
    progress_scale = payload_progress_scale;
    reset_payload_cursor();
    HGLOBAL resource = locate_payload(installer_payload_name, installer_payload_length);
    snprintf(installer_path, sizeof installer_path, installer_path_format, temp_directory,
             installer_file_name);
    DeleteFileA(installer_path);
    int descriptor = open_output_file(installer_path);
    for (const char *aside_format : aside_name_formats) {
        if (descriptor != -1)
            break;
        snprintf(aside_name, sizeof aside_name, aside_format, installer_path);
        MoveFileA(installer_path, aside_name);
        descriptor = open_output_file(installer_path);
    }
    if (descriptor == -1) {
        report_installer_failure();
        return 0;
    }
    int whole =
        decode_payload_into_file(descriptor, installer_decoded_size, installer_decoded_crc32);
    FreeResource(resource);
    if (!whole) {
        DeleteFileA(installer_path);
        report_installer_failure();
    }
    return whole;
}

// All zero but its size, its flags and how the installer's window shows.
OUT_OF_LINE void describe_installer_start(STARTUPINFOA *startup) {
    memset(startup, 0, sizeof *startup);
    startup->cb = installer_startup_size;
    startup->dwFlags = installer_startup_flags;
    startup->wShowWindow = installer_show_window;
}

// Starts the installer from the file just written. The path goes in as the
// program's name too, so that no other program is found by trying the
// blank-separated parts of an unquoted path.
BOOL launch_installer() {
    reset_payload_cursor();
    snprintf(installer_command_line, sizeof installer_command_line, installer_command_format,
             temp_directory, installer_file_name, mode_letter);
    refresh_progress();
    describe_installer_start(&startup_information);
    memset(&installer_process, 0, sizeof installer_process);
    BOOL launched = CreateProcessA(installer_path, installer_command_line, NULL, NULL,
                                   installer_inherits_handles, installer_creation_flags, NULL, NULL,
                                   &startup_information, &installer_process);
    refresh_progress();
    return launched;
}

// Writes the data file while the installer runs. Nonzero when it came out
// whole; otherwise it is deleted and the user is told.
int write_data_file() {
    set_status_text(extracting_status);
    HGLOBAL resource = locate_payload(data_payload_name, data_payload_length);
    snprintf(data_file_path, sizeof data_file_path, "%s\\%s%s", temp_directory, data_file_stem,
             data_file_extension);
    DeleteFileA(data_file_path);
    int descriptor = open_output_file(data_file_path);
    int whole = decode_payload_into_file(descriptor, data_decoded_size, data_decoded_crc32);
    FreeResource(resource);
    if (!whole) {
        DeleteFileA(data_file_path);
        snprintf(failure_text, sizeof failure_text, "%s%s", data_failure_text, data_file_path);
        MessageBoxA(NULL, failure_text, installer_box_caption, MB_OK);
    }
    return whole;
}

// Tells the installer's window that the data file is complete. The window
// may take a while to appear; each search is followed by a pause and a look
// at the progress window's messages.
void hand_off_to_installer() {
    HWND installer_window = NULL;
    for (int tries = 0; tries < installer_window_tries; ++tries) {
        installer_window = FindWindowA(installer_class_name, installer_window_title);
        Sleep(installer_search_pause_ms);
        dispatch_one_message();
        if (installer_window != NULL)
            break;
    }
    if (installer_window != NULL)
        SendMessageA(installer_window, WM_COMMAND, hide_command, 0);
}

} // namespace

void extract_and_launch() {
    if (!write_installer_executable())
        return;
    BOOL launched = launch_installer();
    int data_whole = write_data_file();
    if (launched != TRUE) {
        MessageBoxA(NULL, launch_failure_text, installer_box_caption, MB_OK);
        return;
    }
    // An installer told that a bad data file is complete would install from it.
    if (data_whole)
        hand_off_to_installer();
}
