// The progress window's procedure, driven the way the installer drives it:
// commands sent from another process, handled where Windows delivers them.
#include "bootstrap/handoff.h"
#include "desktop_programs.h"
#include "intent_names.h"
#include "launcher_scenario.h"
#include "simulated_installer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct CommandCase {
    const char *intent;
    std::vector<WPARAM> commands;
    std::vector<LRESULT> results;
    std::vector<std::string> shows; // what the procedure did with the window, in order
};

// The ShowWindow calls the procedure made while handling the first `count`
// WM_COMMAND messages (the installer's own hide command comes later).
std::vector<std::string> shows_on_commands(size_t count) {
    std::vector<std::string> out;
    const std::vector<sim::Call> &all = sim::calls();
    for (size_t i = 0; i < all.size() && count > 0; ++i) {
        if (all[i].name != "wndproc" || all[i].message != WM_COMMAND)
            continue;
        --count;
        for (size_t j = i + 1; j < all.size() && all[j].depth > all[i].depth; ++j)
            if (all[j].name == "ShowWindow" && all[j].depth == all[i].depth + 1)
                out.push_back(all[j].args.substr(all[j].args.find(", ") + 2));
    }
    return out;
}

class Commands : public testing::TestWithParam<CommandCase> {};

TEST_P(Commands, ShowAndHideTheWindowOnTheWholeWParam) {
    const CommandCase &c = GetParam();
    simulated_demo::prepare_run();
    scenario::send_commands_to_progress_window(0, c.commands);
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    const sim::ProcessRecord *sender = sim::process("sender");
    ASSERT_NE(sender, nullptr);
    std::vector<LRESULT> results;
    for (const sim::SentMessage &s : sender->sent) {
        EXPECT_TRUE(s.delivered) << c.intent;
        results.push_back(s.result);
    }
    EXPECT_EQ(results, c.results) << c.intent;
    EXPECT_EQ(shows_on_commands(c.commands.size()), c.shows) << c.intent;
    // Commands never reach the default procedure.
    for (const sim::Call &call : sim::calls())
        EXPECT_FALSE(call.name == "DefWindowProcA" && call.message == WM_COMMAND) << call.text();
    scenario::expect_no_faults();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Commands,
    testing::Values(
        CommandCase{"show", {show_command}, {1}, {"SW_SHOW"}},
        CommandCase{
            "show, then hide", {show_command, hide_command}, {1, 1}, {"SW_SHOW", "SW_HIDE"}},
        CommandCase{"hide while hidden", {hide_command}, {1}, {"SW_HIDE"}},
        CommandCase{"another command changes nothing", {show_command, 1}, {1, 0}, {"SW_SHOW"}},
        CommandCase{"hide with a notification code is no hide",
                    {show_command, hide_command + 65536},
                    {1, 0},
                    {"SW_SHOW"}},
        CommandCase{"show with a notification code is no show", {show_command + 65536}, {0}, {}}),
    scenario::IntentName());

TEST(WindowProcedure, CommandsWaitForTheLauncherToLookAtItsMessages) {
    // Sent at 0 ms, the show command reaches the window only in the message
    // loop's first GetMessageA, before the start message is dispatched.
    scenario::send_commands_to_progress_window(0, {show_command});
    sim::run_launcher("launcher.exe");
    EXPECT_TRUE(scenario::calls_match(
        {
            {.name = "GetMessageA"},
            {.name = "incoming", .message = WM_COMMAND, .wparam = show_command},
            {.name = "DispatchMessageA", .message = start_message},
            {.name = "GetMessageA"},
        },
        sim::calls(), sim::Between::other_names_only));
}

TEST(WindowProcedure, DestroyPostsTheQuitMessage) {
    simulated_demo::prepare_run();
    scenario::send_to_progress_window(0, WM_DESTROY, 0, 0);
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    const sim::ProcessRecord *sender = sim::process("sender");
    ASSERT_NE(sender, nullptr);
    ASSERT_EQ(sender->sent.size(), 1u);
    EXPECT_EQ(sender->sent[0].result, 1);
    // One quit from WM_DESTROY, one from the start message, which was
    // already queued.
    EXPECT_EQ(sim::calls_named({"PostQuitMessage"}).size(), 2u);
    for (const sim::Call &call : sim::calls())
        EXPECT_FALSE(call.name == "DefWindowProcA" && call.message == WM_DESTROY);
    scenario::expect_no_faults();
}

TEST(WindowProcedure, OtherMessagesGoToTheDefaultProcedure) {
    scenario::send_to_progress_window(0, WM_USER + 7, 3, 4);
    sim::run_launcher("launcher.exe");
    EXPECT_TRUE(scenario::calls_match({{.name = "DefWindowProcA",
                                        .message = WM_USER + 7,
                                        .wparam = 3,
                                        .lparam = 4,
                                        .result = "0"}}));
}

} // namespace
