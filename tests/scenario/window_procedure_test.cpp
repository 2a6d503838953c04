// The progress window's procedure, driven the way the installer drives it:
// commands sent from another process, handled where Windows delivers them.
#include "launcher_scenario.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct CommandCase {
    const char* intent;
    std::vector<WPARAM> commands;
    std::vector<LRESULT> results;
    bool visible_after;
};

class Commands : public testing::TestWithParam<CommandCase> {};

TEST_P(Commands, ShowAndHideTheWindowOnTheWholeWParam) {
    const CommandCase& c = GetParam();
    for (WPARAM command : c.commands)
        sim::send_at(0, "installer", "KLDecompressor", "Kelvara Installation", WM_COMMAND, command, 0);
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    std::vector<LRESULT> results;
    for (const sim::ForeignSend& s : sim::foreign_sends()) {
        EXPECT_TRUE(s.delivered) << c.intent;
        results.push_back(s.result);
    }
    EXPECT_EQ(results, c.results) << c.intent;
    HWND window = sim::find_window("KLDecompressor", "Kelvara Installation");
    EXPECT_EQ(sim::window(window).visible, c.visible_after) << c.intent;
    // Commands never reach the default procedure.
    for (const std::string& call : sim::calls_named({"DefWindowProcA"}))
        EXPECT_EQ(call.find("WM_COMMAND"), std::string::npos) << call;
    scenario::expect_no_faults();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Commands,
    testing::Values(CommandCase{"show", {55556}, {1}, true},
                    CommandCase{"show, then hide", {55556, 55555}, {1, 1}, false},
                    CommandCase{"hide while hidden", {55555}, {1}, false},
                    CommandCase{"another command changes nothing", {55556, 1}, {1, 0}, true},
                    CommandCase{"hide with a notification code is no hide", {55556, 55555 + 65536},
                                {1, 0}, true},
                    CommandCase{"show with a notification code is no show", {55556 + 65536},
                                {0}, false}));

TEST(WindowProcedure, CommandsWaitForTheLauncherToLookAtItsMessages) {
    // Sent at 0 ms, the show command reaches the window only in the message
    // loop's first GetMessageA, before the start message is dispatched.
    sim::send_at(0, "installer", "KLDecompressor", "Kelvara Installation", WM_COMMAND, 55556, 0);
    sim::run_launcher("launcher.exe");
    std::vector<std::string> order;
    for (const sim::Call& call : sim::calls())
        if (call.name == "GetMessageA" || call.name == "incoming" ||
            (call.name == "wndproc" && call.args.find("WM_USER+1") != std::string::npos))
            order.push_back(call.name);
    EXPECT_EQ(order, (std::vector<std::string>{"GetMessageA", "incoming", "wndproc", "GetMessageA"}));
}

TEST(WindowProcedure, DestroyPostsTheQuitMessage) {
    sim::send_at(0, "installer", "KLDecompressor", "Kelvara Installation", WM_DESTROY, 0, 0);
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    ASSERT_EQ(sim::foreign_sends().size(), 1u);
    EXPECT_EQ(sim::foreign_sends()[0].result, 1);
    // One quit from WM_DESTROY, one from the start message, which was
    // already queued.
    EXPECT_EQ(sim::calls_named({"PostQuitMessage"}).size(), 2u);
    EXPECT_EQ(sim::calls_named({"DefWindowProcA"}).size(), 2u); // WM_NCCREATE, WM_SHOWWINDOW
    scenario::expect_no_faults();
}

TEST(WindowProcedure, OtherMessagesGoToTheDefaultProcedure) {
    sim::send_at(0, "installer", "KLDecompressor", "Kelvara Installation", WM_USER + 7, 3, 4);
    sim::run_launcher("launcher.exe");
    std::vector<std::string> defaults = sim::calls_named({"DefWindowProcA"});
    EXPECT_NE(std::find(defaults.begin(), defaults.end(),
                        "DefWindowProcA(hwnd1, WM_USER+7, 3, 4) = 0"),
              defaults.end());
}

} // namespace
