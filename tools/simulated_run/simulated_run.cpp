// Runs the launcher once in the simulated desktop and prints what it did:
// every platform call and window message in order, with virtual time.
//
//   simulated_run [--temp DIR] [--free BYTES] [--second-instance] [--show-at MS] [COMMAND LINE]
#include "bootstrap/handoff.h"
#include "platform/host/sim.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const sim::WindowName progress_window_name{progress_class_name, progress_window_title};
const sim::WindowName installer_window_name{installer_class_name, installer_window_title};

// A program of this run, from a file put in place for it: running already,
// or started at a virtual time.
void start(const sim::Program &program, const std::string &path, const uint64_t *at_ms) {
    sim::make_folder(path.substr(0, path.rfind('\\')));
    sim::put_file(path, std::string("MZ"));
    if (at_ms)
        sim::start_program_at(*at_ms, program, path, path);
    else
        sim::start_program(program, path, path);
}

void usage() {
    std::puts(
        "usage: simulated_run [--temp DIR] [--free BYTES] [--second-instance] [--show-at MS]\n"
        "                     [COMMAND LINE]\n"
        "Runs the launcher in the simulated desktop and prints the trace of the run.\n"
        "  --temp DIR          TEMP of the launcher's environment (default C:\\WINDOWS\\TEMP)\n"
        "  --free BYTES        free bytes on the temp directory's drive\n"
        "  --second-instance   another launcher's progress window already exists\n"
        "  --show-at MS        the installer sends the show command at that virtual time");
}

} // namespace

int main(int argc, char **argv) {
    std::string command_line = "launcher.exe";
    std::string temp = "C:\\WINDOWS\\TEMP";
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            usage();
            return 0;
        }
        if (a == "--temp" && i + 1 < argc) {
            temp = argv[++i];
        } else if (a == "--free" && i + 1 < argc) {
            unsigned long long bytes = std::strtoull(argv[++i], nullptr, 10);
            char drive = temp.size() >= 2 && temp[1] == ':' ? temp[0] : 'C';
            sim::set_drive(drive, 1, 1, static_cast<DWORD>(bytes), static_cast<DWORD>(bytes));
        } else if (a == "--second-instance") {
            start(sim::Program("first launcher")
                      .script(sim::Script().create_window(progress_window_name)),
                  "C:\\Users\\Public\\Downloads\\first launcher.exe", nullptr);
            start(sim::Program("installer")
                      .script(sim::Script().create_window(installer_window_name)),
                  "C:\\WINDOWS\\TEMP\\uninstall.client.exe", nullptr);
        } else if (a == "--show-at" && i + 1 < argc) {
            const uint64_t at_ms = std::strtoull(argv[++i], nullptr, 10);
            start(sim::Program("installer")
                      .script(sim::Script().send(progress_window_name, WM_COMMAND, show_command)),
                  "C:\\Program Files\\Kelvara\\sender.exe", &at_ms);
        } else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "simulated_run: unknown option %s\n", a.c_str());
            usage();
            return 64;
        } else {
            command_line += " " + a;
        }
    }
    sim::set_env("TEMP", temp);
    std::printf("simulated desktop: TEMP=%s, command line: %s\n\n", temp.c_str(),
                command_line.c_str());
    int code = sim::run_launcher(command_line.c_str());
    std::fputs(sim::trace().c_str(), stdout);
    for (const auto &box : sim::message_boxes())
        std::printf("\nmessage box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
    for (const auto &f : sim::faults())
        std::printf("\nsimulated desktop fault: %s\n", f.c_str());
    std::printf("\nexit code %d after %.3f s of virtual time\n", code,
                static_cast<double>(sim::now_ms()) / 1000.0);
    return sim::faults().empty() ? 0 : 70;
}
