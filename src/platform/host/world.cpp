// The world a run starts in, and the handle values of every kind of object.
#include "platform/host/world.h"

namespace sim::detail {

namespace {
World *make_world() {
    auto *w = new World();
    w->files.drives['C'] = Drive{8, 512, 5242880, 10485760}; // 20 GiB free of 40
    w->runtime.environment = {"PATH=C:\\WINDOWS\\system32;C:\\WINDOWS", "TEMP=C:\\WINDOWS\\TEMP",
                              "WINDIR=C:\\WINDOWS"};
    return w;
}
} // namespace

World &world() {
    static World *w = make_world(); // lives until the process ends, like the desktop
    return *w;
}

HWND window_handle(size_t index) {
    return reinterpret_cast<HWND>(index + 1);
}
HGDIOBJ object_handle(size_t index) {
    return reinterpret_cast<HGDIOBJ>(gdi_object_base + index);
}
HDC dc_handle(size_t index) {
    return reinterpret_cast<HDC>(device_context_base + index);
}
HANDLE process_handle(size_t index) {
    return reinterpret_cast<HANDLE>(process_handle_base + 4 * index);
}
HANDLE thread_handle(size_t index) {
    return reinterpret_cast<HANDLE>(thread_handle_base + 4 * index);
}

} // namespace sim::detail
