// Start-up of the launcher, run whole in the simulated desktop: temp
// directory, second instance, class and window, mode letter, free space.
#include "bootstrap/handoff.h"
#include "bootstrap/launcher_state.h"
#include "desktop_programs.h"
#include "intent_names.h"
#include "launcher_scenario.h"
#include "payload/payload_figures.h"
#include "simulated_installer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using scenario::calls_match;
using scenario::expect_no_faults;
using scenario::IntentName;

const char *const no_space_text =
    "You do not have enough free space on drive C:\\ to run the installer.\r\r"
    "You should free up space on your hard drive or change the location of your temp folder.";

// ---- temp directory ----

struct TempCase {
    const char *intent;
    bool set;
    std::string value;
    std::string directory;
    std::string root; // what the free-space query is given
};

class TempDirectory : public testing::TestWithParam<TempCase> {};

TEST_P(TempDirectory, IsResolvedFromTemp) {
    const TempCase &c = GetParam();
    sim::unset_env("TEMP");
    if (c.set)
        sim::set_env("TEMP", c.value);
    sim::set_drive('D', 8, 512, 1000000, 2000000);
    sim::run_launcher("launcher.exe");
    EXPECT_EQ(temp_directory, c.directory);
    EXPECT_TRUE(calls_match({{.name = "GetDiskFreeSpaceA", .path = c.root}})) << c.intent;
    expect_no_faults();
}

std::string chars(size_t n, char fill = 'a') {
    return std::string(n, fill);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TempDirectory,
    testing::Values(
        TempCase{"trailing backslash dropped", true, "C:\\WINDOWS\\TEMP\\", "C:\\WINDOWS\\TEMP",
                 "C:\\"},
        TempCase{"no trailing backslash", true, "D:\\Temp", "D:\\Temp", "D:\\"},
        TempCase{"two trailing backslashes keep one", true, "D:\\Temp\\\\", "D:\\Temp\\", "D:\\"},
        TempCase{"percent sign copied unchanged", true, "C:\\100%s%d\\t", "C:\\100%s%d\\t", "C:\\"},
        TempCase{"blanks kept", true, "C:\\My Temp Files", "C:\\My Temp Files", "C:\\"},
        TempCase{"short value gives a short root", true, "C:", "C:", "C:"},
        TempCase{"longest accepted length, 232", true, "C:\\" + chars(229), "C:\\" + chars(229),
                 "C:\\"},
        TempCase{"233 with a trailing backslash is 232", true, "C:\\" + chars(229) + "\\",
                 "C:\\" + chars(229), "C:\\"},
        TempCase{"unset: the fallback", false, "", "c:\\temp", "c:\\"},
        TempCase{"empty: the fallback", true, "", "c:\\temp", "c:\\"}),
    IntentName());

TEST(TempDirectory, FallbackIsPutIntoTheEnvironmentTheInstallerInherits) {
    sim::unset_env("TEMP");
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    EXPECT_EQ(temp_directory, std::string("c:\\temp"));
    std::vector<std::string> env = sim::environment();
    EXPECT_NE(std::find(env.begin(), env.end(), "TEMP=C:\\TEMP"), env.end());
    EXPECT_EQ(sim::calls_named({"putenv"}).size(), 1u);
}

TEST(TempDirectory, VariableNameMatchesWithoutRegardToCase) {
    sim::unset_env("TEMP");
    sim::set_env("Temp", "C:\\Users\\me\\Temp\\");
    sim::run_launcher("launcher.exe");
    EXPECT_EQ(temp_directory, std::string("C:\\Users\\me\\Temp"));
    EXPECT_TRUE(sim::calls_named({"putenv"}).empty());
}

