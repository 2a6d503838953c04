// Renders the launcher's progress window, as its own painting code draws it in
// the simulated desktop, to a PNG file that a person can look at.
//
//   progress_picture [--value PIXELS] [--status TEXT] OUT.png
#include "bootstrap/progress_window.h"
#include "payload/payload_figures.h"
#include "platform/host/sim.h"
#include "progress/progress_meter.h"
#include "progress/progress_state.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char *const usage_text =
    "usage: progress_picture [--value PIXELS] [--status TEXT] OUT.png\n"
    "Draws the progress window at a progress value (bar length in pixels, 0 to 300)\n"
    "with a status line, and writes its client area to OUT.png.\n";

} // namespace

int main(int argc, char **argv) {
    long value = 150;
    std::string status = "Setup is preparing the Kelvara installation wizard.";
    std::string out;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(usage_text, stdout);
            return 0;
        }
        if (a == "--value" && i + 1 < argc) {
            value = std::strtol(argv[++i], nullptr, 10);
        } else if (a == "--status" && i + 1 < argc) {
            status = argv[++i];
        } else if (a.rfind("--", 0) != 0 && out.empty()) {
            out = a;
        } else {
            std::fputs(usage_text, stderr);
            return 64;
        }
    }
    if (out.empty() || value < 0 || value > 100000 || status.size() >= status_text_size) {
        std::fputs(usage_text, stderr);
        return 64;
    }

    // The window as start-up makes it, then shown as the installer shows it.
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(0x400000);
    if (!register_progress_class(instance) || !create_progress_window(instance)) {
        std::fputs("progress_picture: the progress window could not be created\n", stderr);
        return 70;
    }
    create_progress_brushes();
    std::snprintf(status_text, status_text_size, "%s", status.c_str());
    progress_value = static_cast<int32_t>(value);
    ShowWindow(progress_window, SW_SHOW);
    UpdateWindow(progress_window);

    for (const std::string &fault : sim::faults())
        std::fprintf(stderr, "progress_picture: %s\n", fault.c_str());
    if (!sim::write_png(progress_window, out)) {
        std::fprintf(stderr, "progress_picture: cannot write %s\n", out.c_str());
        return 73;
    }
    std::printf("%s: %dx%d, progress value %ld\n", out.c_str(), sim::client_width(progress_window),
                sim::client_height(progress_window), value);
    return sim::faults().empty() ? 0 : 70;
}
