// Handle values that the simulated desktop hands out. Each kind of object
// has a range of its own, so that a handle names its object in the log and a
// handle of the wrong kind is never mistaken for another.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

namespace sim::detail {

// Windows are numbered from 1 across all processes (a window's index + 1).
inline constexpr uintptr_t gdi_object_base = 0x10000;
inline constexpr uintptr_t device_context_base = 0x20000;
// System cursors are shared objects with fixed handles: this base plus the
// cursor's resource number.
inline constexpr uintptr_t system_cursor_base = 0x30000;
inline constexpr uintptr_t process_handle_base = 0x40000;
inline constexpr uintptr_t thread_handle_base = 0x48000;
inline constexpr uintptr_t resource_handle_base = 0x50000;
// What SelectObject returns for the system font a DC starts with.
inline constexpr uintptr_t system_font_handle = 0x1F000;
// The launcher's module: where its executable is mapped.
inline constexpr uintptr_t launcher_module = 0x400000;

inline constexpr uintptr_t wait_cursor_resource = 32514;  // IDC_WAIT
inline constexpr uintptr_t arrow_cursor_resource = 32512; // IDC_ARROW

inline HCURSOR system_cursor(uintptr_t resource) {
    return reinterpret_cast<HCURSOR>(system_cursor_base + resource);
}

// Process and thread ids as Windows hands them out: multiples of 4.
inline constexpr DWORD first_process_id = 0x400;

HWND window_handle(size_t index);
HGDIOBJ object_handle(size_t index);
HDC dc_handle(size_t index);
HANDLE process_handle(size_t index);
HANDLE thread_handle(size_t index);

} // namespace sim::detail