TEST(TempDirectory, LoneBackslashLeavesNoRootAndFailsTheSpaceCheck) {
    sim::set_env("TEMP", "\\");
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 1);
    EXPECT_EQ(temp_directory, std::string(""));
    ASSERT_EQ(sim::message_boxes().size(), 1u);
    EXPECT_EQ(sim::message_boxes()[0].text,
              "You do not have enough free space on drive  to run the installer.\r\r"
              "You should free up space on your hard drive or change the location of your temp "
              "folder.");
}

// A temp directory longer than the paths built in it can hold is refused
// right after the second-instance rule, before anything uses it.
struct LongCase {
    const char *intent;
    std::string value;
    std::string directory;
};

class LongTempDirectory : public testing::TestWithParam<LongCase> {};

TEST_P(LongTempDirectory, IsRefusedWithAnErrorBox) {
    const LongCase &c = GetParam();
    sim::set_env("TEMP", c.value);
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 1) << c.intent;
    EXPECT_EQ(temp_directory, c.directory);
    ASSERT_EQ(sim::message_boxes().size(), 1u);
    const sim::MessageBoxShown &box = sim::message_boxes()[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(box.text, "The path of your temp folder is too long:\r\r" + c.directory +
                            "\r\rSet TEMP to a folder whose path has at most 232 characters.");
    // Only reading TEMP and the second-instance search came before.
    std::vector<std::string> names;
    for (const sim::Call &call : scenario::top_level_calls())
        names.push_back(call.name);
    EXPECT_EQ(names, (std::vector<std::string>{"getenv", "FindWindowA", "MessageBoxA"}));
    EXPECT_TRUE(sim::registered_classes().empty());
    expect_no_faults();
}

INSTANTIATE_TEST_SUITE_P(
    Table, LongTempDirectory,
    testing::Values(LongCase{"shortest refused length, 233", "C:\\" + chars(230),
                             "C:\\" + chars(230)},
                    LongCase{"300 characters: the first 259 are kept", "C:\\" + chars(297),
                             "C:\\" + chars(256)},
                    LongCase{"300 characters whose 259th is a backslash: 258 kept",
                             "C:\\" + chars(255) + "\\" + chars(41), "C:\\" + chars(255)},
                    LongCase{"a percent sign in a refused folder is shown as it is",
                             "C:\\%s%n%d" + chars(230), "C:\\%s%n%d" + chars(230)}),
    IntentName());

// ---- the start-up helper and the mode letter ----

struct ArgumentCase {
    const char *intent;
    const char *command_line;
    const char *arguments;
    char mode;
};

class ModeLetter : public testing::TestWithParam<ArgumentCase> {};

TEST_P(ModeLetter, ComesFromTheFirstCharacterOfTheArguments) {
    const ArgumentCase &c = GetParam();
    EXPECT_EQ(sim::run_launcher(c.command_line), 0);
    EXPECT_EQ(sim::winmain_arguments(), c.arguments) << c.command_line;
    EXPECT_EQ(mode_letter, c.mode) << c.command_line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModeLetter,
    testing::Values(
        ArgumentCase{"lower-case x", "launcher.exe x", "x", 'x'},
        ArgumentCase{"x and more letters", "launcher.exe xyz", "xyz", 'x'},
        ArgumentCase{"x and another argument", "launcher.exe x -silent", "x -silent", 'x'},
        ArgumentCase{"upper-case X is no x", "launcher.exe X", "X", 'i'},
        ArgumentCase{"x not first", "launcher.exe -x", "-x", 'i'},
        ArgumentCase{"i", "launcher.exe i", "i", 'i'},
        ArgumentCase{"no arguments", "launcher.exe", "", 'i'},
        ArgumentCase{"only blanks after the name", "launcher.exe    ", "", 'i'},
        ArgumentCase{"quoted name with a blank", "\"C:\\Program Files\\launcher.exe\" x", "x", 'x'},
        ArgumentCase{"argument right after the closing quote",
                     "\"C:\\Program Files\\launcher.exe\"x", "x", 'x'},
        ArgumentCase{"unterminated quote takes the whole line", "\"C:\\unterminated x", "", 'i'},
        ArgumentCase{"tabs skipped", "launcher.exe\t\t x", "x", 'x'},
        ArgumentCase{"control character skipped", "launcher.exe\x01x", "x", 'x'}),
    IntentName());

