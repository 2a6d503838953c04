#include "run_invariants.h"

#include "awkward_temp_values.h"
#include "bootstrap/handoff.h"
#include "call_log_reading.h"
#include "host_files.h"
#include "payload/payload_figures.h"
#include "platform/host/sim.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace explore {

namespace {

// The longest temp folder the launcher takes, as its refusal says.
constexpr size_t longest_accepted_temp_directory = 232;

// The launcher looks for the installer's window this many times at most.
constexpr size_t searches_before_giving_up = 30;

// Virtual time within which a waiting launcher sees the installer's end.
constexpr uint64_t noticing_the_end_ms = 1000;

enum class BoxKind {
    installer_failure,
    data_failure,
    launch_failure,
    no_space,
    long_temp,
    unknown
};

const char *box_name(BoxKind kind) {
    switch (kind) {
    case BoxKind::installer_failure:
        return "installer file failure";
    case BoxKind::data_failure:
        return "data file failure";
    case BoxKind::launch_failure:
        return "launch failure";
    case BoxKind::no_space:
        return "not enough free space";
    case BoxKind::long_temp:
        return "temp folder too long";
    default:
        return "unknown";
    }
}

std::string printable(const std::string &text) {
    std::string out;
    for (char c : text)
        out += c == '\r' ? std::string("\\r") : std::string(1, c);
    return out;
}

class RunCheck {
  public:
    RunCheck(const Schedule &s, const RunPaths &paths, const CarriedFiles &carried, int exit_code)
        : s_(s), paths_(paths), carried_(carried), exit_code_(exit_code), log_(sim::calls()),
          temp_(awkward_temp_values()[s.temp_value]) {
        for (const sim::Call &c : log_)
            start_message_ran_ =
                start_message_ran_ || (c.name == "wndproc" && c.message == start_message);
        for (const sim::MessageBoxShown &box : sim::message_boxes())
            boxes_.push_back(classify(box));
        final_data_ = sim::read_file(paths.data);
    }

    std::vector<std::string> run() {
        desktop_has_no_faults();
        virtual_time_is_bounded();
        boxes_are_known_and_in_order();
        exit_code_follows_the_table();
        start_up_refusals_hold();
        second_instance_touches_nothing();
        only_the_launchers_own_files_are_touched();
        installer_starts_only_from_the_whole_file();
        hide_command_follows_a_whole_closed_data_file();
        installer_is_told_once_its_window_is_found();
        no_bad_file_passes_for_good();
        nothing_that_cannot_fail_is_reported();
        clean_up_runs_last();
        commands_are_answered();
        progress_window_shows_only_when_told();
        return violations_;
    }

  private:
    const Schedule &s_;
    const RunPaths &paths_;
    const CarriedFiles &carried_;
    const int exit_code_;
    const std::vector<sim::Call> &log_;
    const TempValue &temp_;
    bool start_message_ran_ = false;
    std::vector<BoxKind> boxes_;
    std::optional<std::string> final_data_;
    std::vector<std::string> violations_;

    void violated(const std::string &what) { violations_.push_back(what); }

    bool shown(BoxKind kind) const {
        return std::find(boxes_.begin(), boxes_.end(), kind) != boxes_.end();
    }

    std::string root() const { return paths_.temp_directory.substr(0, 3); }

    BoxKind classify(const sim::MessageBoxShown &box) const {
        char no_space[512];
        std::snprintf(no_space, sizeof no_space,
                      "You do not have enough free space on drive %s to run the installer.\r\r"
                      "You should free up space on your hard drive or change the location of "
                      "your temp folder.",
                      root().c_str());
        const std::string long_temp = "The path of your temp folder is too long:\r\r" +
                                      paths_.temp_directory +
                                      "\r\rSet TEMP to a folder whose path has at most 232 "
                                      "characters.";
        const bool owned_by_progress_window =
            box.owner != nullptr && sim::window(box.owner).process == "launcher" &&
            sim::window(box.owner).class_name == progress_class_name;
        const bool error_box = box.caption == "Error" && box.owner == nullptr &&
                               box.type == static_cast<UINT>(MB_OK | MB_ICONHAND);
        const bool installer_box =
            box.caption == installer_box_caption && box.type == static_cast<UINT>(MB_OK);
        if (box.text == "Unable to write installer executable." + paths_.installer &&
            installer_box && owned_by_progress_window)
            return BoxKind::installer_failure;
        if (box.text == "Unable to write data file." + paths_.data && installer_box &&
            box.owner == nullptr)
            return BoxKind::data_failure;
        if (box.text == "Can't start process." && installer_box && box.owner == nullptr)
            return BoxKind::launch_failure;
        if (box.text == no_space && error_box)
            return BoxKind::no_space;
        if (box.text == long_temp && error_box)
            return BoxKind::long_temp;
        return BoxKind::unknown;
    }

