// Implode decoder and encoder speed against zlib and libdeflate on the same
// content.
//
// Inputs: text (the licence texts every Debian system carries, or generated
// prose), an executable (the first 4 MiB of /usr/bin/cmake, or generated
// machine-code-like bytes) and a generated mixed data file.  Decoding is
// compared with zlib's inflate (zlib format, level 6) and with libdeflate's
// raw deflate decoder (level 6, no checksum, like ours), each decoding the
// whole stream into memory; our best level's size is compared with zlib
// level 9.
//
// After the benchmarks, one summary line per input:
//   <input>: decode_ratio_vs_zlib: X decode_ratio_vs_libdeflate: L
//            size_ratio_vs_zlib9: Y fast_encode_MBps: Z
// X and L are our decode CPU time divided by the peer's (lower is better),
// each side taken as the median over the decode benchmarks' repetitions of
// that side's CPU time per iteration, all measured in this run.  Z is the
// input size over the median CPU time per iteration of the fast encode
// benchmark's repetitions.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "implode/implode_decoder.h"
#include "implode_encoder.h"

namespace {

using bytes = std::vector<std::uint8_t>;

bytes read_file(const char *path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() > limit) {
        data.resize(limit);
    }
    return data;
}

bytes generated_text(std::size_t n) {
    static const char *words[] = {
        "the",    "of",        "and",        "to",     "in",      "a",          "is",
        "that",   "for",       "it",         "as",     "was",     "with",       "be",
        "by",     "on",        "not",        "he",     "this",    "are",        "or",
        "his",    "from",      "at",         "which",  "but",     "have",       "an",
        "had",    "they",      "you",        "were",   "program", "license",    "software",
        "source", "copyright", "distribute", "modify", "terms",   "conditions", "warranty",
        "work",   "code",      "covered",    "rights", "notice",  "version"};
    std::mt19937 rng(12345);
    std::string out;
    while (out.size() < n) {
        out += words[rng() % std::size(words)];
        out += (rng() % 13 == 0) ? ".\n" : " ";
    }
    return bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n));
}

bytes load_text() {
    bytes text;
    for (const char *name : {"GPL-3", "GPL-2", "LGPL-3", "LGPL-2.1", "Apache-2.0", "GFDL-1.3",
                             "MPL-2.0", "Artistic", "BSD", "CC0-1.0"}) {
        const bytes f =
            read_file((std::string("/usr/share/common-licenses/") + name).c_str(), 1u << 20);
        text.insert(text.end(), f.begin(), f.end());
    }
    return text.size() >= 100000 ? text : generated_text(300000);
}

// Stand-in for an executable: x86-like instruction bytes with recurring
// opcodes, little-endian addresses, string tables and zero padding.
bytes generated_executable(std::size_t n) {
    std::mt19937 rng(777);
    bytes out;
    const std::uint8_t opcodes[] = {0x48, 0x89, 0x8B, 0xE8, 0xFF, 0x0F, 0x85, 0x84, 0xC3, 0x55,
                                    0x41, 0x5D, 0x31, 0xC0, 0x83, 0xEC, 0x74, 0x75, 0x44, 0x24};
    while (out.size() < n) {
        const unsigned kind = rng() % 10;
        if (kind < 7) {
            for (int i = 0; i < 64; ++i) {
                out.push_back(opcodes[rng() % std::size(opcodes)]);
                if (rng() % 3 == 0) {
                    const std::uint32_t addr = 0x401000u + (rng() % 65536) * 4;
                    for (int b = 0; b < 4; ++b) {
                        out.push_back(static_cast<std::uint8_t>(addr >> (8 * b)));
                    }
                }
            }
        } else if (kind < 9) {
            const bytes t = generated_text(200 + rng() % 400);
            out.insert(out.end(), t.begin(), t.end());
            out.push_back(0);
        } else {
            out.insert(out.end(), 256 + rng() % 1024, 0);
        }
    }
    out.resize(n);
    return out;
}

bytes generated_mixed(std::size_t n) {
    std::mt19937 rng(4242);
    bytes out;
    const bytes text = generated_text(1u << 16);
    while (out.size() < n) {
        switch (rng() % 5) {
        case 0: { // text
            const std::size_t at = rng() % (text.size() - 8192);
            out.insert(out.end(), text.begin() + static_cast<std::ptrdiff_t>(at),
                       text.begin() + static_cast<std::ptrdiff_t>(at + 8192));
            break;
        }
        case 1: // noise (already compressed data)
            for (int i = 0; i < 4096; ++i) {
                out.push_back(static_cast<std::uint8_t>(rng()));
            }
            break;
        case 2: { // table of records: counter, small value, flags
            auto counter = static_cast<std::uint32_t>(rng());
            for (int i = 0; i < 1024; ++i, ++counter) {
                const std::uint32_t rec[3] = {counter, static_cast<std::uint32_t>(rng() % 100),
                                              static_cast<std::uint32_t>((rng() % 4) << 8)};
                const auto *p = reinterpret_cast<const std::uint8_t *>(rec);
                out.insert(out.end(), p, p + sizeof rec);
            }
            break;
        }
        case 3: // 16-bit samples of a slow wave
            for (int i = 0; i < 4096; ++i) {
                const auto v = static_cast<std::uint16_t>(20000 + (i % 200) * 37 + rng() % 16);
                out.push_back(static_cast<std::uint8_t>(v));
                out.push_back(static_cast<std::uint8_t>(v >> 8));
            }
            break;
        default: // padding
            out.insert(out.end(), 2048 + rng() % 4096, 0);
            break;
        }
    }
    out.resize(n);
    return out;
}