TEST(StartupHelper, LeadByteOfADoubleByteCharacterTakesTheNextByteAlong) {
    sim::set_double_byte_code_page(true);
    // 0x81 0x22 would end the program name at its second byte if that byte
    // were read as a quote of its own.
    EXPECT_EQ(sim::argument_string("\"C:\\\x81\"a.exe\" x"), "x");
    sim::set_double_byte_code_page(false);
    EXPECT_EQ(sim::argument_string("\"C:\\\x81\"a.exe\" x"), "a.exe\" x");
}

TEST(StartupHelper, ShowCommandComesFromTheStartupRecord) {
    sim::set_startup_show_window(true, SW_SHOWMAXIMIZED);
    sim::run_launcher("launcher.exe");
    EXPECT_EQ(sim::winmain_show_command(), SW_SHOWMAXIMIZED);
}

TEST(StartupHelper, ShowCommandDefaultsWithoutTheFlag) {
    sim::run_launcher("launcher.exe");
    EXPECT_EQ(sim::winmain_show_command(), SW_SHOWDEFAULT);
}

// ---- free space ----

struct SpaceCase {
    const char *intent;
    bool drive_exists;
    DWORD sectors_per_cluster, bytes_per_sector, free_clusters;
    int exit_code;
};

class FreeSpace : public testing::TestWithParam<SpaceCase> {};

TEST_P(FreeSpace, DecidesWhetherTheRunGoesOn) {
    const SpaceCase &c = GetParam();
    sim::set_env("TEMP", "C:\\TEMP");
    if (c.drive_exists)
        sim::set_drive('C', c.sectors_per_cluster, c.bytes_per_sector, c.free_clusters, 0xFFFFFFFF);
    else
        sim::remove_drive('C');
    EXPECT_EQ(sim::run_launcher("launcher.exe"), c.exit_code) << c.intent;
    // Only the decision counts here; what the extraction then finds on the
    // drive is another matter.
    size_t refusals = 0;
    for (const sim::MessageBoxShown &box : sim::message_boxes())
        refusals += box.caption == "Error";
    EXPECT_EQ(refusals, c.exit_code == 1 ? 1u : 0u) << c.intent;
    EXPECT_EQ(sim::calls_named({"PostMessageA"}).size(), c.exit_code == 1 ? 0u : 1u) << c.intent;
    expect_no_faults();
}

// The threshold is the payloads' summed compressed size, which this build
// carries; the cases around it follow from it.
static_assert(free_space_threshold <= 0xFFFFFFFF);
constexpr DWORD threshold = static_cast<DWORD>(free_space_threshold);
constexpr DWORD clusters_for_threshold = (threshold + 4095) / 4096;

INSTANTIATE_TEST_SUITE_P(
    Table, FreeSpace,
    testing::Values(
        SpaceCase{"exactly the threshold", true, 1, 1, threshold, 0},
        SpaceCase{"one byte under", true, 1, 1, threshold - 1, 1},
        SpaceCase{"threshold reached by a cluster product", true, 8, 512, clusters_for_threshold,
                  0},
        SpaceCase{"one cluster short of it", true, 8, 512, clusters_for_threshold - 1, 1},
        SpaceCase{"product above 32 bits (about 16 GB)", true, 8, 512, 4000000, 0},
        SpaceCase{"product above 32 bits from the largest counts", true, 128, 4096, 0xFFFFFFFF, 0},
        SpaceCase{"counts whose product passes 64 bits are plenty", true, 0xFFFFFFFF, 0xFFFFFFFF,
                  0xFFFFFFFF, 0},
        SpaceCase{"counts whose product is exactly 2^64 are plenty", true, 0x80000000, 4,
                  0x80000000, 0},
        SpaceCase{"no free clusters", true, 8, 512, 0, 1},
        SpaceCase{"failed query leaves the counts at zero", false, 0, 0, 0, 1}),
    IntentName());

