// Waits for a message box with the given caption, reports what it shows and
// presses OK.
//
//   e2e_box_reader CAPTION [--timeout-ms N] [--keep]
//
// stdout: the box's text exactly as the box holds it (raw bytes, no newline
// added), so that a caller can compare carriage returns byte for byte.
// stderr: one line per visible button ("button: OK"), "icon: shown" when
// the box shows an icon, and the class of the window that owns the box
// ("owner: KLDecompressor"), or "owner: none".
// --keep leaves the box open. Exit codes: 0 box read (and closed), 2 usage,
// 3 no such box within the time-out, 4 the box did not close after OK.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct BoxSearch {
    const char *caption;
    HWND found;
};

bool has_class(HWND window, const char *name) {
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    return lstrcmpiA(cls, name) == 0;
}

BOOL CALLBACK find_box(HWND window, LPARAM param) {
    auto *search = reinterpret_cast<BoxSearch *>(param);
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    if (has_class(window, "#32770") && IsWindowVisible(window) &&
        std::strcmp(title, search->caption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct BoxContents {
    char text[2048];
    bool have_text;
};

BOOL CALLBACK read_child(HWND child, LPARAM param) {
    auto *contents = reinterpret_cast<BoxContents *>(param);
    if (!IsWindowVisible(child))
        return TRUE;
    char text[2048] = {};
    GetWindowTextA(child, text, sizeof text);
    if (has_class(child, "Static")) {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            // Wine keeps the icon control of a box without an icon visible,
            // holding no icon.
            if (SendMessageA(child, STM_GETICON, 0, 0) != 0)
                std::fprintf(stderr, "icon: shown\n");
        } else if (!contents->have_text && text[0] != '\0') {
            std::memcpy(contents->text, text, sizeof text);
            contents->have_text = true;
        }
    } else if (has_class(child, "Button")) {
        std::fprintf(stderr, "button: %s\n", text);
    }
    return TRUE;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: e2e_box_reader CAPTION [--timeout-ms N] [--keep]\n");
        return 2;
    }
    BoxSearch search{argv[1], nullptr};
    unsigned long timeout_ms = 30000;
    bool keep = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--timeout-ms") == 0 && i + 1 < argc) {
            timeout_ms = std::strtoul(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--keep") == 0) {
            keep = true;
        } else {
            std::fprintf(stderr, "e2e_box_reader: unknown argument %s\n", argv[i]);
            return 2;
        }
    }

    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    while (EnumWindows(find_box, reinterpret_cast<LPARAM>(&search)), search.found == nullptr) {
        if (GetTickCount64() > deadline) {
            std::fprintf(stderr, "e2e_box_reader: no message box \"%s\" within %lu ms\n",
                         search.caption, timeout_ms);
            return 3;
        }
        Sleep(50);
    }

    static BoxContents contents;
    EnumChildWindows(search.found, read_child, reinterpret_cast<LPARAM>(&contents));
    char owner_class[64] = "none";
    if (HWND owner = GetWindow(search.found, GW_OWNER); owner != nullptr)
        GetClassNameA(owner, owner_class, sizeof owner_class);
    std::fprintf(stderr, "owner: %s\n", owner_class);
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(contents.text, 1, std::strlen(contents.text), stdout);
    std::fflush(stdout);
    std::fflush(stderr);
    if (keep)
        return 0;

    PostMessageA(search.found, WM_COMMAND, IDOK, 0);
    const ULONGLONG close_deadline = GetTickCount64() + 10000;
    while (IsWindow(search.found)) {
        if (GetTickCount64() > close_deadline) {
            std::fprintf(stderr, "e2e_box_reader: the box stayed open after OK\n");
            return 4;
        }
        Sleep(50);
    }
    return 0;
}
