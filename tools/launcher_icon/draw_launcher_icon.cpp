// Draws the launcher's icon and writes it as a Windows icon file with images
// of 16, 32 and 48 pixels: a white arrow into a tray on a blue rounded square,
// for unpacking.
//
//   draw_launcher_icon OUT.ico
//
// The shapes are tested with integer arithmetic only, so that every build
// draws the same bytes. Exit codes: 0 written, 64 usage, 73 not written.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Design units: the icon spans 0..256 in both directions, y downwards.
struct point {
    std::int64_t x, y;
};

// Samples per pixel in each direction.
constexpr int subsamples = 4;

bool in_rect(point p, std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
             std::int64_t scale) {
    return p.x >= left * scale && p.x < right * scale && p.y >= top * scale && p.y < bottom * scale;
}

bool in_rounded_square(point p, std::int64_t scale) {
    constexpr std::int64_t low = 8, high = 248, radius = 52;
    if (!in_rect(p, low, low, high, high, scale))
        return false;
    auto clamp = [&](std::int64_t v) {
        return v < (low + radius) * scale    ? (low + radius) * scale
               : v > (high - radius) * scale ? (high - radius) * scale
                                             : v;
    };
    const std::int64_t dx = p.x - clamp(p.x), dy = p.y - clamp(p.y);
    return dx * dx + dy * dy <= radius * radius * scale * scale;
}

// Inside the triangle a, b, c given clockwise on screen (y downwards).
bool in_triangle(point p, point a, point b, point c, std::int64_t scale) {
    auto side = [&](point from, point to) {
        return (to.x - from.x) * scale * (p.y - from.y * scale) -
               (to.y - from.y) * scale * (p.x - from.x * scale);
    };
    return side(a, b) >= 0 && side(b, c) >= 0 && side(c, a) >= 0;
}

bool in_symbol(point p, std::int64_t scale) {
    const bool shaft = in_rect(p, 110, 36, 146, 128, scale);
    const bool head = in_triangle(p, {62, 120}, {194, 120}, {128, 182}, scale);
    const bool tray = in_rect(p, 54, 196, 202, 218, scale) || in_rect(p, 54, 150, 76, 218, scale) ||
                      in_rect(p, 180, 150, 202, 218, scale);
    return shaft || head || tray;
}

struct pixel {
    std::uint8_t b, g, r, a;
};

// One square image of `size` pixels, rows from the top.
std::vector<pixel> draw(int size) {
    std::vector<pixel> image(static_cast<std::size_t>(size) * size);
    // A sample's coordinate is (2 * index + 1) in units of 1 / (2 * subsamples * size)
    // of the icon; design units are scaled to match.
    const std::int64_t units = 2 * subsamples * size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int background = 0, symbol = 0;
            for (int sy = 0; sy < subsamples; ++sy) {
                for (int sx = 0; sx < subsamples; ++sx) {
                    // Scale both sides by 256 so that design units stay whole.
                    const point p{(2 * (x * subsamples + sx) + 1) * 256,
                                  (2 * (y * subsamples + sy) + 1) * 256};
                    if (!in_rounded_square(p, units))
                        continue;
                    ++background;
                    if (in_symbol(p, units))
                        ++symbol;
                }
            }
            pixel &out = image[static_cast<std::size_t>(y) * size + x];
            if (background == 0)
                continue;
            // Blue, lighter at the top.
            const int blue_r = 40 - 30 * y / size, blue_g = 110 - 80 * y / size,
                      blue_b = 250 - 60 * y / size;
            const int plain = background - symbol;
            out.r = static_cast<std::uint8_t>((255 * symbol + blue_r * plain) / background);
            out.g = static_cast<std::uint8_t>((255 * symbol + blue_g * plain) / background);
            out.b = static_cast<std::uint8_t>((255 * symbol + blue_b * plain) / background);
            out.a = static_cast<std::uint8_t>(255 * background / (subsamples * subsamples));
        }
    }
    return image;
}

void put16(std::vector<std::uint8_t> &out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t> &out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// An icon image: a 32-bit bottom-up bitmap of twice the height (colour rows,
// then the 1-bit transparency mask), without a file header.
std::vector<std::uint8_t> icon_image(int size) {
    const std::vector<pixel> image = draw(size);
    const std::uint32_t mask_row = (static_cast<std::uint32_t>(size) + 31) / 32 * 4;
    const std::uint32_t colour_bytes = static_cast<std::uint32_t>(size * size * 4);
    std::vector<std::uint8_t> out;
    put32(out, 40); // BITMAPINFOHEADER
    put32(out, static_cast<std::uint32_t>(size));
    put32(out, static_cast<std::uint32_t>(2 * size));
    put16(out, 1);  // planes
    put16(out, 32); // bits per pixel
    put32(out, 0);  // BI_RGB
    put32(out, colour_bytes + mask_row * static_cast<std::uint32_t>(size));
    for (int i = 0; i < 4; ++i)
        put32(out, 0); // resolution and palette: unused
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const pixel &p = image[static_cast<std::size_t>(y) * size + x];
            out.insert(out.end(), {p.b, p.g, p.r, p.a});
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(mask_row, 0);
        for (int x = 0; x < size; ++x)
            if (image[static_cast<std::size_t>(y) * size + x].a == 0)
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<std::uint8_t> icon_file() {
    constexpr int sizes[] = {16, 32, 48};
    constexpr std::uint32_t count = sizeof sizes / sizeof sizes[0];
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : sizes)
        images.push_back(icon_image(size));
    std::vector<std::uint8_t> out;
    put16(out, 0); // reserved
    put16(out, 1); // icon
    put16(out, count);
    std::uint32_t offset = 6 + 16 * count;
    for (std::uint32_t i = 0; i < count; ++i) {
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(0); // colours: more than 256
        out.push_back(0);
        put16(out, 1);  // planes
        put16(out, 32); // bits per pixel
        put32(out, static_cast<std::uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto &image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fputs("usage: draw_launcher_icon OUT.ico\n", stderr);
        return 64;
    }
    const std::vector<std::uint8_t> icon = icon_file();
    std::FILE *file = std::fopen(argv[1], "wb");
    if (file == nullptr || std::fwrite(icon.data(), 1, icon.size(), file) != icon.size() ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "draw_launcher_icon: cannot write '%s': %s\n", argv[1],
                     std::strerror(errno));
        return 73;
    }
    return 0;
}