    // ---- the desktop and time ----

    void desktop_has_no_faults() {
        for (const std::string &fault : sim::faults())
            violated("the simulated desktop recorded a fault: " + fault);
    }

    void virtual_time_is_bounded() {
        if (sim::now_ms() > virtual_time_limit_ms)
            violated("the run ended only at " + std::to_string(sim::now_ms()) +
                     " ms of virtual time");
    }

    // ---- message boxes and the exit code ----

    void boxes_are_known_and_in_order() {
        const auto &shown_boxes = sim::message_boxes();
        for (size_t i = 0; i < shown_boxes.size(); ++i)
            if (boxes_[i] == BoxKind::unknown)
                violated("a message box that is none of the known ones: text \"" +
                         printable(shown_boxes[i].text) + "\", caption \"" +
                         shown_boxes[i].caption + "\", type " +
                         std::to_string(shown_boxes[i].type) +
                         (shown_boxes[i].owner ? ", with an owner" : ", without owner"));
        using K = BoxKind;
        static const std::vector<std::vector<K>> allowed = {{},
                                                            {K::installer_failure},
                                                            {K::data_failure},
                                                            {K::launch_failure},
                                                            {K::data_failure, K::launch_failure},
                                                            {K::no_space},
                                                            {K::long_temp}};
        if (std::find(allowed.begin(), allowed.end(), boxes_) == allowed.end()) {
            std::string seen;
            for (BoxKind k : boxes_)
                seen += std::string(seen.empty() ? "" : ", ") + box_name(k);
            violated("message boxes in an order no run can give: " + seen);
        }
    }

    void exit_code_follows_the_table() {
        const int expected = shown(BoxKind::no_space) || shown(BoxKind::long_temp) ? 1 : 0;
        if (exit_code_ != expected)
            violated("exit code " + std::to_string(exit_code_) + ", expected " +
                     std::to_string(expected));
    }

    // ---- start-up ----

    void start_up_refusals_hold() {
        if (s_.first_launcher_running)
            return;
        const bool too_long = paths_.temp_directory.size() > longest_accepted_temp_directory;
        if (shown(BoxKind::long_temp) != too_long)
            violated(std::string("the temp folder of ") +
                     std::to_string(paths_.temp_directory.size()) + " characters was " +
                     (too_long ? "accepted" : "refused as too long"));
        const std::vector<size_t> queries = calls_named("GetDiskFreeSpaceA");
        const bool window_made =
            !s_.refused_windows_call || *s_.refused_windows_call == "GetMessageA";
        if (!too_long && window_made && queries.size() != 1)
            violated("the free space was asked for " + std::to_string(queries.size()) + " times");
        if (queries.size() == 1) {
            const sim::Call &query = log_[queries[0]];
            if (query.path != root())
                violated("the free space was asked for \"" + query.path.value_or("") +
                         "\", not for the temp folder's root \"" + root() + "\"");
            unsigned long long sectors = 0, bytes = 0, clusters = 0, total = 0;
            if (call_succeeded(query))
                std::sscanf(query.result.c_str(), "TRUE {%llu, %llu, %llu, %llu}", &sectors, &bytes,
                            &clusters, &total);
            const unsigned long long cluster = sectors * bytes;
            const bool enough = (cluster != 0 && clusters > UINT64_MAX / cluster) ||
                                cluster * clusters >= free_space_threshold;
            if (shown(BoxKind::no_space) == enough)
                violated(std::string("free space of ") +
                         std::to_string(sectors * bytes * clusters) + " bytes " +
                         (enough ? "refused" : "accepted") + " against a threshold of " +
                         std::to_string(free_space_threshold));
        }
        if ((shown(BoxKind::no_space) || shown(BoxKind::long_temp)) && start_message_ran_)
            violated("the extraction ran after a start-up refusal");
    }

