// DrawTextA: real glyphs, rendered with FreeType from a sans-serif face.
//
// The font selected into the DC gives the character cell height (a positive
// lfHeight is the cell, ascent plus descent; a negative one the em height);
// a DC without a selected font uses the same face with a 13-pixel cell. The
// text is 8-bit ANSI (Windows code page 1252). Each line's cell is filled with
// the DC's background colour (opaque mode) and the anti-aliased glyphs are
// blended onto it in the DC's text colour. Output is clipped to the
// rectangle, the DC's clip rectangle and the client area.
#include "platform/host/text_rendering.h"
#include "platform/host/world.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

using namespace sim::detail;

namespace sim::detail {

std::vector<TextLine> break_lines(const char *text, size_t length, int max_width,
                                  const std::function<int(unsigned char)> &advance) {
    std::vector<TextLine> lines;
    auto is_break = [&](size_t i) { return text[i] == '\r' || text[i] == '\n'; };
    auto width_of = [&](size_t i) { return advance(static_cast<unsigned char>(text[i])); };
    size_t pos = 0;
    while (pos < length) {
        size_t paragraph_end = pos;
        while (paragraph_end < length && !is_break(paragraph_end))
            ++paragraph_end;

        size_t start = pos;
        do {
            TextLine line{start, start, 0};
            bool have_word = false;
            size_t i = start;
            while (i < paragraph_end) {
                size_t word = i;
                int blanks_width = 0;
                while (word < paragraph_end && text[word] == ' ')
                    blanks_width += width_of(word++);
                size_t word_end = word;
                int word_width = 0;
                while (word_end < paragraph_end && text[word_end] != ' ')
                    word_width += width_of(word_end++);
                if (word_end == word) { // only blanks are left in the paragraph
                    if (!have_word || max_width < 0 || line.width + blanks_width <= max_width) {
                        line.end = word_end;
                        line.width += blanks_width;
                    }
                    i = word_end;
                    break;
                }
                if (have_word && max_width >= 0 &&
                    line.width + blanks_width + word_width > max_width)
                    break;
                line.width += blanks_width + word_width;
                line.end = word_end;
                have_word = true;
                i = word_end;
            }
            lines.push_back(line);
            // The next line of the paragraph starts at the word that did not fit.
            start = i;
            while (start < paragraph_end && text[start] == ' ')
                ++start;
        } while (start < paragraph_end);

        pos = paragraph_end;
        if (pos < length) {
            if (text[pos] == '\r' && pos + 1 < length && text[pos + 1] == '\n')
                ++pos;
            ++pos;
        }
    }
    return lines;
}

} // namespace sim::detail

namespace {

constexpr const char *default_font_file = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int default_cell_height = 13;

// Code page 1252's characters 0x80-0x9F; the rest of the page is Latin-1.
constexpr unsigned short cp1252_high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

unsigned long code_point(unsigned char c) {
    if (c >= 0x80 && c < 0xA0)
        return cp1252_high[c - 0x80];
    return c;
}

struct Glyph {
    int advance = 0;
    int left = 0; // bitmap offset from the pen position
    int top = 0;  // bitmap rows above the baseline
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> coverage; // width * rows, 0-255
};

// The face, loaded once, and the glyphs rendered so far per size.
struct Fonts {
    std::string file = default_font_file;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::string loaded_file;
    std::map<std::pair<long, unsigned char>, Glyph> glyphs; // (size key, byte)

    ~Fonts() { unload(); }

    void unload() {
        if (face)
            FT_Done_Face(face);
        face = nullptr;
        loaded_file.clear();
        glyphs.clear();
    }

