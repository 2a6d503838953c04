// Resources as the launcher reads its payloads: found by name and type in
// its own module, loaded, locked and sized; a missing one gives nothing.
#include "observations.h"
#include "peer_world.h"

#include <cstring>

namespace conformance {

namespace {

std::string found_text(HRSRC found) {
    return found ? "found" : "NULL error=" + std::to_string(GetLastError());
}

void resources(std::vector<std::string> &observed) {
    SetLastError(0);
    HRSRC found = FindResourceA(NULL, probe_resource_name, "BINARY");
    observed.push_back("PROBE/BINARY: " + found_text(found));
    HGLOBAL loaded = LoadResource(NULL, found);
    const char *bytes = static_cast<const char *>(LockResource(loaded));
    const DWORD size = SizeofResource(NULL, found);
    observed.push_back("size " + std::to_string(size) + ", bytes " +
                       (bytes ? std::string(bytes, size) : std::string("NULL")));

    SetLastError(0);
    observed.push_back("NOSUCH/BINARY: " + found_text(FindResourceA(NULL, "NOSUCH", "BINARY")));
    SetLastError(0);
    observed.push_back("PROBE/NOTYPE: " +
                       found_text(FindResourceA(NULL, probe_resource_name, "NOTYPE")));

    // What the launcher does with a resource that was not found.
    HGLOBAL nothing = LoadResource(NULL, NULL);
    observed.push_back(std::string("LoadResource of NULL: ") + (nothing ? "a handle" : "NULL"));
    observed.push_back(std::string("LockResource of NULL: ") +
                       (LockResource(NULL) ? "an address" : "NULL"));
}

} // namespace

std::vector<Scenario> resource_scenarios() {
    return {
        {"resources",
         "a program's resource is found by name and type, loaded, locked and sized; a missing "
         "name fails with ERROR_RESOURCE_NAME_NOT_FOUND, a missing type with "
         "ERROR_RESOURCE_TYPE_NOT_FOUND, and nothing is loaded or locked for it",
         {
             {"PROBE/BINARY: found"},
             {"size 7, bytes conform"},
             {"NOSUCH/BINARY: NULL error=1814"},
             {"PROBE/NOTYPE: NULL error=1813"},
             {"LoadResource of NULL: NULL"},
             {"LockResource of NULL: NULL"},
         },
         resources},
    };
}

} // namespace conformance