    void second_instance_touches_nothing() {
        if (!s_.first_launcher_running)
            return;
        if (!sim::message_boxes().empty())
            violated("a second launcher showed a message box");
        for (const char *name : {"_open", "DeleteFileA", "MoveFileA", "CreateProcessA",
                                 "RegisterClassA", "CreateWindowExA"})
            if (!calls_named(name).empty())
                violated(std::string("a second launcher called ") + name);
        if (s_.first_installer_running) {
            const sim::ProcessRecord *installer = sim::process("installer");
            const bool maximized =
                installer && std::any_of(installer->received.begin(), installer->received.end(),
                                         [](const sim::Received &r) {
                                             return r.what == "ShowWindow(SW_SHOWMAXIMIZED)";
                                         });
            if (!maximized)
                violated("a second launcher did not bring up the running installer's window");
        }
    }

    // ---- files ----

    void only_the_launchers_own_files_are_touched() {
        size_t moves = 0;
        for (const sim::Call &c : log_) {
            if (c.name == "_open" && !touches_path(c, paths_.installer) &&
                !touches_path(c, paths_.data))
                violated("the launcher opened " + c.path.value_or("?"));
            if (c.name == "DeleteFileA" && !touches_path(c, paths_.installer) &&
                !touches_path(c, paths_.data) && !touches_path(c, paths_.marker_a) &&
                !touches_path(c, paths_.marker_b))
                violated("the launcher deleted " + c.path.value_or("?"));
            if (c.name == "MoveFileA") {
                if (moves >= paths_.asides.size() || !touches_path(c, paths_.installer) ||
                    c.args.find(", " + quoted_in_log(paths_.asides[moves])) == std::string::npos)
                    violated("a move aside that is not the next of the three: MoveFileA(" + c.args +
                             ")");
                ++moves;
            }
        }
    }

    void installer_starts_only_from_the_whole_file() {
        const std::vector<size_t> starts = calls_named("CreateProcessA");
        const std::vector<bool> &checks = run_record().installer_starts_whole;
        if (starts.size() > 1)
            violated("the installer was started " + std::to_string(starts.size()) + " times");
        if (std::find(checks.begin(), checks.end(), false) != checks.end())
            violated("the installer was started from a file that was not the whole installer");
        if (checks.size() != starts.size())
            violated("CreateProcessA found no installer file to start");
        if (shown(BoxKind::installer_failure)) {
            if (!starts.empty())
                violated("the installer was started after its file was reported bad");
            for (const sim::Call &c : log_)
                if (touches_path(c, paths_.data))
                    violated("the data file was written after the installer file was reported bad");
        }
        bool installer_written = false;
        for (const sim::Call &c : log_)
            installer_written =
                installer_written || (c.name == "_open" && touches_path(c, paths_.installer) &&
                                      leading_number(c.result) >= 0);
        if (installer_written && !shown(BoxKind::installer_failure) && starts.empty())
            violated("the installer file was written, not reported bad, and not started");
        if (starts.empty())
            return;
        const sim::Call &start = log_[starts[0]];
        OpenDescriptors open;
        for (size_t i = 0; i < starts[0]; ++i)
            open.replay(log_[i]);
        if (open.holds(paths_.installer))
            violated("the installer was started while its file was still open");
        if (shown(BoxKind::launch_failure) == call_succeeded(start))
            violated(std::string("the launch ") + (call_succeeded(start) ? "succeeded" : "failed") +
                     (shown(BoxKind::launch_failure) ? " but" : " and no") +
                     " \"Can't start process.\" was shown");
        const sim::ProcessRecord *installer = sim::process("installer");
        if (!installer)
            return;
        const std::string args = sim::winmain_arguments();
        const std::string command_line =
            paths_.installer + " " + (!args.empty() && args[0] == 'x' ? "x" : "i");
        if (installer->application_name != paths_.installer ||
            installer->command_line != command_line)
            violated("the installer was started as \"" + installer->application_name +
                     "\" with \"" + installer->command_line + "\", not as \"" + paths_.installer +
                     "\" with \"" + command_line + "\"");
        // TEMP as the launcher found it, or the fallback it set for itself.
        const std::string expected_temp =
            temp_.value && !temp_.value->empty() ? *temp_.value : std::string("C:\\TEMP");
        const bool temp_inherited =
            std::any_of(installer->environment.begin(), installer->environment.end(),
                        [&](const std::string &entry) {
                            const size_t equals = entry.find('=');
                            return same_path(entry.substr(0, equals), "TEMP") &&
                                   entry.substr(equals + 1) == expected_temp;
                        });
        if (!temp_inherited)
            violated("the installer's environment lacks TEMP=" + expected_temp);
    }

