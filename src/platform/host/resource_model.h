// Resources of the launcher's executable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sim::detail {

struct Resource {
    std::string name;
    std::string type;
    const void *bytes;
    size_t size;
};

struct ResourceTable {
    std::vector<Resource> entries; // resource handle = base + index
};

} // namespace sim::detail
