// Pixel access to launcher windows' framebuffers and their export as PNG.
#include "platform/host/world.h"

#include <png.h>

using namespace sim::detail;

namespace {

const Window *launcher_window(HWND handle) {
    const Window *w = find_window(handle);
    return w && w->owner == launcher_owner ? w : nullptr;
}

} // namespace

namespace sim {

int client_width(HWND window) {
    const Window *w = launcher_window(window);
    return w ? static_cast<int>(client_rect(*w).right) : 0;
}

int client_height(HWND window) {
    const Window *w = launcher_window(window);
    return w ? static_cast<int>(client_rect(*w).bottom) : 0;
}

uint32_t pixel(HWND window, int x, int y) {
    const Window *w = launcher_window(window);
    if (!w)
        return 0xFFFFFFFF;
    RECT client = client_rect(*w);
    if (x < 0 || y < 0 || x >= client.right || y >= client.bottom)
        return 0xFFFFFFFF;
    return w->pixels[static_cast<size_t>(y) * static_cast<size_t>(client.right) +
                     static_cast<size_t>(x)];
}

bool write_png(HWND window, const std::string &path) {
    const Window *w = launcher_window(window);
    if (!w)
        return false;
    RECT client = client_rect(*w);
    if (client.right <= 0 || client.bottom <= 0)
        return false;
    std::vector<png_byte> rgb;
    rgb.reserve(w->pixels.size() * 3);
    for (uint32_t p : w->pixels) {
        rgb.push_back(static_cast<png_byte>(p >> 16));
        rgb.push_back(static_cast<png_byte>(p >> 8));
        rgb.push_back(static_cast<png_byte>(p));
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(client.right);
    image.height = static_cast<png_uint_32>(client.bottom);
    image.format = PNG_FORMAT_RGB;
    bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

} // namespace sim