    void hide_command_follows_a_whole_closed_data_file() {
        std::vector<size_t> hides;
        for (size_t i = 0; i < log_.size(); ++i)
            if (log_[i].name == "SendMessageA" && log_[i].message == WM_COMMAND &&
                log_[i].wparam == hide_command)
                hides.push_back(i);
        if (hides.size() > 1)
            violated("the hide command was sent " + std::to_string(hides.size()) + " times");
        if (hides.empty())
            return;
        const size_t hide = hides[0];
        const sim::Call &sent = log_[hide];
        if (shown(BoxKind::data_failure))
            violated("the hide command was sent although the data file was reported bad");
        bool launched = false, data_closed = false;
        long data_descriptor = -1;
        OpenDescriptors open;
        for (size_t i = 0; i < hide; ++i) {
            const sim::Call &c = log_[i];
            open.replay(c);
            launched = launched || (c.name == "CreateProcessA" && call_succeeded(c));
            if (c.name == "_open" && touches_path(c, paths_.data)) {
                data_descriptor = leading_number(c.result);
                data_closed = false;
            }
            if (c.name == "_close" && data_descriptor >= 0 &&
                leading_number(c.args) == data_descriptor)
                data_closed = true;
        }
        if (!launched)
            violated("the hide command was sent without a started installer");
        if (open.holds(paths_.data))
            violated("the hide command was sent while the data file was still open");
        if (!data_closed)
            violated("the hide command was sent before any data file was written and closed");
        const sim::ProcessRecord *installer = sim::process("installer");
        if (!sent.window || !installer ||
            std::find(installer->windows.begin(), installer->windows.end(), *sent.window) ==
                installer->windows.end())
            violated("the hide command went to a window that is not the installer's");
        // What the installer found when it was told, where it looked.
        if (installer)
            for (const sim::FileSeen &seen : installer->files_seen)
                if (!seen.exists || seen.bytes != carried_.data)
                    violated("told at " + std::to_string(seen.time_ms) +
                             " ms, the installer found the data file " +
                             (seen.exists
                                  ? std::to_string(seen.bytes.size()) + " bytes long and not whole"
                                  : std::string("missing")));
        // Otherwise the file as it ends is the file as it was then: the
        // launcher does not touch it afterwards.
        for (size_t i = hide + 1; i < log_.size(); ++i)
            if (touches_path(log_[i], paths_.data))
                violated("the data file was touched after the hide command: " + log_[i].text());
        if (!final_data_ || *final_data_ != carried_.data)
            violated("the hide command was sent but the data file at the end is " +
                     (final_data_ ? std::to_string(final_data_->size()) + " bytes and not whole"
                                  : std::string("missing")));
    }

