// Kernel services: free space per drive, sleeping and waiting in virtual
// time. Files, processes and resources are not part of this desktop yet:
// their calls fail and say so.
#include "platform/host/desktop.h"

#include <cctype>

using namespace sim::detail;

namespace {
void unsupported(const char* call) { fault(std::string(call) + " is not supported yet"); }
} // namespace

BOOL WINAPI GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectors_per_cluster, LPDWORD bytes_per_sector,
                              LPDWORD free_clusters, LPDWORD total_clusters) {
    CallRecord c("GetDiskFreeSpaceA", quoted(root));
    World& w = world();
    // A drive: "X:\", or "X:" for the drive's current directory; anything
    // else is not on a known drive.
    size_t length = root ? std::strlen(root) : 0;
    if ((length != 2 && length != 3) || !std::isalpha(static_cast<unsigned char>(root[0])) ||
        root[1] != ':' || (length == 3 && root[2] != '\\')) {
        c.result("FALSE");
        return FALSE;
    }
    auto it = w.drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(root[0]))));
    if (it == w.drives.end()) {
        c.result("FALSE");
        return FALSE;
    }
    const Drive& d = it->second;
    *sectors_per_cluster = d.sectors_per_cluster;
    *bytes_per_sector = d.bytes_per_sector;
    *free_clusters = d.free_clusters;
    *total_clusters = d.total_clusters;
    c.result("TRUE {" + number(d.sectors_per_cluster) + ", " + number(d.bytes_per_sector) + ", " +
             number(d.free_clusters) + ", " + number(d.total_clusters) + "}");
    return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) {
    CallRecord c("Sleep", number(milliseconds));
    if (milliseconds == INFINITE) {
        fault("Sleep(INFINITE) never returns");
        return;
    }
    advance_to(world().now + milliseconds);
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    CallRecord c("WaitForSingleObject", handle_name(handle) + ", " + number(milliseconds));
    if (!handle) {
        c.result("WAIT_FAILED");
        return WAIT_FAILED;
    }
    unsupported("WaitForSingleObject on a process");
    c.result("WAIT_FAILED");
    return WAIT_FAILED;
}

BOOL WINAPI DeleteFileA(LPCSTR path) {
    CallRecord c("DeleteFileA", quoted(path));
    unsupported("DeleteFileA");
    c.result("FALSE");
    return FALSE;
}

BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to) {
    CallRecord c("MoveFileA", quoted(from) + ", " + quoted(to));
    unsupported("MoveFileA");
    c.result("FALSE");
    return FALSE;
}

BOOL WINAPI CreateProcessA(LPCSTR application, LPSTR command_line, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL inherit_handles, DWORD creation_flags,
                           LPVOID environment, LPCSTR current_directory, LPSTARTUPINFOA,
                           LPPROCESS_INFORMATION) {
    CallRecord c("CreateProcessA", quoted(application) + ", " + quoted(command_line) + ", " +
                                       bool_text(inherit_handles) + ", " + number(creation_flags) +
                                       ", " + handle_name(environment) + ", " +
                                       quoted(current_directory));
    unsupported("CreateProcessA");
    c.result("FALSE");
    return FALSE;
}

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    CallRecord c("FindResourceA", handle_name(module) + ", " + quoted(name) + ", " + quoted(type));
    unsupported("FindResourceA");
    c.result("NULL");
    return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
    CallRecord c("LoadResource", handle_name(module) + ", " + handle_name(resource));
    unsupported("LoadResource");
    c.result("NULL");
    return nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL loaded) {
    CallRecord c("LockResource", handle_name(loaded));
    unsupported("LockResource");
    c.result("NULL");
    return nullptr;
}

BOOL WINAPI FreeResource(HGLOBAL loaded) {
    CallRecord c("FreeResource", handle_name(loaded));
    c.result("FALSE"); // obsolete on Win32: does nothing and returns FALSE
    return FALSE;
}
