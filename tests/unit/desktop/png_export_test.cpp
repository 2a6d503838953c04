// PNG export of a window's client area, read back with libpng.
#include "canvas.h"

#include <gtest/gtest.h>
#include <png.h>

using desktop_test::Canvas;

namespace {

TEST(PngExport, WritesTheClientAreaAsRgb) {
    Canvas c(120, 40);
    c.draw("Kelvara setup", RECT{10, 10, 110, 30});
    ASSERT_EQ(sim::client_width(c.window), 120);
    ASSERT_EQ(sim::client_height(c.window), 40);
    std::string path = testing::TempDir() + "desktop_png_export.png";
    ASSERT_TRUE(sim::write_png(c.window, path));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0) << image.message;
    EXPECT_EQ(image.width, 120u);
    EXPECT_EQ(image.height, 40u);
    EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0) << image.message;

    int mismatches = 0, dark = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) {
            const png_byte *p = &rgb[(static_cast<size_t>(y) * 120 + static_cast<size_t>(x)) * 3];
            uint32_t read = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
            mismatches += read != c.at(x, y);
            dark += read < 0x404040u;
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(dark, 0) << "the text is in the file";
    std::remove(path.c_str());
}

TEST(PngExport, RefusesWhatCannotBeWritten) {
    Canvas c(20, 20);
    EXPECT_FALSE(sim::write_png(c.window, testing::TempDir() + "no/such/folder/x.png"));
    EXPECT_FALSE(sim::write_png(nullptr, testing::TempDir() + "nothing.png"));
    EXPECT_EQ(sim::pixel(c.window, 20, 0), 0xFFFFFFFFu);
    EXPECT_EQ(sim::pixel(c.window, 0, -1), 0xFFFFFFFFu);
    EXPECT_EQ(sim::client_width(nullptr), 0);
}

} // namespace
