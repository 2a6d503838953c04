// The encoder's memory stays bounded whatever the input size: it reads the
// input as a stream and parses it chunk by chunk.  This test binary follows
// the heap's live size for the whole process: through the sanitizer
// allocator's hooks when built with AddressSanitizer, otherwise by replacing
// the C allocation functions and the global operator new.
#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "implode_encoder.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define IMPLODE_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define IMPLODE_TEST_ASAN 1
#endif

namespace {
std::atomic<long long> live_bytes{0};
std::atomic<long long> peak_bytes{0};

void note_allocation(std::size_t size) {
    const long long now = live_bytes += static_cast<long long>(size);
    long long peak = peak_bytes.load();
    while (now > peak && !peak_bytes.compare_exchange_weak(peak, now)) {
    }
}
void note_release(std::size_t size) {
    live_bytes -= static_cast<long long>(size);
}
} // namespace

#if IMPLODE_TEST_ASAN
#include <sanitizer/allocator_interface.h>
namespace {
void on_malloc(const volatile void *, std::size_t size) {
    note_allocation(size);
}
void on_free(const volatile void *p) {
    note_release(__sanitizer_get_allocated_size(const_cast<const void *>(p)));
}
const int hooks_installed = __sanitizer_install_malloc_and_free_hooks(on_malloc, on_free);
} // namespace
#else
extern "C" void *__libc_malloc(std::size_t);
extern "C" void *__libc_calloc(std::size_t, std::size_t);
extern "C" void *__libc_realloc(void *, std::size_t);
extern "C" void __libc_free(void *);
namespace {
void *noted(void *p) {
    if (p != nullptr) {
        note_allocation(malloc_usable_size(p));
    }
    return p;
}
void release(void *p) {
    if (p != nullptr) {
        note_release(malloc_usable_size(p));
        __libc_free(p);
    }
}
} // namespace
extern "C" void *malloc(std::size_t size) {
    return noted(__libc_malloc(size));
}
extern "C" void *calloc(std::size_t n, std::size_t size) {
    return noted(__libc_calloc(n, size));
}
extern "C" void *realloc(void *p, std::size_t size) {
    if (p != nullptr) {
        note_release(malloc_usable_size(p));
    }
    return noted(__libc_realloc(p, size));
}
extern "C" void free(void *p) {
    release(p);
}
void *operator new(std::size_t size) {
    if (void *p = malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept {
    release(p);
}
void operator delete(void *p, std::size_t) noexcept {
    release(p);
}
namespace {
const int hooks_installed = 1;
} // namespace
#endif

namespace {

// Text-like bytes with some noise, made as they are read: the test itself
// holds none of the input.
class generated_input {
  public:
    explicit generated_input(std::size_t size) : left_(size), rng_(7) {
        for (auto &b : words_) {
            b = static_cast<std::uint8_t>("abcdefghijklmnop "[rng_() % 17]);
        }
    }
    std::size_t read(std::uint8_t *buffer, std::size_t capacity) {
        const std::size_t n = capacity < left_ ? capacity : left_;
        for (std::size_t i = 0; i < n; ++i, ++at_) {
            buffer[i] = rng_() % 8 == 0 ? static_cast<std::uint8_t>(rng_()) : words_[at_ % 4096];
        }
        left_ -= n;
        return n;
    }

  private:
    std::size_t left_;
    std::size_t at_ = 0;
    std::mt19937 rng_;
    std::uint8_t words_[4096];
};

struct level_case {
    const char *name;
    implode::encode_level level;
    std::size_t input_size;
};

void PrintTo(const level_case &c, std::ostream *out) {
    *out << c.name;
}

class EncoderMemory : public ::testing::TestWithParam<level_case> {};

TEST_P(EncoderMemory, StaysBelow16MiBForAnInputOfManyChunks) {
    ASSERT_EQ(hooks_installed, 1);
    // The counter must see an ordinary allocation, or the check means nothing.
    peak_bytes = live_bytes.load();
    const long long before_probe = peak_bytes.load();
    auto *probe = new std::vector<char>(40u << 20);
    EXPECT_GE(peak_bytes.load() - before_probe, 40ll << 20);
    delete probe;

    const long long base = live_bytes.load();
    peak_bytes = base;
    generated_input input(GetParam().input_size);
    std::size_t written = 0;
    implode::encoder encoder;
    ASSERT_TRUE(encoder.encode(
        {implode::literal_coding::binary, 6, GetParam().level},
        [&](std::uint8_t *buffer, std::size_t capacity) { return input.read(buffer, capacity); },
        [&](const std::uint8_t *, std::size_t size) {
            written += size;
            return true;
        }));
    EXPECT_GT(written, GetParam().input_size / 4);
    EXPECT_LT(peak_bytes.load() - base, 16ll << 20) << "input of " << GetParam().input_size;
}

INSTANTIATE_TEST_SUITE_P(
    Levels, EncoderMemory,
    ::testing::Values(level_case{"fast_8MiB", implode::encode_level::fast, 8u << 20},
                      level_case{"best_3MiB", implode::encode_level::best, 3u << 20}),
    [](const ::testing::TestParamInfo<level_case> &info) { return std::string(info.param.name); });

} // namespace