TEST(FreeSpace, ShortageShowsTheErrorBoxAndExitsWithOne) {
    sim::set_env("TEMP", "C:\\TEMP\\");
    sim::set_drive('C', 1, 1, 1000, 1000);
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 1);
    ASSERT_EQ(sim::message_boxes().size(), 1u);
    const sim::MessageBoxShown &box = sim::message_boxes()[0];
    EXPECT_EQ(box.text, no_space_text);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.type, 0x10u);
    // The hidden progress window stays until the process ends; no brush,
    // no start message.
    HWND window = sim::find_window("KLDecompressor", "Kelvara Installation");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(sim::window(window).visible);
    for (const std::string &call : scenario::top_level_call_texts())
        EXPECT_TRUE(call.rfind("CreateSolidBrush", 0) != 0 && call.rfind("PostMessageA", 0) != 0 &&
                    call.rfind("GetMessageA", 0) != 0)
            << call;
    expect_no_faults();
}

// ---- second instance ----

class SecondLauncher : public testing::TestWithParam<bool> {};

TEST_P(SecondLauncher, MaximizesTheRunningInstallerAndLeaves) {
    sim::set_env("TEMP", "C:\\TEMP");
    scenario::start_first_launcher(GetParam());
    HWND first = sim::find_window(progress_class_name, progress_window_title);
    ASSERT_EQ(sim::window(first).visible, GetParam());
    scenario::start_running_installer();
    HWND installer = sim::find_window(installer_class_name, installer_window_title);
    EXPECT_EQ(sim::run_launcher("launcher.exe x"), 0);
    EXPECT_TRUE(calls_match(
        {
            {.name = "getenv", .result = R"("C:\\TEMP")"},
            {.name = "FindWindowA", .args = R"("KLDecompressor", "Kelvara Installation")"},
            {.name = "FindWindowA", .args = R"("KelvaraClientInstaller", "Kelvara Installer")"},
            {.name = "ShowWindow", .window = installer, .result = "TRUE"},
        },
        scenario::top_level_calls(), sim::Between::other_names_only));
    EXPECT_EQ(scenario::top_level_calls().size(), 4u);
    const sim::ProcessRecord *running = sim::process("installer");
    ASSERT_NE(running, nullptr);
    ASSERT_EQ(running->received.size(), 1u);
    EXPECT_EQ(running->received[0].what, "ShowWindow(SW_SHOWMAXIMIZED)");
    EXPECT_TRUE(sim::window(installer).maximized);
    EXPECT_TRUE(sim::registered_classes().empty());
    EXPECT_EQ(sim::current_cursor(), "none");
    EXPECT_EQ(sim::cursor_show_count(), 0);
    EXPECT_TRUE(sim::processes().size() == 2u) << "nothing started";
    expect_no_faults();
}

// The first launcher's progress window is hidden unless its installer shows it.
INSTANTIATE_TEST_SUITE_P(WindowOfTheFirstLauncher, SecondLauncher, testing::Bool(),
                         [](const testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("Shown") : std::string("Hidden");
                         });

TEST(SecondInstance, WithoutAnInstallerWindowStillExitsWithZero) {
    sim::set_env("TEMP", "C:\\TEMP");
    scenario::start_first_launcher();
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    EXPECT_TRUE(calls_match(
        {
            {.name = "getenv"},
            {.name = "FindWindowA", .result = "hwnd1"},
            {.name = "FindWindowA",
             .args = R"("KelvaraClientInstaller", "Kelvara Installer")",
             .result = "NULL"},
            {.name = "ShowWindow", .window = nullptr, .result = "FALSE"},
        },
        scenario::top_level_calls(), sim::Between::other_names_only));
    EXPECT_EQ(scenario::top_level_calls().size(), 4u);
    EXPECT_TRUE(sim::registered_classes().empty());
    expect_no_faults();
}

