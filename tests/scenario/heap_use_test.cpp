// The launcher's own code takes nothing from the heap during a whole run.
//
// The simulated desktop around it allocates all the time (its log, its
// files), so every allocation is traced back to the first frame that lies in
// this project's sources: an allocation whose first such frame is in the
// launcher's logic (bootstrap, progress, payload, implode) is the launcher's
// own. Needs AddressSanitizer, whose allocator hooks and symbolizer do the
// tracing.
#include "simulated_installer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <execinfo.h>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HEAP_TEST_ASAN 1
#endif
#endif

#if HEAP_TEST_ASAN
#include <sanitizer/allocator_interface.h>
#include <sanitizer/common_interface_defs.h>

namespace {

enum class Owner { unknown, launcher, other };

// Source folders whose code counts as the launcher's own; a test may add its
// own file to prove that the tracing finds an allocation.
const char *launcher_folders[8] = {"/src/bootstrap/", "/src/progress/", "/src/payload/",
                                   "/src/implode/"};

struct Tracing {
    bool armed = false;
    bool inside = false; // the hook's own work allocates nothing, but guard anyway
    long allocations = 0;
    long launcher_allocations = 0;
    char first_launcher_frame[512] = {};
    // Return addresses already classified.
    struct Entry {
        void *pc;
        Owner owner;
    } cache[4096] = {};
};
Tracing tracing;

Owner owner_of(void *pc) {
    const size_t slot = (reinterpret_cast<uintptr_t>(pc) >> 2) % 4096;
    for (size_t probe = 0; probe < 16; ++probe) {
        Tracing::Entry &e = tracing.cache[(slot + probe) % 4096];
        if (e.pc == pc)
            return e.owner;
        if (e.pc == nullptr) {
            char file[512], function[512];
            __sanitizer_symbolize_pc(pc, "%s", file, sizeof file);
            __sanitizer_symbolize_pc(pc, "%f", function, sizeof function);
            Owner owner = Owner::unknown;
            // The tracing's own frames belong to nobody.
            if (std::strstr(function, "on_malloc")) {
                e = Tracing::Entry{pc, owner};
                return owner;
            }
            for (const char *folder : launcher_folders)
                if (folder && std::strstr(file, folder))
                    owner = Owner::launcher;
            if (owner == Owner::unknown &&
                (std::strstr(file, "/src/") || std::strstr(file, "/tests/") ||
                 std::strstr(file, "/tools/") || std::strstr(file, "/demo/")))
                owner = Owner::other;
            e = Tracing::Entry{pc, owner};
            return owner;
        }
    }
    return Owner::unknown;
}

void on_malloc(const volatile void *, size_t) {
    if (!tracing.armed || tracing.inside)
        return;
    tracing.inside = true;
    ++tracing.allocations;
    void *frames[64];
    const int n = backtrace(frames, 64);
    for (int i = 1; i < n; ++i) {
        // A return address points just past its call.
        void *pc = static_cast<char *>(frames[i]) - 1;
        Owner owner = owner_of(pc);
        if (owner == Owner::unknown)
            continue; // the allocator, the C++ library, the C library
        if (owner == Owner::launcher && ++tracing.launcher_allocations == 1)
            __sanitizer_symbolize_pc(pc, "%f at %s:%l", tracing.first_launcher_frame,
                                     sizeof tracing.first_launcher_frame);
        break;
    }
    tracing.inside = false;
}

void on_free(const volatile void *) {}

const int hooks = __sanitizer_install_malloc_and_free_hooks(on_malloc, on_free);

void arm() {
    void *warm[4];
    backtrace(warm, 4); // loads the unwinder before anything is traced
    tracing.armed = true;
}

// An allocation made by a function of this file, for the self-check.
[[gnu::noinline]] std::string *allocate_here() {
    return new std::string(100, 'x');
}

TEST(HeapUse, TheTracingFindsAnAllocationInCodeItCountsAsTheLaunchers) {
    ASSERT_NE(hooks, 0);
    launcher_folders[4] = "/tests/scenario/heap_use_test";
    arm();
    std::string *made = allocate_here();
    tracing.armed = false;
    delete made;
    EXPECT_GE(tracing.launcher_allocations, 1);
    EXPECT_NE(std::strstr(tracing.first_launcher_frame, "allocate_here"), nullptr)
        << tracing.first_launcher_frame;
}

TEST(HeapUse, TheLauncherTakesNothingFromTheHeapDuringAWholeRun) {
    ASSERT_NE(hooks, 0);
    simulated_demo::prepare_run(
        "C:\\WINDOWS\\TEMP",
        simulated_demo::InstallerScript{.window_at_ms = 0, .shows_progress_at_ms = 0});
    arm();
    EXPECT_EQ(sim::run_launcher("launcher.exe"), 0);
    tracing.armed = false;
    // The desktop allocated plenty; none of it for the launcher's own code.
    EXPECT_GT(tracing.allocations, 1000);
    EXPECT_EQ(tracing.launcher_allocations, 0) << "first at " << tracing.first_launcher_frame;
    EXPECT_EQ(sim::read_file(simulated_demo::data_file_path_in("C:\\WINDOWS\\TEMP")),
              simulated_demo::carried_data_bytes());
}

} // namespace

#else

TEST(HeapUse, NeedsAddressSanitizer) {
    GTEST_SKIP() << "built without AddressSanitizer";
}

#endif
