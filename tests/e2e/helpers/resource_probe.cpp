// Reads the resources of a launcher executable as Windows finds them: writes
// its payloads to files and loads every image of its group icon.
//
//   e2e_resource_probe EXE OUT_DIR
//
// Writes OUT_DIR\DATA and OUT_DIR\DATA2 (the "BINARY" resources of those
// names) and prints on stdout, one a line:
//   DATA=<size>
//   DATA2=<size>
//   icon_images=<count in the group ICON1>
//   icon=<W>x<H>          for each size of 16, 32 and 48 that loads as an icon
// Exit codes: 0 all found, 2 usage, 3 the executable cannot be loaded, 4 a
// resource is missing, 5 an output file cannot be written.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool write_file(const std::string &path, const void *bytes, DWORD size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes, size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

// The bytes and size of a resource, or null.
const BYTE *resource_bytes(HMODULE module, LPCSTR name, LPCSTR type, DWORD &size) {
    HRSRC found = FindResourceA(module, name, type);
    if (found == nullptr)
        return nullptr;
    size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    return loaded != nullptr ? static_cast<const BYTE *>(LockResource(loaded)) : nullptr;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: e2e_resource_probe EXE OUT_DIR\n");
        return 2;
    }
    HMODULE module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        std::fprintf(stderr, "e2e_resource_probe: cannot load %s: error %lu\n", argv[1],
                     GetLastError());
        return 3;
    }

    for (const char *name : {"DATA", "DATA2"}) {
        DWORD size = 0;
        const BYTE *bytes = resource_bytes(module, name, "BINARY", size);
        if (bytes == nullptr) {
            std::fprintf(stderr, "e2e_resource_probe: no resource %s of type BINARY\n", name);
            return 4;
        }
        if (!write_file(std::string(argv[2]) + "\\" + name, bytes, size)) {
            std::fprintf(stderr, "e2e_resource_probe: cannot write %s\\%s\n", argv[2], name);
            return 5;
        }
        std::printf("%s=%lu\n", name, size);
    }

    DWORD group_size = 0;
    const BYTE *group =
        resource_bytes(module, "ICON1", MAKEINTRESOURCEA(14), group_size); // RT_GROUP_ICON
    if (group == nullptr || group_size < 6) {
        std::fprintf(stderr, "e2e_resource_probe: no group icon ICON1\n");
        return 4;
    }
    WORD images = 0;
    std::memcpy(&images, group + 4, sizeof images);
    std::printf("icon_images=%u\n", images);
    for (int size : {16, 32, 48}) {
        const int id = LookupIconIdFromDirectoryEx(const_cast<BYTE *>(group), TRUE, size, size,
                                                   LR_DEFAULTCOLOR);
        DWORD image_size = 0;
        const BYTE *image =
            id != 0 ? resource_bytes(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3), image_size)
                    : nullptr; // RT_ICON
        HICON icon = image != nullptr
                         ? CreateIconFromResourceEx(const_cast<BYTE *>(image), image_size, TRUE,
                                                    0x00030000, size, size, LR_DEFAULTCOLOR)
                         : nullptr;
        ICONINFO info{};
        BITMAP bitmap{};
        if (icon != nullptr && GetIconInfo(icon, &info) && info.hbmColor != nullptr &&
            GetObjectA(info.hbmColor, sizeof bitmap, &bitmap) != 0)
            std::printf("icon=%ldx%ld\n", bitmap.bmWidth, bitmap.bmHeight);
        else
            std::fprintf(stderr, "e2e_resource_probe: the %dx%d icon image does not load\n", size,
                         size);
    }
    std::fflush(stdout);
    return 0;
}
