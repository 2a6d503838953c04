// Resources of the simulated desktop, found and failing as Windows does.
#include "intent_names.h"
#include "payload_resources.h"
#include "platform/host/sim.h"

#include <gtest/gtest.h>

namespace {

const unsigned char installer_bytes[] = {1, 2, 3};
const unsigned char data_bytes[] = {4, 5, 6, 7};

struct LookupCase {
    const char *intent;
    LPCSTR name;
    LPCSTR type;
    const unsigned char *bytes; // nullptr: not found
    DWORD error;
};

class ResourceLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(ResourceLookup, FindsTheRegisteredBytesOrFailsAsWindows) {
    const LookupCase &c = GetParam();
    scenario::register_payloads(installer_bytes, sizeof installer_bytes, data_bytes,
                                sizeof data_bytes);
    HMODULE module = reinterpret_cast<HMODULE>(0x400000);
    SetLastError(0);
    HRSRC found = FindResourceA(module, c.name, c.type);
    if (!c.bytes) {
        EXPECT_EQ(found, nullptr) << c.intent;
        EXPECT_EQ(GetLastError(), c.error) << c.intent;
        return;
    }
    ASSERT_NE(found, nullptr) << c.intent;
    HGLOBAL loaded = LoadResource(module, found);
    EXPECT_EQ(LockResource(loaded), c.bytes) << "read in place";
    EXPECT_EQ(SizeofResource(module, found), c.bytes == data_bytes ? 4u : 3u);
    EXPECT_FALSE(FreeResource(loaded));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResourceLookup,
    testing::Values(
        LookupCase{"installer payload", "DATA", "BINARY", installer_bytes, 0},
        LookupCase{"data payload", "DATA2", "BINARY", data_bytes, 0},
        LookupCase{"names without regard to case", "data2", "binary", data_bytes, 0},
        LookupCase{"missing name", "DATA3", "BINARY", nullptr, ERROR_RESOURCE_NAME_NOT_FOUND},
        LookupCase{"missing type", "DATA", "TEXT", nullptr, ERROR_RESOURCE_TYPE_NOT_FOUND}),
    scenario::IntentName());

} // namespace
