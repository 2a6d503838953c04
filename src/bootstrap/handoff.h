// What the launcher and the installer it starts agree on: window names, the
// start message, the two commands, the file names in the temp directory, the
// installer command line and how the installer process is started.
#pragma once

#include "platform/platform.h"

// The launcher's progress window; a launcher that finds one already present
// hands over to the running installer.
inline constexpr char progress_class_name[] = "KLDecompressor";
inline constexpr char progress_window_title[] = "Kelvara Installation";

// The installer's main window. Its title is also the caption of the
// launcher's own error boxes during extraction.
inline constexpr char installer_class_name[] = "KelvaraClientInstaller";
inline constexpr char installer_window_title[] = "Kelvara Installer";
inline constexpr char installer_box_caption[] = "Kelvara Installer";

// Posted once by the launcher to its own window to start the extraction.
inline constexpr UINT start_message = WM_USER + 1; // 1025

// WM_COMMAND codes, compared with the whole wParam.
inline constexpr WPARAM hide_command = 55555; // 0xD903
inline constexpr WPARAM show_command = 55556; // 0xD904

// Files in the temp directory.
inline constexpr char installer_file_name[] = "uninstall.client.exe";
inline constexpr char installer_path_format[] = "%s\\%s";       // temp directory, file name
inline constexpr char installer_command_format[] = "%s\\%s %c"; // ... and the mode letter
// Applied to the whole path. Kept as characters, not pointers: a table of
// pointers would need relocations in the 32-bit executable.
inline constexpr char aside_name_formats[3][6] = {"%s_", "%s__", "%s___"};
inline constexpr char data_file_stem[] = "client";
inline constexpr char data_file_extension[] = ".klv.datafile";
inline constexpr char marker_a_format[] = "%s\\killme_a";
inline constexpr char marker_b_format[] = "%s\\killme_b";

// After the data file is complete the launcher looks for the installer's
// window this many times, pausing this long after each search.
inline constexpr int installer_window_tries = 30;
inline constexpr DWORD installer_search_pause_ms = 500;

// While the installer runs, the launcher looks at its messages this often.
inline constexpr DWORD installer_wait_step_ms = 100;

// Mode letters on the installer command line.
inline constexpr char install_mode = 'i';
inline constexpr char extract_mode = 'x';

// The installer process's start: inherited handles and environment, normal
// priority, shown maximized.
inline constexpr BOOL installer_inherits_handles = TRUE;
inline constexpr DWORD installer_creation_flags = NORMAL_PRIORITY_CLASS; // 0x20
inline constexpr DWORD installer_startup_size = sizeof(STARTUPINFOA);
// The record as the shipped 32-bit launcher passes it; 104 bytes in 64-bit builds.
static_assert(sizeof(void *) != 4 || installer_startup_size == 68);
static_assert(sizeof(void *) != 8 || installer_startup_size == 104);
inline constexpr DWORD installer_startup_flags = STARTF_USESHOWWINDOW;
inline constexpr WORD installer_show_window = SW_SHOWMAXIMIZED;

// The environment entry set when TEMP is absent, inherited by the installer.
inline constexpr char temp_variable[] = "TEMP";
inline constexpr char fallback_temp_directory[] = "c:\\temp";
inline constexpr char fallback_temp_entry[] = "TEMP=C:\\TEMP";