TEST(SecondInstance, HandsOverEvenWithATempFolderTooLongForItself) {
    sim::set_env("TEMP", "C:\\" + std::string(240, 'a'));
    scenario::start_first_launcher();
    scenario::start_running_installer();
    HWND installer = sim::find_window(installer_class_name, installer_window_title);
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    EXPECT_TRUE(sim::message_boxes().empty());
    EXPECT_TRUE(sim::window(installer).maximized);
    expect_no_faults();
}

TEST(SecondInstance, OnlyAWindowWithBothClassAndTitleCounts) {
    sim::set_env("TEMP", "C:\\TEMP");
    const std::string path = "C:\\Users\\Public\\Downloads\\other.exe";
    scenario::place_program_file(path);
    sim::start_program(
        sim::Program("other").script(sim::Script()
                                         .create_window({progress_class_name, "Something else"})
                                         .create_window({"SomeClass", progress_window_title})),
        path, path);
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    EXPECT_EQ(sim::registered_classes(), std::vector<std::string>{"KLDecompressor"});
}

// ---- class and window ----

TEST(ProgressWindow, FailedRegistrationEndsTheRunWithZero) {
    sim::fail_call("RegisterClassA");
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    EXPECT_TRUE(sim::calls_named({"CreateWindowExA", "GetDiskFreeSpaceA", "MessageBoxA"}).empty());
    expect_no_faults();
}

TEST(ProgressWindow, FailedCreationEndsTheRunWithZero) {
    sim::fail_call("CreateWindowExA");
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    EXPECT_TRUE(sim::calls_named({"SetWindowPos", "GetDiskFreeSpaceA", "MessageBoxA"}).empty());
    expect_no_faults();
}

// ---- the message loop ----

// An error from GetMessageA ends the run with 0, not with whatever the last
// message left in the record: here the show command that the installer
// posted as it ended, which the loop took after the start message.
TEST(MessageLoop, AnErrorFromGetMessageEndsTheRunWithZero) {
    const std::string temp = simulated_demo::prepare_run();
    sim::register_program(
        simulated_demo::installer_path_in(temp),
        simulated_demo::carried_installer(temp).on_command(
            hide_command,
            sim::Script()
                .post({progress_class_name, progress_window_title}, WM_COMMAND, show_command)
                .exit(0),
            1));
    sim::fail_call("GetMessageA", 1, 2); // the third call fails
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    std::vector<std::string> loop;
    for (const sim::Call &call : scenario::top_level_calls())
        if (call.name == "GetMessageA" || call.name == "DispatchMessageA")
            loop.push_back(call.text());
    EXPECT_TRUE(scenario::same_calls(
        {
            "GetMessageA(NULL, 0, 0) = TRUE {hwnd1, WM_USER+1, 0, 0}",
            "DispatchMessageA({hwnd1, WM_USER+1, 0, 0}) = 1",
            "GetMessageA(NULL, 0, 0) = TRUE {hwnd1, WM_COMMAND, 55556, 0}",
            "DispatchMessageA({hwnd1, WM_COMMAND, 55556, 0}) = 1",
            "GetMessageA(NULL, 0, 0) = -1",
        },
        loop));
    expect_no_faults();
}

TEST(ProgressWindow, IsTopmostHiddenAtTheTopLeftCorner) {
    sim::run_launcher("launcher.exe");
    HWND window = sim::find_window("KLDecompressor", "Kelvara Installation");
    sim::WindowView v = sim::window(window);
    EXPECT_TRUE(v.topmost);
    EXPECT_FALSE(v.visible);
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.y, 0);
    EXPECT_EQ(v.width, 321);
    EXPECT_EQ(v.height, 125);
    EXPECT_EQ(sim::current_cursor(), "IDC_WAIT");
    EXPECT_EQ(sim::cursor_show_count(), 1);
}

