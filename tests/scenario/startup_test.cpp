// Start-up of the launcher, run whole in the simulated desktop: temp
// directory, second instance, class and window, mode letter, free space.
#include "bootstrap/launcher_state.h"
#include "launcher_scenario.h"
#include "payload/payload_figures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using scenario::expect_no_faults;
using scenario::same_calls;

const char* const no_space_text =
    "You do not have enough free space on drive C:\\ to run the installer.\r\r"
    "You should free up space on your hard drive or change the location of your temp folder.";

// ---- temp directory ----

struct TempCase {
    const char* intent;
    bool set;
    std::string value;
    std::string directory;
    std::string root; // what the free-space query is given
};

class TempDirectory : public testing::TestWithParam<TempCase> {};

TEST_P(TempDirectory, IsResolvedFromTemp) {
    const TempCase& c = GetParam();
    sim::unset_env("TEMP");
    if (c.set)
        sim::set_env("TEMP", c.value);
    sim::set_drive('D', 8, 512, 1000000, 2000000);
    sim::run_launcher("launcher.exe");
    EXPECT_EQ(temp_directory, c.directory);
    std::string root_argument;
    for (const sim::Call& call : sim::calls())
        if (call.name == "GetDiskFreeSpaceA")
            root_argument = call.args;
    std::string escaped = "\"";
    for (char ch : c.root)
        escaped += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
    EXPECT_EQ(root_argument, escaped + "\"") << c.intent;
    expect_no_faults();
}

std::string chars(size_t n, char fill = 'a') { return std::string(n, fill); }

INSTANTIATE_TEST_SUITE_P(
    Table, TempDirectory,
    testing::Values(
        TempCase{"trailing backslash dropped", true, "C:\\WINDOWS\\TEMP\\", "C:\\WINDOWS\\TEMP", "C:\\"},
        TempCase{"no trailing backslash", true, "D:\\Temp", "D:\\Temp", "D:\\"},
        TempCase{"two trailing backslashes keep one", true, "D:\\Temp\\\\", "D:\\Temp\\", "D:\\"},
        TempCase{"percent sign copied unchanged", true, "C:\\100%s%d\\t", "C:\\100%s%d\\t", "C:\\"},
        TempCase{"blanks kept", true, "C:\\My Temp Files", "C:\\My Temp Files", "C:\\"},
        TempCase{"short value gives a short root", true, "C:", "C:", "C:"},
        TempCase{"longest accepted length, 232", true, "C:\\" + chars(229), "C:\\" + chars(229), "C:\\"},
        TempCase{"233 with a trailing backslash is 232", true, "C:\\" + chars(229) + "\\",
                 "C:\\" + chars(229), "C:\\"},
        TempCase{"unset: the fallback", false, "", "c:\\temp", "c:\\"},
        TempCase{"empty: the fallback", true, "", "c:\\temp", "c:\\"}));

TEST(TempDirectory, FallbackIsPutIntoTheEnvironmentTheInstallerInherits) {
    sim::unset_env("TEMP");
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    EXPECT_EQ(temp_directory, std::string("c:\\temp"));
    std::vector<std::string> env = sim::environment();
    EXPECT_NE(std::find(env.begin(), env.end(), "TEMP=C:\\TEMP"), env.end());
    EXPECT_TRUE(same_calls({"putenv(\"TEMP=C:\\\\TEMP\") = 0"}, sim::calls_named({"putenv"})));
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
// before anything else happens.
struct LongCase {
    const char* intent;
    std::string value;
    std::string directory;
};

class LongTempDirectory : public testing::TestWithParam<LongCase> {};

TEST_P(LongTempDirectory, IsRefusedWithAnErrorBox) {
    const LongCase& c = GetParam();
    sim::set_env("TEMP", c.value);
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 1) << c.intent;
    EXPECT_EQ(temp_directory, c.directory);
    ASSERT_EQ(sim::message_boxes().size(), 1u);
    const sim::MessageBoxShown& box = sim::message_boxes()[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(box.text, "The path of your temp folder is too long:\r\r" + c.directory +
                            "\r\rSet TEMP to a folder whose path has at most 232 characters.");
    // Nothing but reading TEMP came before.
    EXPECT_TRUE(same_calls({"getenv(\"TEMP\")", "MessageBoxA"},
                           [] {
                               std::vector<std::string> names;
                               for (const sim::Call& call : sim::calls())
                                   if (call.depth == 1)
                                       names.push_back(call.name == "getenv"
                                                           ? "getenv(" + call.args + ")"
                                                           : call.name);
                               return names;
                           }()));
    EXPECT_TRUE(sim::registered_classes().empty());
    expect_no_faults();
}

INSTANTIATE_TEST_SUITE_P(
    Table, LongTempDirectory,
    testing::Values(
        LongCase{"shortest refused length, 233", "C:\\" + chars(230), "C:\\" + chars(230)},
        LongCase{"300 characters: the first 259 are kept", "C:\\" + chars(297),
                 "C:\\" + chars(256)},
        LongCase{"300 characters whose 259th is a backslash: 258 kept",
                 "C:\\" + chars(255) + "\\" + chars(41), "C:\\" + chars(255)},
        LongCase{"a percent sign in a refused folder is shown as it is",
                 "C:\\%s%n%d" + chars(230), "C:\\%s%n%d" + chars(230)}));

// ---- the start-up helper and the mode letter ----

struct ArgumentCase {
    const char* command_line;
    const char* arguments;
    char mode;
};

class ModeLetter : public testing::TestWithParam<ArgumentCase> {};

TEST_P(ModeLetter, ComesFromTheFirstCharacterOfTheArguments) {
    const ArgumentCase& c = GetParam();
    EXPECT_EQ(sim::run_launcher(c.command_line), 0);
    EXPECT_EQ(sim::winmain_arguments(), c.arguments) << c.command_line;
    EXPECT_EQ(mode_letter, c.mode) << c.command_line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModeLetter,
    testing::Values(ArgumentCase{"launcher.exe x", "x", 'x'},
                    ArgumentCase{"launcher.exe xyz", "xyz", 'x'},
                    ArgumentCase{"launcher.exe x -silent", "x -silent", 'x'},
                    ArgumentCase{"launcher.exe X", "X", 'i'},
                    ArgumentCase{"launcher.exe -x", "-x", 'i'},
                    ArgumentCase{"launcher.exe i", "i", 'i'},
                    ArgumentCase{"launcher.exe", "", 'i'},
                    ArgumentCase{"launcher.exe    ", "", 'i'},
                    ArgumentCase{"\"C:\\Program Files\\launcher.exe\" x", "x", 'x'},
                    ArgumentCase{"\"C:\\Program Files\\launcher.exe\"x", "x", 'x'},
                    ArgumentCase{"\"C:\\unterminated x", "", 'i'},
                    ArgumentCase{"launcher.exe\t\t x", "x", 'x'},
                    ArgumentCase{"launcher.exe\x01x", "x", 'x'}));

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
    const char* intent;
    bool drive_exists;
    DWORD sectors_per_cluster, bytes_per_sector, free_clusters;
    int exit_code;
};

