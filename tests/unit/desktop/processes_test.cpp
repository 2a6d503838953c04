// Other processes in the simulated desktop: which file CreateProcessA runs,
// what a started process is given, scripts in virtual time, and waiting.
#include "desktop_programs.h"
#include "intent_names.h"
#include "launcher_scenario.h"
#include "payload/crc32.h"
#include "platform/host/sim.h"

#include <gtest/gtest.h>

namespace {

using scenario::installer_window_name;
using scenario::progress_window_name;

const std::string installer_bytes = "MZ the installer";

uint32_t crc_of(const std::string &bytes) {
    return crc32_update(0, reinterpret_cast<const uint8_t *>(bytes.data()),
                        static_cast<uint32_t>(bytes.size()));
}

BOOL start(std::string command_line, PROCESS_INFORMATION &info, LPCSTR application = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = 68;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMAXIMIZED;
    info = PROCESS_INFORMATION{};
    return CreateProcessA(application, command_line.data(), nullptr, nullptr, TRUE,
                          NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info);
}

struct SearchCase {
    const char *intent;
    std::vector<std::string> files; // put in place, each a program of that name
    std::string command_line;
    std::string ran; // the program that ran, or ""
    DWORD error;
};

class ProcessSearch : public testing::TestWithParam<SearchCase> {};

TEST_P(ProcessSearch, RunsTheFileWindowsWouldFind) {
    const SearchCase &c = GetParam();
    for (const std::string &file : c.files) {
        sim::make_folder(file.substr(0, file.rfind('\\')));
        sim::put_file(file, installer_bytes);
        sim::register_program(
            file, sim::Program(file).requires_file(static_cast<uint32_t>(installer_bytes.size()),
                                                   crc_of(installer_bytes)));
    }
    PROCESS_INFORMATION info;
    SetLastError(0);
    BOOL started = start(c.command_line, info);
    EXPECT_EQ(started, c.ran.empty() ? FALSE : TRUE) << c.intent;
    if (c.ran.empty()) {
        EXPECT_EQ(GetLastError(), c.error) << c.intent;
        EXPECT_TRUE(sim::processes().empty());
        return;
    }
    ASSERT_EQ(sim::processes().size(), 1u);
    EXPECT_EQ(sim::processes()[0].program, c.ran) << c.intent;
}

const std::string real = "C:\\Documents and Settings\\me\\Temp\\uninstall.client.exe";

INSTANTIATE_TEST_SUITE_P(
    Table, ProcessSearch,
    testing::Values(
        SearchCase{"full path",
                   {"C:\\TEMP\\uninstall.client.exe"},
                   "C:\\TEMP\\uninstall.client.exe x",
                   "C:\\TEMP\\uninstall.client.exe",
                   0},
        SearchCase{"blanks in the path, nothing planted", {real}, real + " i", real, 0},
        SearchCase{"a file planted at the first blank runs instead",
                   {real, "C:\\Documents.exe"},
                   real + " i",
                   "C:\\Documents.exe",
                   0},
        SearchCase{"a file planted at a later blank runs instead",
                   {real, "C:\\Documents and.exe"},
                   real + " i",
                   "C:\\Documents and.exe",
                   0},
        SearchCase{"a quoted path is taken whole",
                   {real, "C:\\Documents.exe"},
                   "\"" + real + "\" i",
                   real,
                   0},
        SearchCase{
            "missing file", {}, "C:\\TEMP\\uninstall.client.exe x", "", ERROR_FILE_NOT_FOUND}),
    scenario::IntentName());

TEST(ProcessStart, ADamagedFileOrAScriptedFailureDoesNotStart) {
    sim::put_file("C:\\WINDOWS\\TEMP\\uninstall.client.exe", std::string("MZ damaged"));
    sim::register_program(
        "C:\\WINDOWS\\TEMP\\uninstall.client.exe",
        sim::Program("installer")
            .requires_file(static_cast<uint32_t>(installer_bytes.size()), crc_of(installer_bytes)));
    PROCESS_INFORMATION info;
    EXPECT_FALSE(start("C:\\WINDOWS\\TEMP\\uninstall.client.exe i", info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));

    sim::put_file("C:\\WINDOWS\\TEMP\\other.exe", std::string("MZ"));
    sim::register_program("C:\\WINDOWS\\TEMP\\other.exe",
                          sim::Program("other").fails_to_start(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(start("C:\\WINDOWS\\TEMP\\other.exe", info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(info.hProcess, nullptr);
}

TEST(ProcessStart, RecordsWhatTheProcessWasGiven) {
    sim::put_file("C:\\WINDOWS\\TEMP\\uninstall.client.exe", installer_bytes);
    sim::register_program("C:\\WINDOWS\\TEMP\\uninstall.client.exe", sim::Program("installer"));
    sim::unset_env("TEMP");
    _putenv("TEMP=C:\\TEMP");
    sim::set_current_directory("C:\\Users\\Public\\Downloads");
    PROCESS_INFORMATION info;
    ASSERT_TRUE(start("C:\\WINDOWS\\TEMP\\uninstall.client.exe x", info));
    const sim::ProcessRecord &p = sim::processes().at(0);
    EXPECT_EQ(p.command_line, "C:\\WINDOWS\\TEMP\\uninstall.client.exe x");
    EXPECT_FALSE(p.has_application_name);
    EXPECT_TRUE(p.inherit_handles);
    EXPECT_EQ(p.creation_flags, static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(p.startup.cb, 68u);
    EXPECT_EQ(p.startup.wShowWindow, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(sim::only_size_flags_and_show_set(p.startup));
    EXPECT_NE(std::find(p.environment.begin(), p.environment.end(), "TEMP=C:\\TEMP"),
              p.environment.end())
        << "putenv changes what a child inherits";
    EXPECT_EQ(p.current_directory, "C:\\Users\\Public\\Downloads");
    EXPECT_EQ(info.hProcess, p.handle);
    EXPECT_EQ(info.dwProcessId, p.id);
    EXPECT_NE(info.hThread, nullptr);
    STARTUPINFOA dirty{};
    dirty.lpTitle = const_cast<char *>("x");
    EXPECT_FALSE(sim::only_size_flags_and_show_set(dirty));
}

TEST(Waiting, EndsWithTheProcessOrTheTimeoutAndDeliversNoSentMessage) {
    sim::put_file("C:\\WINDOWS\\TEMP\\p.exe", std::string("MZ"));
    sim::register_program("C:\\WINDOWS\\TEMP\\p.exe",
                          sim::Program("p").script(sim::Script().wait(250).exit(3)));
    PROCESS_INFORMATION info;
    ASSERT_TRUE(start("C:\\WINDOWS\\TEMP\\p.exe", info));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 100), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(sim::now_ms(), 100u);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 1000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(sim::now_ms(), 250u) << "the wait ends when the process does";
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 3u);
    EXPECT_EQ(WaitForSingleObject(nullptr, 100), static_cast<DWORD>(WAIT_FAILED));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(sim::now_ms(), 250u) << "a null handle fails at once";
}

// The launcher's side played by hand: a window of ours, an installer that
// shows it, answers the hide command by hiding it and making the marker
// files, and ends 2 s later.
LRESULT CALLBACK progress_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && wparam == show_command)
        ShowWindow(window, SW_SHOW);
    if (message == WM_COMMAND && wparam == hide_command)
        ShowWindow(window, SW_HIDE);
    return message == WM_COMMAND ? 1 : DefWindowProcA(window, message, wparam, lparam);
}

TEST(Installer, ShowsTheProgressWindowAnswersTheHideCommandAndEnds) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = progress_proc;
    window_class.lpszClassName = progress_class_name;
    RegisterClassA(&window_class);
    HWND progress =
        CreateWindowExA(WS_EX_TOPMOST, progress_class_name, progress_window_title, WS_BORDER,
                        CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr, nullptr, nullptr);
    sim::put_file("C:\\WINDOWS\\TEMP\\uninstall.client.exe", installer_bytes);
    sim::put_file("C:\\WINDOWS\\TEMP\\client.klv.datafile", std::string("data"));
    sim::register_program(
        "C:\\WINDOWS\\TEMP\\uninstall.client.exe",
        sim::Program("installer")
            .requires_file(static_cast<uint32_t>(installer_bytes.size()), crc_of(installer_bytes))
            .script(sim::Script()
                        .wait(300)
                        .create_window(installer_window_name)
                        .wait(200)
                        .send(progress_window_name, WM_COMMAND, show_command))
            .on_command(hide_command, sim::Script()
                                          .read_file("%TEMP%\\client.klv.datafile")
                                          .send(progress_window_name, WM_COMMAND, hide_command)
                                          .create_file("%TEMP%\\killme_a")
                                          .create_file("%TEMP%\\killme_b")
                                          .exit_after(2000, 0)));
    PROCESS_INFORMATION info;
    ASSERT_TRUE(start("C:\\WINDOWS\\TEMP\\uninstall.client.exe i", info));

    Sleep(1000); // the show command is sent at 500 ms but waits for us
    EXPECT_FALSE(sim::window(progress).visible);
    MSG message;
    PeekMessageA(&message, progress, 0, 0, PM_REMOVE);
    EXPECT_TRUE(sim::window(progress).visible);
    const sim::SentMessage &show = sim::process("installer")->sent.at(0);
    EXPECT_EQ(show.sent_at_ms, 500u);
    EXPECT_EQ(show.delivered_at_ms, 1000u);
    EXPECT_EQ(show.result, 1);

    HWND installer = FindWindowA(installer_class_name, installer_window_title);
    ASSERT_NE(installer, nullptr);
    // The installer's answer hides our window from inside our SendMessageA.
    SendMessageA(installer, WM_COMMAND, hide_command, 0);
    EXPECT_FALSE(sim::window(progress).visible);
    EXPECT_TRUE(sim::file_exists("C:\\WINDOWS\\TEMP\\killme_a"));
    EXPECT_TRUE(sim::file_exists("C:\\WINDOWS\\TEMP\\killme_b"));
    const sim::FileSeen &seen = sim::process("installer")->files_seen.at(0);
    EXPECT_EQ(seen.bytes, "data");
    EXPECT_EQ(seen.crc32, crc_of("data"));
    EXPECT_EQ(sim::process("installer")->received.at(0).what, "SendMessageA(WM_COMMAND, 55555, 0)");

    while (WaitForSingleObject(info.hProcess, 100) == WAIT_TIMEOUT)
        PeekMessageA(&message, progress, 0, 0, PM_REMOVE);
    EXPECT_EQ(sim::now_ms(), 3000u);
    EXPECT_EQ(sim::process("installer")->exit_code, 0u);
    EXPECT_EQ(FindWindowA(installer_class_name, installer_window_title), nullptr)
        << "its window went with it";
    EXPECT_TRUE(sim::faults().empty());
}

TEST(SecondLauncher, StartedLaterMaximizesTheInstaller) {
    scenario::start_running_installer();
    scenario::place_program_file("C:\\Users\\Public\\Downloads\\launcher.exe");
    sim::start_program_at(700,
                          sim::Program("second launcher")
                              .script(sim::Script()
                                          .find_window(progress_window_name)
                                          .show_window(installer_window_name, SW_SHOWMAXIMIZED)
                                          .exit(0)),
                          "C:\\Users\\Public\\Downloads\\launcher.exe", "launcher.exe");
    Sleep(1000);
    const sim::ProcessRecord *second = sim::process("second launcher");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->started_at_ms, 700u);
    EXPECT_EQ(second->searches.at(0).found, nullptr);
    HWND installer = sim::find_window(installer_class_name, installer_window_title);
    EXPECT_TRUE(sim::window(installer).maximized);
    EXPECT_EQ(sim::process("installer")->received.at(0).time_ms, 700u);
}

} // namespace
