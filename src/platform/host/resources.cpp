// Resources of the launcher's executable: found by type and name, loaded in
// place (the loaded handle is the bytes' address, as on Win32), never freed.
#include "platform/host/world.h"

using namespace sim::detail;

namespace {

// Resource names and types are strings or numbers (MAKEINTRESOURCE).
std::string resource_key(LPCSTR id) {
    if (!id)
        return "";
    if (reinterpret_cast<uintptr_t>(id) < 0x10000)
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(id));
    return id;
}

const Resource *by_handle(HRSRC handle) {
    auto value = reinterpret_cast<uintptr_t>(handle);
    const auto &entries = world().resources.entries;
    if (value < resource_handle_base || value - resource_handle_base >= entries.size())
        return nullptr;
    return &entries[value - resource_handle_base];
}

const Resource *by_address(const void *loaded) {
    for (const Resource &r : world().resources.entries)
        if (r.bytes == loaded)
            return &r;
    return nullptr;
}

std::string resource_name(const Resource &r) {
    return "resource " + r.type + "/" + r.name;
}

// How the log names a resource handle, or the bytes a loaded one stands for.
std::string resource_handle_name(HRSRC resource) {
    const Resource *r = by_handle(resource);
    return r ? resource_name(*r) : handle_name(resource);
}

std::string loaded_name(const void *loaded) {
    const Resource *r = by_address(loaded);
    return r ? resource_name(*r) : handle_name(loaded);
}

bool our_module(HMODULE module) {
    return !module || reinterpret_cast<uintptr_t>(module) == launcher_module;
}

} // namespace

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    CallRecord c("FindResourceA", Args().handle(module).string(name).string(type));
    if (!our_module(module))
        fault("FindResourceA: only the launcher's own module has resources here");
    const auto &entries = world().resources.entries;
    bool type_found = false;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!same_name(entries[i].type, resource_key(type)))
            continue;
        type_found = true;
        if (same_name(entries[i].name, resource_key(name))) {
            HRSRC found = reinterpret_cast<HRSRC>(resource_handle_base + i);
            c.result(resource_name(entries[i]));
            return found;
        }
    }
    set_last_error(type_found ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    c.result("NULL");
    return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
    const Resource *r = by_handle(resource);
    CallRecord c("LoadResource", Args().handle(module).text(resource_handle_name(resource)));
    if (!r) {
        set_last_error(ERROR_RESOURCE_DATA_NOT_FOUND);
        c.result("NULL");
        return nullptr;
    }
    HGLOBAL loaded = const_cast<void *>(r->bytes);
    c.result(loaded_name(loaded));
    return loaded;
}

LPVOID WINAPI LockResource(HGLOBAL loaded) {
    CallRecord c("LockResource", Args().text(loaded_name(loaded)));
    c.result(loaded ? "the bytes of " + loaded_name(loaded) : "NULL");
    return loaded;
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
    const Resource *r = by_handle(resource);
    CallRecord c("SizeofResource", Args().handle(module).text(resource_handle_name(resource)));
    if (!r) {
        set_last_error(ERROR_RESOURCE_DATA_NOT_FOUND);
        c.result_number(0);
        return 0;
    }
    c.result_number(static_cast<long long>(r->size));
    return static_cast<DWORD>(r->size);
}

BOOL WINAPI FreeResource(HGLOBAL loaded) {
    CallRecord c("FreeResource", Args().text(loaded_name(loaded)));
    c.result_bool(FALSE); // obsolete on Win32: does nothing and returns FALSE
    return FALSE;
}

namespace sim {

void add_resource(const std::string &name, const std::string &type, const void *bytes,
                  size_t size) {
    // A second registration of a name and type replaces the first, as
    // UpdateResource does in an executable.
    for (detail::Resource &r : world().resources.entries)
        if (same_name(r.name, name) && same_name(r.type, type)) {
            r = detail::Resource{name, type, bytes, size};
            return;
        }
    world().resources.entries.push_back(detail::Resource{name, type, bytes, size});
}

} // namespace sim