class FreeSpace : public testing::TestWithParam<SpaceCase> {};

TEST_P(FreeSpace, DecidesWhetherTheRunGoesOn) {
    const SpaceCase& c = GetParam();
    sim::set_env("TEMP", "C:\\TEMP");
    if (c.drive_exists)
        sim::set_drive('C', c.sectors_per_cluster, c.bytes_per_sector, c.free_clusters, 0xFFFFFFFF);
    else
        sim::remove_drive('C');
    EXPECT_EQ(sim::run_launcher("launcher.exe"), c.exit_code) << c.intent;
    EXPECT_EQ(sim::message_boxes().size(), c.exit_code == 1 ? 1u : 0u) << c.intent;
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
    testing::Values(SpaceCase{"exactly the threshold", true, 1, 1, threshold, 0},
                    SpaceCase{"one byte under", true, 1, 1, threshold - 1, 1},
                    SpaceCase{"threshold reached by a cluster product", true, 8, 512,
                              clusters_for_threshold, 0},
                    SpaceCase{"one cluster short of it", true, 8, 512, clusters_for_threshold - 1,
                              1},
                    SpaceCase{"product above 32 bits (about 16 GB)", true, 8, 512, 4000000, 0},
                    SpaceCase{"product above 32 bits from the largest counts", true, 128, 4096,
                              0xFFFFFFFF, 0},
                    SpaceCase{"counts whose product passes 64 bits are plenty", true,
                              0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0},
                    SpaceCase{"no free clusters", true, 8, 512, 0, 1},
                    SpaceCase{"failed query leaves the counts at zero", false, 0, 0, 0, 1}));

TEST(FreeSpace, ShortageShowsTheErrorBoxAndExitsWithOne) {
    sim::set_env("TEMP", "C:\\TEMP\\");
    sim::set_drive('C', 1, 1, 1000, 1000);
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 1);
    ASSERT_EQ(sim::message_boxes().size(), 1u);
    const sim::MessageBoxShown& box = sim::message_boxes()[0];
    EXPECT_EQ(box.text, no_space_text);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.type, 0x10u);
    // The hidden progress window stays until the process ends; no brush,
    // no start message.
    HWND window = sim::find_window("KLDecompressor", "Kelvara Installation");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(sim::window(window).visible);
    for (const std::string& call : scenario::top_level_calls())
        EXPECT_TRUE(call.rfind("CreateSolidBrush", 0) != 0 && call.rfind("PostMessageA", 0) != 0 &&
                    call.rfind("GetMessageA", 0) != 0)
            << call;
    expect_no_faults();
}

// ---- second instance ----

