// The launcher executable's resources: byte arrays registered under a name
// and a type, served by FindResourceA, LoadResource, LockResource and
// SizeofResource. Names and types compare without regard to case.
#pragma once

#include <cstddef>
#include <string>

namespace sim {

// The bytes stay where they are and must outlive the run (like the
// resources of a mapped executable). Registering a name and type again
// replaces the bytes.
void add_resource(const std::string &name, const std::string &type, const void *bytes, size_t size);

} // namespace sim
