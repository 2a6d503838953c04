// The conformance program's world in the simulated desktop: the folders and
// the small drive that the Windows run is given, and scripted programs that
// play the peers' roles.
#include "peer_world.h"

#include "platform/host/sim.h"

namespace conformance {

namespace {
const sim::WindowName own_window{own_class, own_title};
const sim::WindowName peer_window{peer_class, peer_title};
} // namespace

void prepare_world(int, char **) {
    sim::make_folder(work_folder());
    // A drive of 4 MiB in 4 KiB clusters, as the small tmpfs of the Wine run.
    sim::set_drive('T', 8, 512, 1024, 1024);
    // As conformance.rc gives the Windows build.
    static const char probe[] = "conform";
    sim::add_resource(probe_resource_name, "BINARY", probe, sizeof probe - 1);
}

std::string work_folder() {
    return "C:\\conformance";
}
std::string small_drive() {
    return "T:\\";
}

bool place_peer(const std::string &path, Role role) {
    sim::put_file(path, std::string("MZ peer"));
    sim::Program program("peer");
    switch (role) {
    case Role::hold:
        program.script(sim::Script().create_window(peer_window))
            .on_command(peer_quit_command, sim::Script().exit(0));
        break;
    case Role::send_hello:
        program.script(sim::Script().send(own_window, WM_COMMAND, peer_hello_command).exit(0));
        break;
    case Role::exit_zero:
        program.script(sim::Script().exit(0));
        break;
    case Role::exit_seven:
        program.script(sim::Script().exit(7));
        break;
    case Role::close_box:
        // The simulated box closes by itself; the peer only sends while it is open.
        program.script(
            sim::Script().wait(100).send(own_window, WM_COMMAND, peer_hello_command).exit(0));
        break;
    }
    sim::register_program(path, program);
    return true;
}

bool run_as_peer(int, char **, int &) {
    return false;
}

bool under_wine() {
    return false;
}

} // namespace conformance
