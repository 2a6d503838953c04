// Whole runs of the launcher with the payloads it carries and a scripted
// installer: the installer executable written and started, the data file
// written while it runs, the hand-off, the wait and the clean-up.
#include "bootstrap/handoff.h"
#include "desktop_programs.h"
#include "embedded_payloads.h"
#include "intent_names.h"
#include "launcher_scenario.h"
#include "payload/payload_figures.h"
#include "progress/progress_meter.h"
#include "simulated_installer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using scenario::calls_match;
using scenario::expect_no_faults;
using simulated_demo::InstallerScript;

constexpr char default_temp[] = "C:\\WINDOWS\\TEMP";

std::string installer_path(const std::string &temp = default_temp) {
    return simulated_demo::installer_path_in(temp);
}
std::string data_path(const std::string &temp = default_temp) {
    return simulated_demo::data_file_path_in(temp);
}

// The calls of one name.
std::vector<sim::Call> calls_of(const std::string &name) {
    std::vector<sim::Call> out;
    for (const sim::Call &c : sim::calls())
        if (c.name == name)
            out.push_back(c);
    return out;
}

// The time of the first call that matches.
uint64_t time_of(const sim::Expected &row) {
    for (const sim::Call &c : sim::calls())
        if (sim::call_matches(row, c))
            return c.time_ms;
    ADD_FAILURE() << "no call " << row.text();
    return 0;
}

// The time of the last call that matches.
uint64_t last_time_of(const sim::Expected &row) {
    const std::vector<sim::Call> &all = sim::calls();
    for (auto c = all.rbegin(); c != all.rend(); ++c)
        if (sim::call_matches(row, *c))
            return c->time_ms;
    ADD_FAILURE() << "no call " << row.text();
    return 0;
}

const sim::Expected installer_search{.name = "FindWindowA",
                                     .args = R"("KelvaraClientInstaller", "Kelvara Installer")"};

// The calls from the last of the given name on.
std::vector<sim::Call> calls_since_last(const std::string &name) {
    const std::vector<sim::Call> &all = sim::calls();
    size_t from = 0;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].name == name)
            from = i;
    return std::vector<sim::Call>(all.begin() + static_cast<long>(from), all.end());
}

const sim::ProcessRecord &installer_process() {
    const sim::ProcessRecord *p = sim::process("installer");
    if (!p) {
        ADD_FAILURE() << "the installer was never started";
        static const sim::ProcessRecord none;
        return none;
    }
    return *p;
}

// ---- a normal run ----