TEST(SecondInstance, MaximizesTheRunningInstallerAndLeaves) {
    sim::set_env("TEMP", "C:\\TEMP");
    sim::add_foreign_window("first launcher", "KLDecompressor", "Kelvara Installation");
    HWND installer =
        sim::add_foreign_window("installer", "KelvaraClientInstaller", "Kelvara Installer");
    EXPECT_EQ(sim::run_launcher("launcher.exe x"), 0);
    EXPECT_TRUE(same_calls(
        {
            "getenv(\"TEMP\") = \"C:\\\\TEMP\"",
            "FindWindowA(\"KLDecompressor\", \"Kelvara Installation\") = foreign_hwnd1",
            "FindWindowA(\"KelvaraClientInstaller\", \"Kelvara Installer\") = foreign_hwnd2",
            "ShowWindow(foreign_hwnd2, SW_SHOWMAXIMIZED) = TRUE",
        },
        scenario::top_level_calls()));
    EXPECT_EQ(sim::window(installer).received, std::vector<std::string>{"ShowWindow(SW_SHOWMAXIMIZED)"});
    EXPECT_TRUE(sim::window(installer).maximized);
    EXPECT_TRUE(sim::registered_classes().empty());
    EXPECT_EQ(sim::current_cursor(), "none");
    EXPECT_EQ(sim::cursor_show_count(), 0);
    expect_no_faults();
}

TEST(SecondInstance, WithoutAnInstallerWindowStillExitsWithZero) {
    sim::set_env("TEMP", "C:\\TEMP");
    sim::add_foreign_window("first launcher", "KLDecompressor", "Kelvara Installation");
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    std::vector<std::string> calls = scenario::top_level_calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[2], "FindWindowA(\"KelvaraClientInstaller\", \"Kelvara Installer\") = NULL");
    EXPECT_EQ(calls[3], "ShowWindow(NULL, SW_SHOWMAXIMIZED) = FALSE");
    EXPECT_TRUE(sim::registered_classes().empty());
    expect_no_faults();
}

TEST(SecondInstance, OnlyAWindowWithBothClassAndTitleCounts) {
    sim::set_env("TEMP", "C:\\TEMP");
    sim::add_foreign_window("other", "KLDecompressor", "Something else");
    sim::add_foreign_window("other", "SomeClass", "Kelvara Installation");
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
    EXPECT_TRUE(same_calls(
        {
            "getenv(\"TEMP\") = \"C:\\\\WINDOWS\\\\TEMP\\\\\"",
            "FindWindowA(\"KLDecompressor\", \"Kelvara Installation\") = NULL",
            "LoadCursorA(NULL, IDC_WAIT) = IDC_WAIT",
            "SetCursor(IDC_WAIT) = NULL",
            "ShowCursor(TRUE) = 1",
            "LoadCursorA(NULL, IDC_WAIT) = IDC_WAIT",
            "GetStockObject(LTGRAY_BRUSH) = LTGRAY_BRUSH",
            "RegisterClassA({style=3, proc=set, instance=0x400000, icon=NULL, cursor=IDC_WAIT, "
            "background=LTGRAY_BRUSH, menu=NULL, class=\"KLDecompressor\"}) = 49152",
            "CreateWindowExA(0x8, \"KLDecompressor\", \"Kelvara Installation\", 0x800000, "
            "CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, NULL, NULL, 0x400000, NULL) = hwnd1",
            "SetWindowPos(hwnd1, NULL, 0, 0, 321, 125, 0x40) = TRUE",
            "ShowWindow(hwnd1, SW_HIDE) = TRUE",
            "GetDiskFreeSpaceA(\"C:\\\\\") = TRUE {8, 512, 5242880, 10485760}",
            "CreateSolidBrush(0xFFFFFF) = brush3",
            "CreateSolidBrush(0xFF0000) = brush4",
            "CreateSolidBrush(0xC0C0C0) = brush5",
            "PostMessageA(hwnd1, WM_USER+1, 0, 0) = TRUE",
            "GetMessageA(NULL, 0, 0) = TRUE {hwnd1, WM_USER+1, 0, 0}",
            "TranslateMessage({hwnd1, WM_USER+1, 0, 0}) = FALSE",
            "DispatchMessageA({hwnd1, WM_USER+1, 0, 0}) = 1",
            "GetMessageA(NULL, 0, 0) = FALSE {NULL, WM_QUIT, 0, 0}",
        },
        scenario::top_level_calls()));
    // WM_CREATE reached the procedure during the creation and made the
    // status font and the black brush; the start message's handler posted
    // the quit message.
    EXPECT_EQ(sim::calls_named({"wndproc", "PostQuitMessage", "CreateFontIndirectA"}),
              (std::vector<std::string>{"wndproc(hwnd1, WM_NCCREATE, 0, 0) = 1",
                                        "wndproc(hwnd1, WM_CREATE, 0, 0) = 0",
                                        "CreateFontIndirectA({height=13, width=0, escapement=0, "
                                        "orientation=0, weight=200, italic=0, underline=0, "
                                        "strikeout=0, charset=0, out=0, clip=0, quality=0, "
                                        "pitch_family=34, face=\"\"}) = font1",
                                        "wndproc(hwnd1, WM_SHOWWINDOW, 0, 0) = 0",
                                        "wndproc(hwnd1, WM_USER+1, 0, 0) = 1",
                                        "PostQuitMessage(0)"}));
    expect_no_faults();
}

} // namespace
