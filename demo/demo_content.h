// Content of the demo payloads, generated rather than stored: the same bytes
// on every build, so that the payloads and every figure derived from them
// are reproducible.
#pragma once

#include <cstdint>
#include <vector>

namespace demo {

// Size of the demo data file.
inline constexpr std::size_t demo_data_size = 3u << 20;

// The demo data file: blocks of text, executable-like bytes, incompressible
// bytes and long runs, mixed as an installer's data file mixes them.
std::vector<std::uint8_t> make_demo_data();

// A stand-in for the installer executable, for builds that cannot build the
// real demo installer: executable-like bytes that begin with "MZ", some tens
// of KB. Nothing runs it; the simulated desktop runs a scripted installer in
// its place.
std::vector<std::uint8_t> make_stand_in_installer();

} // namespace demo