    bool load() {
        if (face && loaded_file == file)
            return true;
        unload();
        if (!library && FT_Init_FreeType(&library) != 0) {
            library = nullptr;
            return false;
        }
        if (FT_New_Face(library, file.c_str(), 0, &face) != 0 || !FT_IS_SCALABLE(face)) {
            if (face)
                FT_Done_Face(face);
            face = nullptr;
            return false;
        }
        loaded_file = file;
        return true;
    }
};

Fonts &fonts() {
    static Fonts f;
    return f;
}

// A face sized for one LOGFONTA height.
struct SizedFace {
    long key = 0;   // the height the sizes were made for
    int cell = 0;   // line height: ascent + descent
    int ascent = 0; // baseline below the line's top
};

SizedFace size_face(FT_Face face, LONG height) {
    long ascender = face->ascender;
    long descender = -face->descender;
    long units = ascender + descender;
    if (units <= 0)
        units = face->units_per_EM;
    SizedFace s;
    FT_F26Dot6 em64;
    if (height < 0) {
        // A character height: the em, without internal leading.
        em64 = static_cast<FT_F26Dot6>(-height) * 64;
        s.cell = static_cast<int>((static_cast<long>(-height) * units + face->units_per_EM / 2) /
                                  face->units_per_EM);
    } else {
        s.cell = height > 0 ? static_cast<int>(height) : default_cell_height;
        em64 = static_cast<FT_F26Dot6>(s.cell) * 64 * face->units_per_EM / units;
    }
    s.cell = std::max(s.cell, 1);
    s.ascent = static_cast<int>((static_cast<long>(s.cell) * ascender + units / 2) / units);
    s.key = em64;
    FT_Set_Char_Size(face, 0, em64, 72, 72);
    return s;
}

const Glyph &glyph(Fonts &f, const SizedFace &size, unsigned char c) {
    auto key = std::make_pair(size.key, c);
    auto it = f.glyphs.find(key);
    if (it != f.glyphs.end())
        return it->second;
    Glyph g;
    FT_UInt index = FT_Get_Char_Index(f.face, code_point(c));
    if (FT_Load_Glyph(f.face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
        FT_GlyphSlot slot = f.face->glyph;
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        const FT_Bitmap &bm = slot->bitmap;
        if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.buffer) {
            g.width = static_cast<int>(bm.width);
            g.rows = static_cast<int>(bm.rows);
            g.coverage.resize(static_cast<size_t>(g.width) * static_cast<size_t>(g.rows));
            for (int y = 0; y < g.rows; ++y) {
                const unsigned char *row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
                std::memcpy(&g.coverage[static_cast<size_t>(y) * static_cast<size_t>(g.width)], row,
                            static_cast<size_t>(g.width));
            }
        }
    }
    return f.glyphs.emplace(key, std::move(g)).first->second;
}

uint32_t framebuffer_colour(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

uint32_t blend(uint32_t under, uint32_t over, unsigned alpha) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        unsigned a = (under >> shift) & 0xFF;
        unsigned b = (over >> shift) & 0xFF;
        unsigned mixed = (a * (255 - alpha) + b * alpha + 127) / 255;
        out |= static_cast<uint32_t>(mixed) << shift;
    }
    return out;
}

RECT intersect(const RECT &a, const RECT &b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

} // namespace

namespace sim {

void set_font_file(const std::string &path) {
    fonts().file = path;
}

} // namespace sim

int WINAPI DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format) {
    CallRecord c("DrawTextA",
                 Args().handle(dc).string(text, length).number(length).rect(rect).number(format));
    DeviceContext *d = find_dc(dc);
    Window *w = d ? find_window(d->window) : nullptr;
    if (!d || d->released || !w || w->owner != launcher_owner || !text || !rect) {
        c.result("0");
        return 0;
    }
    if (format & ~static_cast<UINT>(DT_WORDBREAK)) {
        fault("DrawTextA: format " + std::to_string(format) + " has flags other than DT_WORDBREAK");
        c.result("0");
        return 0;
    }
    Fonts &f = fonts();
    if (!f.load()) {
        fault("DrawTextA: the font file " + f.file + " cannot be loaded");
        c.result("0");
        return 0;
    }
    const GdiObject *font = d->font ? find_object(d->font) : nullptr;
    SizedFace size = size_face(f.face, font ? font->font.lfHeight : default_cell_height);

    size_t count = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
    int max_width =
        (format & DT_WORDBREAK) ? std::max(0, static_cast<int>(rect->right - rect->left)) : -1;
    std::vector<TextLine> lines = break_lines(
        text, count, max_width, [&](unsigned char ch) { return glyph(f, size, ch).advance; });

    RECT client = client_rect(*w);
    RECT clip = intersect(intersect(*rect, d->clip), client);
    uint32_t ink = framebuffer_colour(d->text);
    auto at = [&](LONG x, LONG y) -> uint32_t & {
        return w->pixels[static_cast<size_t>(y) * static_cast<size_t>(client.right) +
                         static_cast<size_t>(x)];
    };

    for (size_t n = 0; n < lines.size(); ++n) {
        const TextLine &line = lines[n];
        LONG top = rect->top + static_cast<LONG>(n) * size.cell;
        if (top >= clip.bottom)
            break;
        RECT cell{rect->left, top, rect->left + line.width, top + size.cell};
        fill_pixels(*w, cell, clip, d->background);
        LONG pen = rect->left;
        LONG baseline = top + size.ascent;
        for (size_t i = line.begin; i < line.end; ++i) {
            const Glyph &g = glyph(f, size, static_cast<unsigned char>(text[i]));
            for (int gy = 0; gy < g.rows; ++gy) {
                LONG y = baseline - g.top + gy;
                if (y < clip.top || y >= clip.bottom)
                    continue;
                for (int gx = 0; gx < g.width; ++gx) {
                    LONG x = pen + g.left + gx;
                    if (x < clip.left || x >= clip.right)
                        continue;
                    unsigned alpha =
                        g.coverage[static_cast<size_t>(gy) * static_cast<size_t>(g.width) +
                                   static_cast<size_t>(gx)];
                    if (alpha)
                        at(x, y) = blend(at(x, y), ink, alpha);
                }
            }
            pen += g.advance;
        }
    }
    int height = static_cast<int>(lines.size()) * size.cell;
    c.result_number(height);
    return height;
}
