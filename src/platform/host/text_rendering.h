// Text layout of the simulated desktop's DrawTextA, shared with the code that
// draws it. Tests use sim.h instead.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace sim::detail {

// One line of laid-out text: bytes [begin, end) of the text, and its width in
// pixels (the sum of the characters' advances).
struct TextLine {
    size_t begin = 0;
    size_t end = 0;
    int width = 0;
};

// Breaks text into lines. "\r\n", "\n" and a lone "\r" end a line; a break at
// the very end of the text does not start another one. With max_width >= 0
// (word breaking) a line also ends before the blanks that precede a word
// which would take it past max_width; the blanks at such a break belong to no
// line. A line always takes its first word, so a word wider than max_width
// stands on a line of its own and is left to clipping. Blanks at the start of
// a paragraph are kept; blanks at its end are kept while they fit.
// advance(byte) gives a character's advance in pixels.
std::vector<TextLine> break_lines(const char *text, size_t length, int max_width,
                                  const std::function<int(unsigned char)> &advance);

} // namespace sim::detail
