// GDI objects: stock and solid brushes, fonts, and the DC attributes the
// launcher sets. Objects are records; a brush's colour is what FillRect paints.
#include "platform/host/world.h"

using namespace sim::detail;

namespace {

HGDIOBJ add_object(GdiObject o) {
    World &w = world();
    w.gdi.objects.push_back(std::move(o));
    return object_handle(w.gdi.objects.size() - 1);
}

} // namespace

HGDIOBJ WINAPI GetStockObject(int object) {
    const char *name = object == LTGRAY_BRUSH  ? "LTGRAY_BRUSH"
                       : object == WHITE_BRUSH ? "WHITE_BRUSH"
                       : object == BLACK_BRUSH ? "BLACK_BRUSH"
                                               : nullptr;
    CallRecord c("GetStockObject", name ? Args().text(name) : Args().number(object));
    if (!name) {
        fault("GetStockObject: stock object " + std::to_string(object) + " is not supported");
        c.result("NULL");
        return nullptr;
    }
    // Stock objects are created once and shared.
    World &w = world();
    for (size_t i = 0; i < w.gdi.objects.size(); ++i)
        if (w.gdi.objects[i].stock && w.gdi.objects[i].name == name) {
            c.result(name);
            return object_handle(i);
        }
    GdiObject o;
    o.kind = ObjectKind::brush;
    o.stock = true;
    o.name = name;
    o.color = object == LTGRAY_BRUSH  ? RGB(192, 192, 192)
              : object == WHITE_BRUSH ? RGB(255, 255, 255)
                                      : RGB(0, 0, 0);
    HGDIOBJ h = add_object(o);
    c.result(name);
    return h;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    CallRecord c("CreateSolidBrush", Args().text(colour_text(color)));
    GdiObject o;
    o.kind = ObjectKind::brush;
    o.name = "brush" + std::to_string(world().gdi.objects.size());
    o.color = color & 0x00FFFFFF;
    HBRUSH h = static_cast<HBRUSH>(add_object(o));
    c.result(handle_name(h));
    return h;
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA *font) {
    if (!font) {
        CallRecord c("CreateFontIndirectA", Args().text("NULL"));
        c.result("NULL");
        return nullptr;
    }
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, font->lfFaceName, LF_FACESIZE);
    auto number = [](long long v) { return std::to_string(v); };
    CallRecord c(
        "CreateFontIndirectA",
        Args().text(
            "{height=" + number(font->lfHeight) + ", width=" + number(font->lfWidth) +
            ", escapement=" + number(font->lfEscapement) +
            ", orientation=" + number(font->lfOrientation) + ", weight=" + number(font->lfWeight) +
            ", italic=" + number(font->lfItalic) + ", underline=" + number(font->lfUnderline) +
            ", strikeout=" + number(font->lfStrikeOut) + ", charset=" + number(font->lfCharSet) +
            ", out=" + number(font->lfOutPrecision) + ", clip=" + number(font->lfClipPrecision) +
            ", quality=" + number(font->lfQuality) +
            ", pitch_family=" + number(font->lfPitchAndFamily) + ", face=" + quoted(face) + "}"));
    GdiObject o;
    o.kind = ObjectKind::font;
    o.name = "font" + std::to_string(world().gdi.objects.size());
    o.font = *font;
    HFONT h = static_cast<HFONT>(add_object(o));
    c.result(handle_name(h));
    return h;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF color) {
    CallRecord c("SetBkColor", Args().handle(dc).text(colour_text(color)));
    DeviceContext *d = find_dc(dc);
    if (!d || d->released) {
        c.result("CLR_INVALID");
        return CLR_INVALID;
    }
    COLORREF old = d->background;
    d->background = color & 0x00FFFFFF;
    c.result(colour_text(old));
    return old;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    CallRecord c("SelectObject", Args().handle(dc).handle(object));
    DeviceContext *d = find_dc(dc);
    GdiObject *o = find_object(object);
    if (!d || d->released || !o) {
        c.result("NULL");
        return nullptr;
    }
    if (o->kind != ObjectKind::font) {
        fault("SelectObject: only fonts are selected into DCs here");
        c.result("NULL");
        return nullptr;
    }
    HGDIOBJ old = d->font;
    d->font = object;
    // A DC starts with the system font, which has no object of ours.
    if (!old)
        old = reinterpret_cast<HGDIOBJ>(system_font_handle);
    c.result(handle_name(old));
    return old;
}