struct input_set {
    std::string name;
    bytes raw;
    bytes implode_best;
    std::size_t implode_fast_size = 0;
    bytes zlib6;
    std::size_t zlib9_size = 0;
    bytes deflate6; // raw deflate from libdeflate
};

bytes zlib_compress(const bytes &raw, int level) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    bytes out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level) != Z_OK) {
        std::abort();
    }
    out.resize(size);
    return out;
}

bytes libdeflate_compress(const bytes &raw, int level) {
    libdeflate_compressor *c = libdeflate_alloc_compressor(level);
    if (c == nullptr) {
        std::abort();
    }
    bytes out(libdeflate_deflate_compress_bound(c, raw.size()));
    const std::size_t size =
        libdeflate_deflate_compress(c, raw.data(), raw.size(), out.data(), out.size());
    libdeflate_free_compressor(c);
    if (size == 0) {
        std::abort();
    }
    out.resize(size);
    return out;
}

struct memory_stream {
    const bytes *in;
    std::size_t in_pos;
    std::uint8_t *out;
    std::size_t out_pos;
};

std::uint32_t bench_read(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto *s = static_cast<memory_stream *>(param);
    std::size_t n = s->in->size() - s->in_pos;
    if (n > *size) {
        n = *size;
    }
    std::memcpy(buffer, s->in->data() + s->in_pos, n);
    s->in_pos += n;
    return static_cast<std::uint32_t>(n);
}

int bench_write(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto *s = static_cast<memory_stream *>(param);
    std::memcpy(s->out + s->out_pos, buffer, *size);
    s->out_pos += *size;
    return 0;
}

implode_work_area work_area;

std::size_t implode_decode_into(const bytes &stream, bytes &out) {
    memory_stream s{&stream, 0, out.data(), 0};
    if (implode_decode(bench_read, bench_write, &work_area, &s) != implode_ok) {
        std::abort();
    }
    return s.out_pos;
}

