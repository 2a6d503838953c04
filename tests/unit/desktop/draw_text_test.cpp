// DrawTextA of the simulated desktop: real glyphs, word breaking, clipping,
// colours. Layout is checked through pixels: a wrapped rendering must equal
// the same lines drawn one by one without word breaking, and a string's width
// is the width of the opaque cell that drawing it fills.
#include "canvas.h"

#include <gtest/gtest.h>

#include <sstream>

using desktop_test::Canvas;
using desktop_test::white;

namespace {

constexpr int cell = 13;
const std::string sentence = "It is not necessary to wait while the files which will be used to "
                             "install this application are extracted.";

// Width in pixels of one line of text: the run of filled cell pixels along
// the cell's top row, where no glyph reaches.
int measure(const std::string &text) {
    Canvas c(1000, 20);
    c.draw(text, RECT{0, 0, 1000, 20}, 0);
    int width = 0;
    while (width < 1000 && c.at(width, 0) != white)
        ++width;
    return width;
}

std::vector<std::string> words_of(const std::string &text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

// What a left-to-right reader expects: as many words on a line as fit.
std::vector<std::string> greedy_lines(const std::string &text, int width) {
    std::vector<std::string> lines;
    std::string line;
    for (const auto &word : words_of(text)) {
        if (!line.empty() && measure(line + " " + word) > width) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    lines.push_back(line);
    return lines;
}

// The given lines drawn one by one, one cell apart, without word breaking.
std::vector<uint32_t> reference(int width, int height, RECT area,
                                const std::vector<std::string> &lines) {
    Canvas ref(width, height);
    for (size_t i = 0; i < lines.size(); ++i)
        ref.draw(lines[i],
                 RECT{area.left, area.top + static_cast<LONG>(i) * cell, area.right, area.bottom},
                 0);
    return ref.frame();
}

bool untouched_outside(const Canvas &c, RECT area) {
    for (int y = 0; y < sim::client_height(c.window); ++y)
        for (int x = 0; x < sim::client_width(c.window); ++x)
            if ((x < area.left || x >= area.right || y < area.top || y >= area.bottom) &&
                c.at(x, y) != white)
                return false;
    return true;
}

TEST(DrawTextWordBreak, LongSentenceBreaksBetweenWordsWithinTheWidth) {
    RECT area{10, 16, 300, 116};
    Canvas wrapped(320, 120);
    int height = wrapped.draw(sentence, area);

    std::vector<std::string> lines = greedy_lines(sentence, 290);
    ASSERT_GE(lines.size(), 2u) << "the sentence is far wider than 290 pixels";
    EXPECT_EQ(height, cell * static_cast<int>(lines.size()));
    EXPECT_EQ(wrapped.frame(), reference(320, 120, area, lines));
    EXPECT_TRUE(
        untouched_outside(wrapped, RECT{10, 16, 300, 16 + cell * static_cast<LONG>(lines.size())}));

    for (size_t i = 0; i < lines.size(); ++i) {
        int top = 16 + cell * static_cast<int>(i);
        EXPECT_EQ(wrapped.at(10, top), 0xC0C0C0u) << "line " << i << " starts at the left edge";
        int first_ink = 300;
        for (int y = top; y < top + cell; ++y)
            for (int x = 10; x < 300; ++x)
                if (wrapped.at(x, y) != 0xC0C0C0u && wrapped.at(x, y) != white) {
                    first_ink = std::min(first_ink, x);
                    break;
                }
        EXPECT_LE(first_ink, 12) << "line " << i << " (" << lines[i] << ")";
    }
}

struct BreakCase {
    const char *name;
    std::string text;
    LONG width;
    UINT format;
    std::vector<std::string> lines;
};

TEST(DrawTextWordBreak, LinesBreakAtBlanksAndExplicitBreaks) {
    const BreakCase cases[] = {
        {"CR LF", "one\r\ntwo", 290, DT_WORDBREAK, {"one", "two"}},
        {"LF", "one\ntwo", 290, DT_WORDBREAK, {"one", "two"}},
        {"empty line", "one\n\ntwo", 290, DT_WORDBREAK, {"one", "", "two"}},
        {"break at the end", "one\r\n", 290, DT_WORDBREAK, {"one"}},
        {"breaks without word breaking", "one two\nthree", 290, 0, {"one two", "three"}},
        {"blanks at a break", "aaa     bbb", 40, DT_WORDBREAK, {"aaa", "bbb"}},
        {"word wider than the rectangle",
         "a Supercalifragilistic b",
         40,
         DT_WORDBREAK,
         {"a", "Supercalifragilistic", "b"}},
        {"no word breaking", sentence, 100, 0, {sentence}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        RECT area{5, 4, 5 + k.width, 70};
        Canvas c(320, 80);
        EXPECT_EQ(c.draw(k.text, area, k.format), cell * static_cast<int>(k.lines.size()));
        EXPECT_EQ(c.frame(), reference(320, 80, area, k.lines));
        EXPECT_TRUE(untouched_outside(c, area));
    }
}

TEST(DrawTextClipping, LinePartlyBelowTheRectangleIsCutAtTheBottom) {
    RECT tall{10, 16, 210, 116};
    RECT area{10, 16, 210, 50}; // room for 2 lines and 8 rows of a third
    Canvas full(320, 120);
    Canvas cut(320, 120);
    int full_height = full.draw(sentence, tall);
    ASSERT_GE(full_height, 3 * cell);
    EXPECT_EQ(cut.draw(sentence, area), full_height) << "the height of all the text, drawn or not";

    EXPECT_TRUE(untouched_outside(cut, area));
    for (int y = 16; y < 50; ++y)
        for (int x = 10; x < 210; ++x)
            ASSERT_EQ(cut.at(x, y), full.at(x, y)) << x << "," << y;
    EXPECT_EQ(cut.at(10, 49), 0xC0C0C0u) << "the third line's cell reaches the bottom";
}

TEST(DrawTextClipping, StaysInsideTheClientArea) {
    // A rectangle reaching past every side of a small window.
    Canvas c(60, 20);
    EXPECT_GT(c.draw(sentence, RECT{-30, -6, 90, 500}), 3 * cell);
    int top_row = 0, bottom_row = 0, left_column = 0;
    for (int x = 0; x < 60; ++x) {
        top_row += c.at(x, 0) != white;
        bottom_row += c.at(x, 19) != white;
    }
    for (int y = 0; y < 20; ++y)
        left_column += c.at(0, y) != white;
    EXPECT_GT(top_row, 0);
    EXPECT_GT(bottom_row, 0);
    EXPECT_EQ(left_column, 20);
}

TEST(DrawTextColours, OpaqueBackgroundBehindBlackGlyphs) {
    const COLORREF background = RGB(0x30, 0x90, 0xF0);
    Canvas c(200, 30, background);
    RECT area{4, 2, 196, 28};
    EXPECT_EQ(c.draw("Hill limit", area), cell);
    int width = measure("Hill limit");
    ASSERT_GT(width, 20);

    int black = 0, blended = 0;
    for (int y = 2; y < 2 + cell; ++y)
        for (int x = 4; x < 4 + width; ++x) {
            uint32_t p = c.at(x, y);
            int r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (p == 0x3090F0u)
                continue;
            // Anywhere between the background and black, never another hue.
            ASSERT_TRUE(r <= 0x30 && g <= 0x90 && b <= 0xF0) << std::hex << p;
            ASSERT_NEAR(g * 0x30, r * 0x90, 0x90 * 2) << std::hex << p;
            ASSERT_NEAR(b * 0x30, r * 0xF0, 0xF0 * 2) << std::hex << p;
            ++(p == 0 ? black : blended);
        }
    EXPECT_GT(black, 10) << "stems of H, i and l are solid black";
    EXPECT_GT(blended, 0) << "glyph edges are anti-aliased";
    EXPECT_EQ(c.at(4, 2), 0x3090F0u);
    EXPECT_EQ(c.at(4 + width - 1, 2 + cell - 1), 0x3090F0u);
    EXPECT_EQ(c.at(4 + width, 2), white) << "the cell ends with the text";
    EXPECT_EQ(c.at(4, 2 + cell), white) << "one line, one cell high";
}

TEST(DrawTextLength, ExplicitLengthDrawsOnlyThatManyBytes) {
    Canvas part(200, 20), prefix(200, 20), whole(200, 20), none(200, 20);
    RECT area{0, 0, 200, 20};
    EXPECT_EQ(DrawTextA(part.dc, "Hello world", 5, &area, DT_WORDBREAK), cell);
    prefix.draw("Hello", area);
    whole.draw("Hello world", area);
    EXPECT_EQ(part.frame(), prefix.frame());
    EXPECT_NE(part.frame(), whole.frame());

    EXPECT_EQ(DrawTextA(none.dc, "Hello world", 0, &area, DT_WORDBREAK), 0);
    EXPECT_EQ(none.frame(), Canvas(200, 20).frame());
}

TEST(DrawTextFont, SelectedCellHeightSetsTheLineSpacing) {
    RECT area{0, 0, 300, 100};
    Canvas chosen(300, 100), unselected(300, 100, RGB(192, 192, 192), 0),
        large(300, 100, RGB(192, 192, 192), 26);
    EXPECT_EQ(chosen.draw("one\ntwo", area), 2 * cell);
    EXPECT_EQ(unselected.draw("one\ntwo", area), 2 * cell);
    EXPECT_EQ(unselected.frame(), chosen.frame())
        << "no font selected: the same face at a 13-pixel cell";

    EXPECT_EQ(large.draw("Hill\nlimit", area), 2 * 26);
    int ink_rows = 0;
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 300; ++x)
            if (large.at(x, y) != white && large.at(x, y) != 0xC0C0C0u) {
                ++ink_rows;
                break;
            }
    EXPECT_GT(ink_rows, cell) << "glyphs of a 26-pixel cell are taller than a 13-pixel cell";
}

TEST(DrawTextFaults, UnsupportedFormatOrMissingFontDrawsNothing) {
    RECT area{0, 0, 200, 20};
    std::vector<uint32_t> blank = Canvas(200, 20).frame();

    Canvas centred(200, 20);
    size_t faults = sim::faults().size();
    EXPECT_EQ(centred.draw("Hello", area, DT_WORDBREAK | 0x1 /* DT_CENTER */), 0);
    EXPECT_EQ(sim::faults().size(), faults + 1);
    EXPECT_EQ(centred.frame(), blank);

    Canvas fontless(200, 20);
    sim::set_font_file("/nonexistent/fonts/NoSuchSans.ttf");
    EXPECT_EQ(fontless.draw("Hello", area), 0);
    sim::set_font_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    EXPECT_EQ(sim::faults().size(), faults + 2);
    EXPECT_NE(sim::faults().back().find("NoSuchSans.ttf"), std::string::npos);
    EXPECT_EQ(fontless.frame(), blank);

    Canvas again(200, 20);
    EXPECT_EQ(again.draw("Hello", area), cell) << "the face loads again once it is there";
}

} // namespace
