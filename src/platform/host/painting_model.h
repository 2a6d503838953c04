// GDI objects, device contexts and update regions.
#pragma once

#include "platform/host/window_model.h"

#include <string>
#include <vector>

namespace sim::detail {

enum class ObjectKind { brush, font };

struct GdiObject {
    ObjectKind kind = ObjectKind::brush;
    bool stock = false;
    std::string name; // "brush2", "LTGRAY_BRUSH", "font1"
    COLORREF color = 0;
    LOGFONTA font{};
};

struct DeviceContext {
    HWND window = nullptr;
    bool for_paint = false;
    bool released = false;
    RECT clip{};
    COLORREF background = RGB(255, 255, 255);
    COLORREF text = RGB(0, 0, 0);
    HGDIOBJ font = nullptr;
};

struct Gdi {
    std::vector<GdiObject> objects;
    std::vector<DeviceContext> dcs;
};

GdiObject *find_object(HGDIOBJ handle);
DeviceContext *find_dc(HDC dc);
// A device context for a window's client area, clipped to clip.
HDC new_dc(HWND window, bool for_paint, const RECT &clip);

void invalidate_client(Window &w, bool erase);
void fill_pixels(Window &w, const RECT &rect, const RECT &clip, COLORREF color);
// Erases what needs erasing now: WM_ERASEBKGND with a DC clipped to the
// update region, as a window being shown gets it before its WM_PAINT.
void erase_now(HWND window);

} // namespace sim::detail