    // With the installer started and its data file whole, the launcher
    // looks for the installer's window until it finds it, 30 times at most,
    // and tells the window it found.
    void installer_is_told_once_its_window_is_found() {
        size_t started = log_.size();
        for (size_t i = 0; i < log_.size(); ++i)
            if (log_[i].name == "CreateProcessA" && call_succeeded(log_[i]))
                started = i;
        std::vector<size_t> searches;
        for (size_t i = started; i < log_.size(); ++i)
            if (log_[i].name == "FindWindowA" &&
                log_[i].args.find(installer_class_name) != std::string::npos)
                searches.push_back(i);
        const bool hand_off_due = started != log_.size() && !shown(BoxKind::data_failure) &&
                                  !shown(BoxKind::launch_failure);
        if (!hand_off_due) {
            if (!searches.empty())
                violated("the launcher looked for the installer's window without a hand-off due");
            return;
        }
        const auto found = std::find_if(searches.begin(), searches.end(),
                                        [&](size_t i) { return log_[i].result != "NULL"; });
        bool told = false;
        for (size_t i = found == searches.end() ? log_.size() : *found; i < log_.size(); ++i)
            told = told || (log_[i].name == "SendMessageA" && log_[i].wparam == hide_command);
        if (found == searches.end()) {
            if (searches.size() != searches_before_giving_up)
                violated("the launcher gave up on the installer's window after " +
                         std::to_string(searches.size()) + " searches");
        } else if (found + 1 != searches.end()) {
            violated("the launcher went on looking for the installer's window after it found it");
        } else if (!told) {
            violated(
                "the installer's window was found but not told that its data file is complete");
        }
    }

    void no_bad_file_passes_for_good() {
        // The data file.
        size_t last_open = log_.size();
        bool touched = false;
        for (size_t i = 0; i < log_.size(); ++i) {
            touched = touched || touches_path(log_[i], paths_.data);
            if (log_[i].name == "_open" && touches_path(log_[i], paths_.data))
                last_open = i;
        }
        const bool whole = final_data_ && *final_data_ == carried_.data;
        if (!touched && final_data_ != run_record().data_before)
            violated("the data file changed although the launcher never touched it");
        if (last_open != log_.size()) {
            if (!shown(BoxKind::data_failure) && !whole)
                violated("the data file is " +
                         (final_data_ ? std::to_string(final_data_->size()) + " bytes and not whole"
                                      : std::string("missing")) +
                         " and no box said so");
            bool deleted_after_writing = false;
            for (size_t i = last_open; i < log_.size(); ++i)
                deleted_after_writing =
                    deleted_after_writing ||
                    (log_[i].name == "DeleteFileA" && touches_path(log_[i], paths_.data));
            if (shown(BoxKind::data_failure) && final_data_ && !deleted_after_writing)
                violated("a data file reported bad was left without an attempt to delete it");
        }
        // The installer file: written, it is whole or reported.
        bool written = false;
        for (const sim::Call &c : log_)
            written = written || (c.name == "_open" && touches_path(c, paths_.installer) &&
                                  leading_number(c.result) >= 0);
        const std::optional<std::string> final_installer = sim::read_file(paths_.installer);
        if (written && final_installer && *final_installer != carried_.installer &&
            !shown(BoxKind::installer_failure))
            violated("a half-written installer file was left and no box said so");
        // Names moved aside are the launcher's only to move to, never to write.
        for (size_t i = 0; i < paths_.asides.size(); ++i) {
            const std::optional<std::string> &before = run_record().asides_before[i];
            if (before && sim::read_file(paths_.asides[i]) != before)
                violated("the launcher changed " + paths_.asides[i] + ", which existed before");
        }
    }

    // A run in which nothing could make a file fail must show no failure.
    void nothing_that_cannot_fail_is_reported() {
        if (!start_message_ran_ || !s_.temp_folder_made || !temp_.folder_can_exist ||
            s_.free_space.kind != FreeSpace::Kind::plenty || s_.drive_fills)
            return;
        auto faults_on = [&](FileRole role) {
            return std::any_of(s_.file_faults.begin(), s_.file_faults.end(),
                               [&](const FileFault &f) { return f.file == role; });
        };
        const bool installer_can_fail =
            faults_on(FileRole::installer) ||
            s_.installer_payload.kind != PayloadDamage::Kind::none ||
            s_.leftovers.old_installer == Leftovers::OldInstaller::running ||
            s_.leftovers.folder_in_place == Leftovers::FolderInPlace::of_installer;
        if (installer_can_fail)
            return;
        if (shown(BoxKind::installer_failure))
            violated("the installer file was reported bad in a run where nothing could break it");
        if (faults_on(FileRole::data) || s_.data_payload.kind != PayloadDamage::Kind::none ||
            s_.leftovers.folder_in_place == Leftovers::FolderInPlace::of_data)
            return;
        if (shown(BoxKind::data_failure))
            violated("the data file was reported bad in a run where nothing could break it");
    }

