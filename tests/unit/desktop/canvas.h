// A plain window of the simulated desktop to draw on, for the rendering tests.
#pragma once

#include "platform/host/sim.h"

#include <cstdint>
#include <string>
#include <vector>

namespace desktop_test {

constexpr uint32_t white = 0xFFFFFF;

inline LRESULT CALLBACK plain_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

// A pop-up window (client area = window size) painted white, with a window
// DC whose background colour and font are set as given.
struct Canvas {
    HWND window = nullptr;
    HDC dc = nullptr;

    Canvas(int width, int height, COLORREF background = RGB(192, 192, 192), LONG font_height = 13) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = plain_window_proc;
            wc.lpszClassName = "DesktopTestCanvas";
            registered = RegisterClassA(&wc) != 0;
        }
        window = CreateWindowExA(0, "DesktopTestCanvas", "canvas", WS_POPUP, 0, 0, width, height,
                                 nullptr, nullptr, nullptr, nullptr);
        dc = GetDC(window);
        RECT all{0, 0, width, height};
        FillRect(dc, &all, CreateSolidBrush(RGB(255, 255, 255)));
        SetBkColor(dc, background);
        if (font_height != 0) {
            LOGFONTA font{};
            font.lfHeight = font_height;
            font.lfWeight = 200;
            font.lfPitchAndFamily = 0x22;
            SelectObject(dc, CreateFontIndirectA(&font));
        }
    }

    int draw(const std::string &text, RECT area, UINT format = DT_WORDBREAK) const {
        return DrawTextA(dc, text.c_str(), -1, &area, format);
    }

    uint32_t at(int x, int y) const { return sim::pixel(window, x, y); }

    std::vector<uint32_t> frame() const {
        std::vector<uint32_t> all;
        for (int y = 0; y < sim::client_height(window); ++y)
            for (int x = 0; x < sim::client_width(window); ++x)
                all.push_back(at(x, y));
        return all;
    }
};

} // namespace desktop_test
