// What differs between the two places the conformance program runs: on
// Windows the other process is this program started again with a role; in
// the simulated desktop it is a scripted program that plays the same role.
#pragma once

#include "platform/platform.h"

#include <string>

namespace conformance {

// The window class and title of the peer's window, and the commands it obeys.
inline constexpr char peer_class[] = "ConformancePeer";
inline constexpr char peer_title[] = "peer";
inline constexpr WPARAM peer_quit_command = 4001;
// What the peer sends to the conformance window.
inline constexpr WPARAM peer_hello_command = 4002;
inline constexpr char own_class[] = "ConformanceWindow";
inline constexpr char own_title[] = "Conformance window";
// The program's one resource, of type "BINARY": the bytes "conform".
inline constexpr char probe_resource_name[] = "PROBE";

enum class Role {
    hold,       // shows its window and runs until sent peer_quit_command
    send_hello, // sends peer_hello_command to the conformance window, then ends
    exit_zero,  // ends at once with exit code 0
    exit_seven, // ends at once with exit code 7
    close_box,  // sends peer_hello_command to the conformance window, then closes the
                // message box captioned "Conformance" with OK
};

// Prepares the world: on Windows nothing; in the simulated desktop the
// folders and drives that the Windows run is given on its command line.
void prepare_world(int argc, char **argv);
// The folder the scenarios work in (exists, no blanks in its path) and a
// drive root with a few MiB of free space for the disk scenarios ("" when
// there is none).
std::string work_folder();
std::string small_drive();
// Puts a program that plays the role at this path.
bool place_peer(const std::string &path, Role role);
// Runs as a peer when this process was started as one; returns true then,
// with the exit code.
bool run_as_peer(int argc, char **argv, int &exit_code);
bool under_wine();

} // namespace conformance