    void clean_up_runs_last() {
        std::vector<size_t> file_calls;
        for (size_t i = 0; i < log_.size(); ++i)
            if (is_file_call(log_[i]))
                file_calls.push_back(i);
        if (!start_message_ran_) {
            if (!file_calls.empty())
                violated("files were touched without the start message: " +
                         log_[file_calls[0]].text());
            return;
        }
        const std::vector<std::string> expected = {paths_.installer, paths_.marker_a,
                                                   paths_.marker_b};
        bool in_order = file_calls.size() >= 3;
        for (size_t k = 0; in_order && k < 3; ++k) {
            const sim::Call &c = log_[file_calls[file_calls.size() - 3 + k]];
            in_order = c.name == "DeleteFileA" && touches_path(c, expected[k]);
        }
        if (!in_order) {
            violated("the clean-up's three deletions are not the last file calls");
            return;
        }
        const size_t first = file_calls[file_calls.size() - 3];
        bool quit_after = false;
        for (size_t i = file_calls.back() + 1; i < log_.size(); ++i)
            quit_after = quit_after || (log_[i].name == "PostQuitMessage" && log_[i].args == "0");
        if (!quit_after)
            violated("no quit message followed the clean-up");
        if (const sim::ProcessRecord *installer = sim::process("installer")) {
            if (!installer->ended_at_ms || *installer->ended_at_ms > log_[first].time_ms)
                violated("the clean-up ran at " + std::to_string(log_[first].time_ms) +
                         " ms while the installer was still running");
            // Once it waits, the launcher notices the installer's end soon.
            const std::vector<size_t> waits = calls_named("WaitForSingleObject");
            if (installer->ended_at_ms && !waits.empty() &&
                *installer->ended_at_ms >= log_[waits[0]].time_ms &&
                log_[first].time_ms > *installer->ended_at_ms + noticing_the_end_ms)
                violated("the installer ended at " + std::to_string(*installer->ended_at_ms) +
                         " ms but the clean-up came only at " +
                         std::to_string(log_[first].time_ms) + " ms");
        }
        // What the clean-up leaves is only what it could not delete.
        for (size_t k = 0; k < 3; ++k)
            if (call_succeeded(log_[file_calls[file_calls.size() - 3 + k]]) &&
                sim::file_exists(expected[k]))
                violated(expected[k] + " is still there although its deletion succeeded");
    }

    // ---- the progress window ----

    // The progress window stays hidden unless another program shows it: the
    // launcher's own ShowWindow calls that show it come only from its window
    // procedure handling the show command.
    void progress_window_shows_only_when_told() {
        for (size_t i = 0; i < log_.size(); ++i) {
            const sim::Call &c = log_[i];
            if (c.name != "ShowWindow" || !c.window ||
                c.args.find("SW_HIDE") != std::string::npos ||
                sim::window(*c.window).process != "launcher")
                continue;
            size_t caller = i;
            while (caller > 0 && log_[caller].depth >= c.depth)
                --caller;
            const sim::Call &handler = log_[caller];
            if (handler.name != "wndproc" || handler.message != WM_COMMAND ||
                handler.wparam != show_command)
                violated("the launcher showed its progress window by itself: " + c.text());
        }
    }

    void commands_are_answered() {
        if (s_.first_launcher_running)
            return; // the first launcher's window answers there, not ours
        for (const sim::ProcessRecord &p : sim::processes())
            for (const sim::SentMessage &m : p.sent) {
                if (!m.delivered || m.message != WM_COMMAND ||
                    m.to.class_name != progress_class_name)
                    continue;
                const LRESULT expected = m.wparam == hide_command || m.wparam == show_command;
                if (m.result != expected)
                    violated(p.program + "'s WM_COMMAND " + std::to_string(m.wparam) +
                             " to the progress window was answered " + std::to_string(m.result));
            }
    }
};

} // namespace

std::vector<std::string> check_invariants(const Schedule &schedule, const RunPaths &paths,
                                          const CarriedFiles &carried, int exit_code) {
    return RunCheck(schedule, paths, carried, exit_code).run();
}

} // namespace explore
