// Figures that follow from the two payloads the launcher carries: their
// compressed lengths, the free-space threshold, the progress scale, and what
// each one decodes to. The build generates this header from the payloads it
// embeds; this hand-written copy holds the lengths of the payloads as first
// shipped until it does.
#pragma once

#include <cstdint>

// Compressed sizes of the installer payload ("DATA") and the data payload ("DATA2").
inline constexpr uint32_t installer_payload_length = 84648;
inline constexpr uint32_t data_payload_length = 1794672;

// The temp directory's drive must have room for both.
inline constexpr uint64_t free_space_threshold =
    uint64_t{installer_payload_length} + data_payload_length;

// Pixels of progress bar per requested compressed byte: the bar reaches 300
// when both payloads have been requested in full.
inline constexpr double payload_progress_scale = 300.0 / static_cast<double>(free_space_threshold);

// Size and CRC-32 of what each payload decodes to: the installer executable
// and the data file.
inline constexpr uint32_t installer_decoded_size = 0;
inline constexpr uint32_t installer_decoded_crc32 = 0;
inline constexpr uint32_t data_decoded_size = 0;
inline constexpr uint32_t data_decoded_crc32 = 0;
