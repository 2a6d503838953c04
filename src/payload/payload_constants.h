// Figures that follow from the two payloads the launcher carries. The build
// will generate this header from the real payloads; until then it holds the
// sizes of the payloads as shipped.
#pragma once

#include <cstdint>

// Compressed sizes of the installer payload ("DATA") and the data payload ("DATA2").
inline constexpr uint32_t installer_payload_length = 84648;
inline constexpr uint32_t data_payload_length = 1794672;

// The temp directory's drive must have room for both.
inline constexpr uint64_t free_space_threshold = 1879320;
static_assert(free_space_threshold == uint64_t{installer_payload_length} + data_payload_length);

// Pixels of progress bar per requested compressed byte: the bar reaches 300
// when both payloads have been requested in full.
inline constexpr double payload_progress_scale = 300.0 / 1879320.0;
