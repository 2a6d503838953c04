#include "run_outcome.h"

#include "bootstrap/handoff.h"
#include "platform/host/sim.h"

#include <algorithm>

namespace explore {

namespace {

bool box_starts_with(const std::string &text) {
    const auto &boxes = sim::message_boxes();
    return std::any_of(boxes.begin(), boxes.end(), [&](const sim::MessageBoxShown &box) {
        return box.text.rfind(text, 0) == 0;
    });
}

} // namespace

std::string run_outcome(const Schedule &schedule) {
    if (schedule.first_launcher_running)
        return "second instance";
    if (box_starts_with("The path of your temp folder is too long"))
        return "refused: temp folder too long";
    if (box_starts_with("You do not have enough free space"))
        return "refused: not enough free space";
    const auto &calls = sim::calls();
    const bool started = std::any_of(calls.begin(), calls.end(), [](const sim::Call &c) {
        return c.name == "wndproc" && c.message == start_message;
    });
    if (!started)
        return "Windows refused a call at start-up";
    if (box_starts_with("Unable to write installer executable."))
        return "installer file failed";
    const bool data_failed = box_starts_with("Unable to write data file.");
    if (box_starts_with("Can't start process."))
        return data_failed ? "launch failed and data file failed" : "launch failed";
    if (data_failed)
        return "data file failed";
    const bool handed_off = std::any_of(calls.begin(), calls.end(), [](const sim::Call &c) {
        return c.name == "SendMessageA" && c.wparam == hide_command;
    });
    return handed_off ? "handed off" : "installer window not found in time";
}

} // namespace explore
