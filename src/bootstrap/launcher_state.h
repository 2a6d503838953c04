// State that start-up sets for the rest of the run.
#pragma once

#include "platform/platform.h"

#include <cstddef>

// The temp directory without a trailing backslash: at most 259 characters.
inline constexpr size_t temp_directory_size = 264;
extern char temp_directory[temp_directory_size];

// The longest temp directory accepted. Every path and text built from it
// fits its buffer (pinned where each buffer is declared), and every path
// stays shorter than the system's 260-character limit: the longest, the
// third aside name, has 256 characters.
inline constexpr size_t longest_temp_directory = 232;

// 'x' or 'i', passed on to the installer.
extern char mode_letter;