// The whole start-up of a normal run, call by call.
TEST(Startup, CallsInOrder) {
    sim::set_env("TEMP", "C:\\WINDOWS\\TEMP\\");
    EXPECT_EQ(sim::run_launcher("launcher.exe x"), 0);
    HWND window = sim::find_window(progress_class_name, progress_window_title);
    EXPECT_TRUE(calls_match(
        {
            {.name = "getenv", .args = R"("TEMP")", .result = R"("C:\\WINDOWS\\TEMP\\")"},
            {.name = "FindWindowA",
             .args = R"("KLDecompressor", "Kelvara Installation")",
             .result = "NULL"},
            {.name = "LoadCursorA", .args = "NULL, IDC_WAIT", .result = "IDC_WAIT"},
            {.name = "SetCursor", .args = "IDC_WAIT", .result = "NULL"},
            {.name = "ShowCursor", .args = "TRUE", .result = "1"},
            {.name = "LoadCursorA", .args = "NULL, IDC_WAIT", .result = "IDC_WAIT"},
            {.name = "GetStockObject", .args = "LTGRAY_BRUSH", .result = "LTGRAY_BRUSH"},
            {.name = "RegisterClassA",
             .args = R"({style=3, proc=set, instance=0x400000, icon=NULL, cursor=IDC_WAIT, )"
                     R"(background=LTGRAY_BRUSH, menu=NULL, class="KLDecompressor"})",
             .result = "49152"},
            {.name = "CreateWindowExA",
             .args = R"(0x8, "KLDecompressor", "Kelvara Installation", 0x800000, )"
                     R"(CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, NULL, NULL, 0x400000, NULL)",
             .result = "hwnd1"},
            {.name = "SetWindowPos", .window = window, .args = "hwnd1, NULL, 0, 0, 321, 125, 0x40"},
            {.name = "ShowWindow", .window = window, .args = "hwnd1, SW_HIDE", .result = "TRUE"},
            {.name = "GetDiskFreeSpaceA", .path = "C:\\"},
            {.name = "CreateSolidBrush", .args = "0xFFFFFF"},
            {.name = "CreateSolidBrush", .args = "0xFF0000"},
            {.name = "CreateSolidBrush", .args = "0xC0C0C0"},
            {.name = "PostMessageA",
             .window = window,
             .message = start_message,
             .wparam = 0,
             .lparam = 0,
             .result = "TRUE"},
            {.name = "GetMessageA", .result = "TRUE {hwnd1, WM_USER+1, 0, 0}"},
            {.name = "TranslateMessage"},
            {.name = "DispatchMessageA", .message = start_message, .result = "1"},
            {.name = "GetMessageA", .result = "FALSE {NULL, WM_QUIT, 0, 0}"},
        },
        scenario::top_level_calls(), sim::Between::other_names_only));
    EXPECT_EQ(scenario::top_level_calls().size(), 20u);
    // WM_CREATE reached the procedure during the creation and made the
    // status font and the black brush; the start message's handler posted
    // the quit message.
    EXPECT_TRUE(calls_match({
        {.name = "wndproc", .message = WM_NCCREATE, .result = "1"},
        {.name = "wndproc", .message = WM_CREATE, .result = "0"},
        {.name = "CreateFontIndirectA",
         .args = R"({height=13, width=0, escapement=0, orientation=0, weight=200, italic=0, )"
                 R"(underline=0, strikeout=0, charset=0, out=0, clip=0, quality=0, )"
                 R"(pitch_family=34, face=""})",
         .result = "font1"},
        {.name = "wndproc", .message = start_message, .result = "1"},
        {.name = "PostQuitMessage", .args = "0"},
    }));
    expect_no_faults();
}

} // namespace
