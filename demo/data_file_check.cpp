#include "data_file_check.h"

#include "payload/crc32.h"

#include <windows.h>

namespace {

uint8_t block[64 * 1024];

} // namespace

data_file_figures measure_data_file(const char *path) {
    data_file_figures figures{false, 0, 0, 0};
    // Others may still hold the file open; reading it must not get in their way.
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        figures.error = GetLastError();
        return figures;
    }
    DWORD count = 0;
    BOOL ok = TRUE;
    while ((ok = ReadFile(file, block, sizeof block, &count, nullptr)) && count > 0) {
        figures.crc32 = crc32_update(figures.crc32, block, count);
        figures.size += count;
    }
    if (!ok)
        figures.error = GetLastError();
    CloseHandle(file);
    figures.readable = ok != FALSE;
    return figures;
}