TEST(WholeRun, WritesStartsHandsOffWaitsAndCleansUp) {
    simulated_demo::prepare_run();
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    EXPECT_TRUE(sim::message_boxes().empty());

    const sim::ProcessRecord &installer = installer_process();
    EXPECT_EQ(installer.application_name, installer_path());
    EXPECT_EQ(installer.command_line, installer_path() + " i");
    EXPECT_TRUE(installer.inherit_handles);
    EXPECT_EQ(installer.creation_flags, static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(installer.startup.cb, sizeof(STARTUPINFOA));
    EXPECT_EQ(installer.startup.dwFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW));
    EXPECT_EQ(installer.startup.wShowWindow, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(sim::only_size_flags_and_show_set(installer.startup));
    EXPECT_EQ(installer.current_directory, "C:\\Users\\Public\\Downloads");
    ASSERT_TRUE(installer.ended_at_ms.has_value());
    EXPECT_EQ(installer.exit_code, 0u);

    // The installer was told once the data file was complete, and found it so.
    ASSERT_EQ(installer.files_seen.size(), 1u);
    EXPECT_EQ(installer.files_seen[0].bytes, simulated_demo::carried_data_bytes());

    // Left behind: the data file, byte for byte; the installer and its
    // marker files are gone.
    EXPECT_EQ(sim::read_file(data_path()), simulated_demo::carried_data_bytes());
    EXPECT_FALSE(sim::file_exists(installer_path()));
    EXPECT_FALSE(sim::file_exists(std::string(default_temp) + "\\killme_a"));
    EXPECT_FALSE(sim::file_exists(std::string(default_temp) + "\\killme_b"));
    EXPECT_EQ(sim::folder_listing(default_temp),
              std::vector<std::string>{std::string(data_file_stem) + data_file_extension});

    EXPECT_TRUE(calls_match({
        {.name = "_open", .path = installer_path()},
        {.name = "_close"},
        {.name = "CreateProcessA", .path = installer_path()},
        {.name = "_open", .path = data_path()},
        {.name = "_close"},
        {.name = "FindWindowA", .args = R"("KelvaraClientInstaller", "Kelvara Installer")"},
        {.name = "Sleep", .args = "500"},
        {.name = "PeekMessageA"},
        {.name = "SendMessageA", .message = WM_COMMAND, .wparam = hide_command, .lparam = 0},
        {.name = "ShowWindow", .args = "hwnd1, SW_HIDE"},
        {.name = "WaitForSingleObject"},
        {.name = "DeleteFileA", .path = installer_path()},
        {.name = "DeleteFileA", .path = std::string(default_temp) + "\\killme_a"},
        {.name = "DeleteFileA", .path = std::string(default_temp) + "\\killme_b"},
        {.name = "PostQuitMessage", .args = "0"},
    }));
    expect_no_faults();
}

TEST(WholeRun, TheInstallerStartsFromTheWholeInstallerFile) {
    simulated_demo::prepare_run();
    sim::register_program(
        installer_path(),
        simulated_demo::carried_installer(default_temp).requires_file([](const std::string &bytes) {
            return bytes == simulated_demo::carried_installer_bytes();
        }));
    sim::run_launcher("launcher.exe x");
    EXPECT_EQ(installer_process().command_line, installer_path() + " x");
    expect_no_faults();
}

// ---- the four ways through ----

struct WayCase {
    const char *intent;
    void (*arrange)();
    size_t boxes;
    const char *box_text; // of the last box
    bool box_owned_by_progress_window;
    bool installer_started;
    bool hide_command_sent;
    std::vector<std::string> left; // in the temp folder at the end
};

const std::string data_name = std::string(data_file_stem) + data_file_extension;

class WaysThrough : public testing::TestWithParam<WayCase> {};

TEST_P(WaysThrough, EndWithTheirBoxesFilesAndExitCodeZero) {
    const WayCase &c = GetParam();
    simulated_demo::prepare_run();
    c.arrange();
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    ASSERT_EQ(sim::message_boxes().size(), c.boxes);
    if (c.boxes) {
        const sim::MessageBoxShown &box = sim::message_boxes().back();
        EXPECT_EQ(box.text, c.box_text);
        EXPECT_EQ(box.caption, "Kelvara Installer");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
        EXPECT_EQ(box.owner != nullptr, c.box_owned_by_progress_window);
    }
    EXPECT_EQ(sim::process("installer") != nullptr, c.installer_started);
    bool hide_sent = false;
    for (const sim::Call &call : calls_of("SendMessageA"))
        hide_sent = hide_sent || call.wparam == hide_command;
    EXPECT_EQ(hide_sent, c.hide_command_sent);
    EXPECT_EQ(sim::folder_listing(default_temp), c.left);
    // The clean-up ran in every case.
    EXPECT_EQ(calls_of("DeleteFileA").back().path, std::string(default_temp) + "\\killme_b");
    expect_no_faults();
}

INSTANTIATE_TEST_SUITE_P(
    Table, WaysThrough,
    testing::Values(
        WayCase{"the installer executable cannot be opened",
                [] { sim::refuse_open(installer_path(), ERROR_ACCESS_DENIED); },
                1,
                "Unable to write installer executable.C:\\WINDOWS\\TEMP\\uninstall.client.exe",
                true,
                false,
                false,
                {}},
        WayCase{"the launch fails",
                [] {
                    sim::register_program(installer_path(),
                                          simulated_demo::carried_installer(default_temp)
                                              .fails_to_start(ERROR_ACCESS_DENIED));
                },
                1,
                "Can't start process.",
                false,
                false,
                false,
                {data_name}},
        WayCase{"the installer window is never found",
                [] {
                    sim::register_program(
                        installer_path(),
                        simulated_demo::carried_installer(
                            default_temp,
                            InstallerScript{.window_at_ms = std::nullopt, .ends_at_ms = 20000}));
                },
                0,
                "",
                false,
                true,
                false,
                {data_name}},
        WayCase{"normal", [] {}, 0, "", false, true, true, {data_name}}),
    scenario::IntentName());

// ---- timing of the hand-off ----

TEST(HandOff, HideCommandFollowsTheClosedDataFileAfterOnePauseAndOneDispatch) {
    simulated_demo::prepare_run(default_temp, InstallerScript{.window_at_ms = 0});
    sim::run_launcher("launcher.exe");
    const std::vector<sim::Call> closes = calls_of("_close");
    ASSERT_EQ(closes.size(), 2u);
    const uint64_t closed = closes[1].time_ms;
    EXPECT_EQ(time_of({.name = "SendMessageA", .wparam = hide_command}), closed + 500);
    // One search, found at once; then the pause and one look at the messages.
    EXPECT_EQ(calls_of("FindWindowA").size(), 2u); // with start-up's own search
    sim::Expected found = installer_search;
    found.result = "hwnd2";
    EXPECT_TRUE(calls_match({
        {.name = "_close"},
        found,
        {.name = "Sleep", .args = "500"},
        {.name = "PeekMessageA"},
        {.name = "SendMessageA", .wparam = hide_command},
    }));
    // Nothing else came between them but what the dispatch did.
    std::vector<sim::Call> hand_off = calls_since_last("_close");
    hand_off.resize(std::min<size_t>(hand_off.size(), 6));
    EXPECT_TRUE(calls_match({{.name = "_close"},
                             found,
                             {.name = "Sleep"},
                             {.name = "PeekMessageA"},
                             {.name = "SendMessageA"}},
                            hand_off, sim::Between::other_names_only));
    // The installer had the data file whole when it was told.
    EXPECT_EQ(installer_process().files_seen.at(0).bytes, simulated_demo::carried_data_bytes());
    expect_no_faults();
}

TEST(HandOff, GivesUpAfterThirtySearchesAndFifteenSecondsThenWaitsForTheInstaller) {
    simulated_demo::prepare_run(default_temp,
                                InstallerScript{.window_at_ms = std::nullopt, .ends_at_ms = 40000});
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    std::vector<sim::Call> searches;
    for (const sim::Call &c : calls_of("FindWindowA"))
        if (c.args.find(installer_class_name) != std::string::npos)
            searches.push_back(c);
    ASSERT_EQ(searches.size(), 30u);
    EXPECT_EQ(calls_of("Sleep").size(), 30u);
    EXPECT_EQ(searches.back().time_ms - searches.front().time_ms, 29u * 500);
    EXPECT_EQ(last_time_of({.name = "ShowWindow", .args = "hwnd1, SW_HIDE"}),
              searches.front().time_ms + 30 * 500);
    for (const sim::Call &c : calls_of("SendMessageA"))
        EXPECT_NE(c.wparam, std::optional<WPARAM>(hide_command));
    // The launcher stayed until the installer ended, then cleaned up.
    EXPECT_GE(last_time_of({.name = "DeleteFileA"}), installer_process().started_at_ms + 40000);
    expect_no_faults();
}

TEST(HandOff, AnInstallerThatEndsEarlyStillGetsAWholeDataFileAndTheCleanUp) {
    simulated_demo::prepare_run(default_temp, InstallerScript{.window_at_ms = 0, .ends_at_ms = 0});
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    EXPECT_EQ(sim::read_file(data_path()), simulated_demo::carried_data_bytes());
    size_t installer_searches = 0;
    for (const sim::Call &c : calls_of("FindWindowA"))
        installer_searches += c.args.find(installer_class_name) != std::string::npos;
    EXPECT_EQ(installer_searches, 30u);
    EXPECT_TRUE(calls_match({{.name = "WaitForSingleObject", .result = "WAIT_OBJECT_0"},
                             {.name = "DeleteFileA", .path = installer_path()}}));
    expect_no_faults();
}

TEST(HandOff, TheInstallerSeesTheDataFileGrowAndIsToldOnlyWhenItIsComplete) {
    sim::set_write_speed(20000); // 20 MB a second
    simulated_demo::prepare_run(default_temp,
                                InstallerScript{.window_at_ms = 0, .reads_data_at_ms = {20, 40}});
    sim::run_launcher("launcher.exe");
    const sim::ProcessRecord &installer = installer_process();
    ASSERT_EQ(installer.files_seen.size(), 3u);
    const std::string whole = simulated_demo::carried_data_bytes();
    const sim::FileSeen &early = installer.files_seen[0];
    const sim::FileSeen &later = installer.files_seen[1];
    const sim::FileSeen &told = installer.files_seen[2];
    EXPECT_TRUE(early.exists);
    EXPECT_LT(early.bytes.size(), later.bytes.size());
    EXPECT_LT(later.bytes.size(), whole.size());
    EXPECT_EQ(whole.compare(0, later.bytes.size(), later.bytes), 0); // a prefix
    EXPECT_EQ(told.bytes, whole);
    EXPECT_GT(told.time_ms, time_of({.name = "_close", .path = std::nullopt}));
    expect_no_faults();
}

// ---- the progress window during the run ----

TEST(ProgressWindow, TheInstallerShowsItDuringTheExtractionAndTheBarGrows) {
    sim::set_write_speed(20000);
    simulated_demo::prepare_run(default_temp,
                                InstallerScript{.window_at_ms = 0, .shows_progress_at_ms = 0});
    sim::run_launcher("launcher.exe");
    HWND window = sim::find_window(progress_class_name, progress_window_title);
    // Every repaint after the show fills the bar's blue part further.
    std::vector<int> bar_ends;
    for (const sim::Call &c : calls_of("FillRect")) {
        int left = 0, top = 0, right = 0, bottom = 0;
        const size_t brace = c.args.find('{');
        if (c.args.find("brush4") != std::string::npos && brace != std::string::npos && // blue
            std::sscanf(c.args.c_str() + brace, "{%d,%d,%d,%d}", &left, &top, &right, &bottom) == 4)
            bar_ends.push_back(right);
    }
    ASSERT_GT(bar_ends.size(), 100u);
    EXPECT_TRUE(std::is_sorted(bar_ends.begin(), bar_ends.end()));
    // Painted: the status line of the data file and a full bar; then the
    // installer hid it on the hide command.
    EXPECT_EQ(sim::pixel(window, 12, 70), 0x0000FFu);
    EXPECT_EQ(sim::pixel(window, 298, 70), 0x0000FFu);
    EXPECT_EQ(sim::pixel(window, 9, 70), 0x000000u);
    EXPECT_FALSE(sim::window(window).visible);
    expect_no_faults();
}

// ---- bytes requested run on across both payloads ----

TEST(ProgressMeter, CountsEveryRequestOfBothPayloadsWithoutAReset) {
    simulated_demo::prepare_run();
    sim::run_launcher("launcher.exe");
    const int64_t both = int64_t{installer_payload_length} + data_payload_length;
    EXPECT_EQ(bytes_requested % 2048, 0);
    EXPECT_GE(bytes_requested, both);
    EXPECT_LT(bytes_requested, both + 4 * 2048);
    EXPECT_GE(progress_value, 300);
}

// ---- files in the way ----

TEST(InstallerFile, ABusyFileFromAnEarlierRunIsMovedAsideAndTheRunGoesOn) {
    simulated_demo::prepare_run();
    // An installer from an earlier run still runs from the file.
    sim::put_file(installer_path(), std::string("MZ old installer"));
    sim::start_program(sim::Program("earlier installer"), installer_path(),
                       installer_path() + " i");
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    EXPECT_TRUE(sim::message_boxes().empty());
    EXPECT_TRUE(calls_match({
        {.name = "DeleteFileA", .path = installer_path(), .result = "FALSE (error 5)"},
        {.name = "_open", .path = installer_path(), .result = "-1 (errno 13)"},
        {.name = "MoveFileA",
         .args = "\"" + std::string("C:\\\\WINDOWS\\\\TEMP\\\\uninstall.client.exe") +
                 "\", \"C:\\\\WINDOWS\\\\TEMP\\\\uninstall.client.exe_\""},
        {.name = "_open", .path = installer_path()},
        {.name = "CreateProcessA"},
    }));
    EXPECT_EQ(calls_of("MoveFileA").size(), 1u);
    EXPECT_EQ(sim::read_file(installer_path() + "_"), std::string("MZ old installer"));
    EXPECT_NE(sim::process("installer"), nullptr);
    expect_no_faults();
}

TEST(InstallerFile, FourFailedOpensShowTheFailureTextWithThePath) {
    simulated_demo::prepare_run("C:\\TEMP");
    sim::refuse_open("C:\\TEMP\\uninstall.client.exe", ERROR_ACCESS_DENIED);
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    ASSERT_EQ(sim::message_boxes().size(), 1u);
    EXPECT_EQ(sim::message_boxes()[0].text,
              "Unable to write installer executable.C:\\TEMP\\uninstall.client.exe");
    EXPECT_EQ(calls_of("_open").size(), 4u);
    std::vector<std::string> asides;
    for (const sim::Call &c : calls_of("MoveFileA"))
        asides.push_back(c.args);
    EXPECT_EQ(asides,
              (std::vector<std::string>{
                  R"("C:\\TEMP\\uninstall.client.exe", "C:\\TEMP\\uninstall.client.exe_")",
                  R"("C:\\TEMP\\uninstall.client.exe", "C:\\TEMP\\uninstall.client.exe__")",
                  R"("C:\\TEMP\\uninstall.client.exe", "C:\\TEMP\\uninstall.client.exe___")"}));
    EXPECT_TRUE(calls_of("CreateProcessA").empty());
    EXPECT_FALSE(sim::file_exists(data_path("C:\\TEMP")));
    expect_no_faults();
}

TEST(TempFolder, BlanksStayUnquotedAndNoProgramIsFoundByGuessing) {
    const std::string temp = "C:\\Documents and Settings\\me\\Local Settings\\Temp";
    simulated_demo::prepare_run(temp);
    // A program that Windows would run for the unquoted command line.
    scenario::place_program_file("C:\\Documents.exe");
    sim::register_program("C:\\Documents.exe", sim::Program("planted"));
    EXPECT_EQ(sim::run_launcher("launcher.exe x"), 0);
    EXPECT_EQ(sim::process("planted"), nullptr);
    const sim::ProcessRecord &installer = installer_process();
    EXPECT_EQ(installer.command_line, temp + "\\uninstall.client.exe x");
    EXPECT_EQ(installer.image_path, temp + "\\uninstall.client.exe");
    EXPECT_EQ(sim::read_file(data_path(temp)), simulated_demo::carried_data_bytes());
    expect_no_faults();
}

TEST(TempFolder, TheLongestAcceptedFolderGivesWholePathsAndTexts) {
    const std::string temp = "C:\\" + std::string(229, 't');
    ASSERT_EQ(temp.size(), 232u);
    simulated_demo::prepare_run(temp);
    sim::refuse_open(installer_path(temp), ERROR_ACCESS_DENIED);
    sim::run_launcher("launcher.exe");
    ASSERT_EQ(sim::message_boxes().size(), 1u);
    EXPECT_EQ(sim::message_boxes()[0].text,
              "Unable to write installer executable." + installer_path(temp));
    const std::vector<sim::Call> moves = calls_of("MoveFileA");
    ASSERT_EQ(moves.size(), 3u);
    std::string escaped;
    for (char ch : installer_path(temp) + "___")
        escaped += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
    EXPECT_NE(moves[2].args.find(escaped), std::string::npos) << moves[2].args;
    std::vector<std::string> deleted;
    for (const sim::Call &c : calls_of("DeleteFileA"))
        deleted.push_back(c.path.value_or(""));
    EXPECT_EQ(deleted, (std::vector<std::string>{installer_path(temp), installer_path(temp),
                                                 temp + "\\killme_a", temp + "\\killme_b"}));
    expect_no_faults();
}

TEST(TempFolder, TheLongestAcceptedFolderGivesAWholeCommandLineAndDataPath) {
    const std::string temp = "C:\\" + std::string(229, 't');
    simulated_demo::prepare_run(temp);
    EXPECT_EQ(sim::run_launcher("launcher.exe x"), 0);
    EXPECT_EQ(installer_process().command_line, installer_path(temp) + " x");
    EXPECT_EQ(sim::read_file(data_path(temp)), simulated_demo::carried_data_bytes());
    expect_no_faults();
}

// ---- faults that must not pass for success ----

TEST(OutputFiles, AnOlderLongerFileLeavesNoTailBehindTheNewBytes) {
    simulated_demo::prepare_run();
    // The deletion fails, the open succeeds: the older file is written over.
    sim::put_file(data_path(), simulated_demo::carried_data_bytes() + std::string(5000, 'x'));
    sim::refuse_delete(data_path(), ERROR_ACCESS_DENIED);
    sim::run_launcher("launcher.exe");
    EXPECT_EQ(sim::read_file(data_path()), simulated_demo::carried_data_bytes());
    EXPECT_TRUE(sim::message_boxes().empty());
    expect_no_faults();
}

struct DataFaultCase {
    const char *intent;
    void (*arrange)();
};

class DataFileFault : public testing::TestWithParam<DataFaultCase> {};

TEST_P(DataFileFault, IsReportedTheBadFileDeletedAndNoHideCommandSent) {
    // Never told that its data is complete, the installer is closed by its user.
    simulated_demo::prepare_run(default_temp, InstallerScript{.ends_at_ms = 30000});
    GetParam().arrange();
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    ASSERT_EQ(sim::message_boxes().size(), 1u);
    const sim::MessageBoxShown &box = sim::message_boxes()[0];
    EXPECT_EQ(box.text, "Unable to write data file." + data_path());
    EXPECT_EQ(box.caption, "Kelvara Installer");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
    // Shown after the data file was closed (or its open failed).
    EXPECT_GT(sim::calls().size(), 0u);
    EXPECT_FALSE(sim::file_exists(data_path()));
    for (const sim::Call &c : calls_of("SendMessageA"))
        EXPECT_NE(c.wparam, std::optional<WPARAM>(hide_command));
    // The installer runs on and is waited for; the clean-up follows.
    const sim::ProcessRecord &installer = installer_process();
    EXPECT_TRUE(installer.received.empty());
    EXPECT_TRUE(calls_match({{.name = "MessageBoxA"},
                             {.name = "WaitForSingleObject"},
                             {.name = "DeleteFileA", .path = installer_path()}}));
    expect_no_faults();
}

std::string damaged_data_payload;

INSTANTIATE_TEST_SUITE_P(
    Table, DataFileFault,
    testing::Values(DataFaultCase{"the open is refused",
                                  [] { sim::refuse_open(data_path(), ERROR_ACCESS_DENIED); }},
                    DataFaultCase{"the disk fills after 100000 bytes",
                                  [] { sim::fill_disk_after(data_path(), 100000); }},
                    DataFaultCase{"the disk fills before the last block",
                                  [] { sim::fill_disk_after(data_path(), data_decoded_size - 1); }},
                    DataFaultCase{"a byte of the payload is damaged",
                                  [] {
                                      damaged_data_payload.assign(
                                          reinterpret_cast<const char *>(data_payload_bytes),
                                          data_payload_length);
                                      damaged_data_payload[data_payload_length / 2] ^= 0x10;
                                      sim::add_resource("DATA2", "BINARY",
                                                        damaged_data_payload.data(),
                                                        damaged_data_payload.size());
                                  }},
                    DataFaultCase{"the payload is cut short",
                                  [] {
                                      sim::add_resource("DATA2", "BINARY", data_payload_bytes,
                                                        data_payload_length / 2);
                                  }}),
    scenario::IntentName());

struct InstallerFaultCase {
    const char *intent;
    void (*arrange)();
};

class InstallerFileFault : public testing::TestWithParam<InstallerFaultCase> {};

std::string damaged_installer_payload;

TEST_P(InstallerFileFault, IsReportedAndNothingIsStarted) {
    simulated_demo::prepare_run();
    GetParam().arrange();
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    ASSERT_EQ(sim::message_boxes().size(), 1u);
    EXPECT_EQ(sim::message_boxes()[0].text,
              "Unable to write installer executable." + installer_path());
    EXPECT_NE(sim::message_boxes()[0].owner, nullptr);
    EXPECT_FALSE(sim::file_exists(installer_path()));
    EXPECT_TRUE(calls_of("CreateProcessA").empty());
    EXPECT_FALSE(sim::file_exists(data_path()));
    EXPECT_TRUE(calls_match({{.name = "MessageBoxA"},
                             {.name = "WaitForSingleObject", .result = "WAIT_FAILED"},
                             {.name = "DeleteFileA", .path = installer_path()}}));
    expect_no_faults();
}

INSTANTIATE_TEST_SUITE_P(
    Table, InstallerFileFault,
    testing::Values(InstallerFaultCase{"the disk fills after 1000 bytes",
                                       [] { sim::fill_disk_after(installer_path(), 1000); }},
                    InstallerFaultCase{
                        "a byte of the payload is damaged",
                        [] {
                            damaged_installer_payload.assign(
                                reinterpret_cast<const char *>(installer_payload_bytes),
                                installer_payload_length);
                            damaged_installer_payload[installer_payload_length / 3] ^= 0x01;
                            sim::add_resource("DATA", "BINARY", damaged_installer_payload.data(),
                                              damaged_installer_payload.size());
                        }}),
    scenario::IntentName());

} // namespace