// Records the CPU time per iteration of every repetition of every benchmark
// by name (CPU time is steadier than wall time on a machine shared with
// builds) and gives the median of a benchmark's repetitions.
class recording_reporter : public benchmark::ConsoleReporter {
  public:
    // Plain text: the summary lines that follow start clean.
    recording_reporter() : benchmark::ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                // Keyed by the name as registered, without the run's settings.
                seconds_[run.run_name.function_name].push_back(run.cpu_accumulated_time /
                                                               static_cast<double>(run.iterations));
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Median CPU seconds per iteration, or a negative value when the
    // benchmark did not run.
    double median(const std::string &name) const {
        const auto found = seconds_.find(name);
        if (found == seconds_.end() || found->second.empty()) {
            return -1.0;
        }
        std::vector<double> v = found->second;
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n % 2 != 0 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

  private:
    std::map<std::string, std::vector<double>> seconds_;
};

// Repetitions of each decode benchmark; the ratio compares their medians.
constexpr int decode_repetitions = 9;
// Repetitions of each fast encode benchmark; its speed comes from their median.
constexpr int fast_encode_repetitions = 9;

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);

    std::vector<input_set> inputs;
    inputs.push_back({"text", load_text(), {}, 0, {}, 0, {}});
    bytes exe = read_file("/usr/bin/cmake", 4u << 20);
    if (exe.size() < (1u << 20)) {
        exe = generated_executable(4u << 20);
    }
    inputs.push_back({"executable", std::move(exe), {}, 0, {}, 0, {}});
    inputs.push_back({"mixed", generated_mixed(3u << 20), {}, 0, {}, 0, {}});

    for (auto &in : inputs) {
        in.implode_best = implode::implode_encode(in.raw, {});
        const bytes fast = implode::implode_encode(
            in.raw, {implode::literal_coding::binary, 6, implode::encode_level::fast});
        in.implode_fast_size = fast.size();
        in.zlib6 = zlib_compress(in.raw, 6);
        in.zlib9_size = zlib_compress(in.raw, 9).size();
        in.deflate6 = libdeflate_compress(in.raw, 6);
        bytes check(in.raw.size());
        for (const bytes *stream : {&std::as_const(in.implode_best), &fast}) {
            if (implode_decode_into(*stream, check) != in.raw.size() || check != in.raw) {
                std::fprintf(stderr, "implode round trip failed on %s\n", in.name.c_str());
                return 1;
            }
        }
        std::printf("%s: %zu bytes, implode best %zu, implode fast %zu, zlib -6 %zu, "
                    "zlib -9 %zu, libdeflate -6 %zu\n",
                    in.name.c_str(), in.raw.size(), in.implode_best.size(), in.implode_fast_size,
                    in.zlib6.size(), in.zlib9_size, in.deflate6.size());
    }

    for (auto &in : inputs) {
        const input_set *p = &in;
        const auto processed = static_cast<std::int64_t>(in.raw.size());
        benchmark::RegisterBenchmark(("decode/implode/" + in.name).c_str(),
                                     [p, processed](benchmark::State &state) {
                                         bytes out(p->raw.size());
                                         for (auto _ : state) {
                                             benchmark::DoNotOptimize(
                                                 implode_decode_into(p->implode_best, out));
                                             benchmark::ClobberMemory();
                                         }
                                         state.SetBytesProcessed(state.iterations() * processed);
                                     })
            ->MinWarmUpTime(0.5)
            ->Repetitions(decode_repetitions);
        benchmark::RegisterBenchmark(("decode/zlib_inflate/" + in.name).c_str(),
                                     [p, processed](benchmark::State &state) {
                                         bytes out(p->raw.size());
                                         for (auto _ : state) {
                                             uLongf size = static_cast<uLongf>(out.size());
                                             if (uncompress(out.data(), &size, p->zlib6.data(),
                                                            static_cast<uLong>(p->zlib6.size())) !=
                                                 Z_OK) {
                                                 std::abort();
                                             }
                                             benchmark::ClobberMemory();
                                         }
                                         state.SetBytesProcessed(state.iterations() * processed);
                                     })
            ->MinWarmUpTime(0.5)
            ->Repetitions(decode_repetitions);
        benchmark::RegisterBenchmark(
            ("decode/libdeflate/" + in.name).c_str(),
            [p, processed](benchmark::State &state) {
                libdeflate_decompressor *d = libdeflate_alloc_decompressor();
                bytes out(p->raw.size());
                for (auto _ : state) {
                    std::size_t size = 0;
                    if (libdeflate_deflate_decompress(d, p->deflate6.data(), p->deflate6.size(),
                                                      out.data(), out.size(),
                                                      &size) != LIBDEFLATE_SUCCESS ||
                        size != out.size()) {
                        std::abort();
                    }
                    benchmark::ClobberMemory();
                }
                libdeflate_free_decompressor(d);
                state.SetBytesProcessed(state.iterations() * processed);
            })
            ->MinWarmUpTime(0.5)
            ->Repetitions(decode_repetitions);
        for (auto level : {implode::encode_level::fast, implode::encode_level::best}) {
            const bool fast = level == implode::encode_level::fast;
            auto *bench = benchmark::RegisterBenchmark(
                ("encode/implode_" + std::string(fast ? "fast" : "best") + "/" + in.name).c_str(),
                [p, processed, level](benchmark::State &state) {
                    for (auto _ : state) {
                        benchmark::DoNotOptimize(implode::implode_encode(
                            p->raw, {implode::literal_coding::binary, 6, level}));
                    }
                    state.SetBytesProcessed(state.iterations() * processed);
                });
            bench->Unit(benchmark::kMillisecond);
            if (fast) {
                bench->MinWarmUpTime(0.5)->Repetitions(fast_encode_repetitions);
            }
        }
        benchmark::RegisterBenchmark(("encode/zlib_9/" + in.name).c_str(),
                                     [p, processed](benchmark::State &state) {
                                         for (auto _ : state) {
                                             benchmark::DoNotOptimize(zlib_compress(p->raw, 9));
                                         }
                                         state.SetBytesProcessed(state.iterations() * processed);
                                     })
            ->Unit(benchmark::kMillisecond);
    }

    recording_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    for (const auto &in : inputs) {
        const double ours = reporter.median("decode/implode/" + in.name);
        const double zlib = reporter.median("decode/zlib_inflate/" + in.name);
        const double deflate = reporter.median("decode/libdeflate/" + in.name);
        const double fast = reporter.median("encode/implode_fast/" + in.name);
        std::printf("%s:", in.name.c_str());
        if (ours > 0 && zlib > 0) {
            std::printf(" decode_ratio_vs_zlib: %.3f", ours / zlib);
        }
        if (ours > 0 && deflate > 0) {
            std::printf(" decode_ratio_vs_libdeflate: %.3f", ours / deflate);
        }
        std::printf(" size_ratio_vs_zlib9: %.3f", static_cast<double>(in.implode_best.size()) /
                                                      static_cast<double>(in.zlib9_size));
        if (fast > 0) {
            std::printf(" fast_encode_MBps: %.1f", static_cast<double>(in.raw.size()) / fast / 1e6);
        }
        std::printf("\n");
    }
    return 0;
}
