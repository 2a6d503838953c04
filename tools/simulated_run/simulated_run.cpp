// Runs the launcher once in the simulated desktop, with the payloads it
// carries and the simulated demo installer, and prints what it did: a
// condensed trace, a summary of the files, the installer and the hand-off,
// and a picture of the progress window as the installer showed it.
#include "bootstrap/handoff.h"
#include "carried_payloads.h"
#include "condensed_trace.h"
#include "payload/payload_figures.h"
#include "platform/host/sim.h"
#include "progress/progress_meter.h"
#include "run_options.h"
#include "simulated_installer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

namespace {

const sim::WindowName progress_window_name{progress_class_name, progress_window_title};
const sim::WindowName installer_window_name{installer_class_name, installer_window_title};

// The launcher's temp directory for a TEMP value (or for none).
std::string temp_directory_for(const RunOptions &options) {
    if (options.temp_unset || options.temp.empty())
        return fallback_temp_directory;
    std::string directory = options.temp;
    if (directory.back() == '\\')
        directory.pop_back();
    return directory;
}

// Free space as the drive's counts: whole bytes as clusters of one byte, or
// larger amounts in clusters of 4096 bytes.
bool set_free_space(char drive, uint64_t bytes, std::string &error) {
    if (bytes <= 0xFFFFFFFFu) {
        sim::set_drive(drive, 1, 1, static_cast<DWORD>(bytes), 0xFFFFFFFFu);
        return true;
    }
    if (bytes % 4096 == 0 && bytes / 4096 <= 0xFFFFFFFFu) {
        sim::set_drive(drive, 8, 512, static_cast<DWORD>(bytes / 4096), 0xFFFFFFFFu);
        return true;
    }
    error = "--free: " + std::to_string(bytes) +
            " bytes above 4294967295 must be a multiple of 4096 up to 16T";
    return false;
}

// A program of the world, running from a file put in place for it.
void start_from_file(const sim::Program &program, const std::string &path) {
    sim::make_folder(path.substr(0, path.rfind('\\')));
    sim::put_file(path, std::string("MZ"));
    sim::start_program(program, path, "\"" + path + "\"");
}

std::string with_thousands(uint64_t n) {
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

std::string seconds(uint64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", static_cast<double>(ms) / 1000.0);
    return text;
}

// Windows compares paths without regard to case.
bool same_path(const std::string &a, const std::string &b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// When the data file was closed: the _close of the descriptor its open gave.
const sim::Call *data_file_closed(const std::string &path) {
    const sim::Call *open = nullptr;
    for (const sim::Call &c : sim::calls()) {
        if (c.name == "_open" && same_path(c.path.value_or(""), path))
            open = &c;
        else if (open && c.name == "_close" && c.args == open->result)
            return &c;
    }
    return nullptr;
}

void print_summary(const std::string &temp, int code, const std::string &picture_note) {
    std::printf("\nsummary\n");
    const std::string installer_path = simulated_demo::installer_path_in(temp);
    const std::string data_path = simulated_demo::data_file_path_in(temp);
    const sim::ProcessRecord *installer = sim::process("installer");
    if (installer && installer->image_path == installer_path)
        std::printf("  installer  %s: %s bytes when started, the carried installer whole (it\n"
                    "             starts only from its exact bytes); deleted at the end: %s\n",
                    installer_path.c_str(), with_thousands(installer_decoded_size).c_str(),
                    sim::file_exists(installer_path) ? "no" : "yes");
    else
        std::printf("  installer  %s: not started\n", installer_path.c_str());
    if (std::optional<std::string> data = sim::read_file(data_path)) {
        const bool same = *data == simulated_demo::carried_data_bytes();
        std::printf("  data file  %s: %s bytes, %s\n", data_path.c_str(),
                    with_thousands(data->size()).c_str(),
                    same ? "identical to the demo data" : "DIFFERS from the demo data");
    } else {
        std::printf("  data file  %s: none\n", data_path.c_str());
    }
    if (installer && installer->image_path == installer_path) {
        std::printf("  installer's command line: %s\n", installer->command_line.c_str());
        uint64_t hide_at = 0;
        for (const sim::Received &r : installer->received)
            if (r.message == WM_COMMAND && r.wparam == hide_command && !hide_at)
                hide_at = r.time_ms;
        const sim::Call *closed = data_file_closed(data_path);
        if (hide_at)
            std::printf("  hide command received at %s, the data file closed at %s\n",
                        seconds(hide_at).c_str(), closed ? seconds(closed->time_ms).c_str() : "-");
        else
            std::printf("  no hide command was sent\n");
    }
    std::printf("  %d read requests of 2048 bytes over both payloads (%s + %s bytes carried)\n",
                bytes_requested / 2048, with_thousands(installer_payload_length).c_str(),
                with_thousands(data_payload_length).c_str());
    for (const sim::MessageBoxShown &box : sim::message_boxes())
        std::printf("  message box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
    for (const std::string &fault : sim::faults())
        std::printf("  simulated desktop fault: %s\n", fault.c_str());
    if (!picture_note.empty())
        std::printf("  %s\n", picture_note.c_str());
    std::printf("  exit code %d after %s of virtual time\n", code, seconds(sim::now_ms()).c_str());
}

} // namespace

int main(int argc, char **argv) {
    RunOptions options;
    std::string error;
    if (!parse_run_options(argc, argv, options, error)) {
        std::fprintf(stderr, "simulated_run: %s\n%s", error.c_str(), run_usage);
        return 64;
    }
    if (options.help) {
        std::fputs(run_usage, stdout);
        return 0;
    }

    // The world: TEMP and its folder, the drive's free space, the payloads,
    // the installer the launcher carries, and whatever runs already.
    if (options.temp_unset)
        sim::unset_env("TEMP");
    else
        sim::set_env("TEMP", options.temp);
    const std::string temp = temp_directory_for(options);
    const char drive = temp.size() >= 2 && temp[1] == ':' ? temp[0] : 'C';
    if (drive != 'C' && drive != 'c' && !options.free_bytes)
        options.free_bytes = uint64_t{20} << 30;
    if (options.free_bytes && !set_free_space(drive, *options.free_bytes, error)) {
        std::fprintf(stderr, "simulated_run: %s\n", error.c_str());
        return 64;
    }
    if (temp.size() >= 3)
        sim::make_folder(temp);
    simulated_demo::register_carried_payloads();
    simulated_demo::InstallerScript script{.window_at_ms = 0};
    if (options.installer_shows)
        script.shows_progress_at_ms = options.show_at_ms;
    sim::register_program(simulated_demo::installer_path_in(temp),
                          simulated_demo::carried_installer(temp, script));
    if (options.second_instance) {
        start_from_file(sim::Program("first launcher")
                            .script(sim::Script().create_window(progress_window_name)),
                        "C:\\Users\\Public\\Downloads\\first launcher.exe");
        start_from_file(sim::Program("running installer")
                            .script(sim::Script().create_window(installer_window_name)),
                        "C:\\Users\\Public\\Downloads\\earlier installer.exe");
    }
    sim::set_write_speed(options.write_bytes_per_ms);

    // The picture: halfway through writing the data file, as the disk's
    // speed has it; with writes that take no time, at the end of the run.
    std::string picture_note;
    bool pictured = false;
    auto take_picture = [&](const char *when) {
        HWND window = sim::find_window(progress_class_name, progress_window_title);
        if (pictured || !window || !sim::window(window).visible)
            return;
        pictured = sim::write_png(window, options.picture);
        picture_note = pictured ? "the progress window " + std::string(when) + ", bar at " +
                                      std::to_string(progress_value) + " px: " + options.picture
                                : "the picture could not be written to " + options.picture;
    };
    if (options.write_bytes_per_ms != 0)
        sim::at((installer_decoded_size + data_decoded_size / 2) / options.write_bytes_per_ms,
                [&] { take_picture("halfway through the data file"); });

    const std::string command_line =
        "launcher.exe" + (options.arguments.empty() ? "" : " " + options.arguments);
    std::printf("simulated desktop: TEMP=%s, command line: %s\n",
                options.temp_unset ? "(not set)" : options.temp.c_str(), command_line.c_str());
    std::printf("the installer makes its window at once%s; on the hide command it hides the\n"
                "progress window, creates its marker files and ends 2 s later\n\n",
                options.installer_shows
                    ? (" and shows the progress window " + std::to_string(options.show_at_ms) +
                       " ms after its start")
                          .c_str()
                    : "");
    const int code = sim::run_launcher(command_line.c_str());
    if (!pictured && options.write_bytes_per_ms == 0)
        picture_note = "no picture: with --write-speed 0 the extraction takes no time";
    else if (!pictured && picture_note.empty())
        picture_note =
            "no picture: the progress window was not shown halfway through the data file";

    std::fputs(options.full_trace ? sim::trace().c_str() : condensed_trace(sim::calls()).c_str(),
               stdout);
    print_summary(temp, code, picture_note);
    return sim::faults().empty() ? 0 : 70;
}
