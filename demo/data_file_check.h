// Size and CRC-32 of the data file that the launcher writes.
#pragma once

#include <cstdint>

struct data_file_figures {
    bool readable;
    unsigned long error; // the system's error code when it is not
    uint64_t size;
    uint32_t crc32;
};

data_file_figures measure_data_file(const char *path);
