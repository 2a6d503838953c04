// The time of a whole simulated launcher run with the payloads it carries,
// against decoding the same payloads straight into files without the
// launcher around it, measured in the same run.
//
// The launcher keeps its state in static storage and runs once per process,
// so every iteration of either side runs in a child process of its own; the
// cost of starting one is in both sides alike.
//   build/host-release/bench/whole_run_bench
#include "carried_payloads.h"
#include "embedded_payloads.h"
#include "implode/implode_decoder.h"
#include "payload/payload_figures.h"
#include "platform/host/sim.h"
#include "simulated_installer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs `work` in a child process and waits for it; false when it failed.
template <class Work> bool in_child(Work work) {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work() ? 0 : 1);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool simulated_run() {
    simulated_demo::register_carried_payloads();
    // The installer's own work (reading the data file) is not the launcher's.
    simulated_demo::prepare_run(
        "C:\\WINDOWS\\TEMP",
        {.window_at_ms = 0, .ends_after_hide_ms = 0, .checks_data_on_hide = false});
    return sim::run_launcher("launcher.exe") == 0 && sim::message_boxes().empty() &&
           sim::faults().empty();
}

// Straight decoding: a stream from memory into a file, in the decoder's own
// read and write sizes.
struct Straight {
    const unsigned char *input;
    uint32_t length;
    uint32_t consumed;
    int descriptor;
};

uint32_t straight_read(uint8_t *buffer, uint32_t *size, void *param) {
    Straight *s = static_cast<Straight *>(param);
    uint32_t n = std::min(*size, s->length - s->consumed);
    std::memcpy(buffer, s->input + s->consumed, n);
    s->consumed += n;
    return n;
}

int straight_write(uint8_t *buffer, uint32_t *size, void *param) {
    return static_cast<int>(::write(static_cast<Straight *>(param)->descriptor, buffer, *size));
}

implode_work_area work_area;

bool decode_to_file(const unsigned char *input, uint32_t length, const std::string &path) {
    Straight s{input, length, 0, ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)};
    const int result = implode_decode(straight_read, straight_write, &work_area, &s);
    ::close(s.descriptor);
    return result == implode_ok && s.descriptor >= 0;
}

bool straight_decode() {
    char folder[] = "/tmp/kelvara-straight-XXXXXX";
    if (!mkdtemp(folder))
        return false;
    const std::string installer = std::string(folder) + "/uninstall.client.exe";
    const std::string data = std::string(folder) + "/client.klv.datafile";
    const bool ok = decode_to_file(installer_payload_bytes, installer_payload_length, installer) &&
                    decode_to_file(data_payload_bytes, data_payload_length, data);
    // The simulated run leaves its sandbox behind it too.
    ::unlink(installer.c_str());
    ::unlink(data.c_str());
    ::rmdir(folder);
    return ok;
}

void BM_SimulatedWholeRun(benchmark::State &state) {
    for (auto _ : state)
        if (!in_child(simulated_run))
            state.SkipWithError("the simulated run failed");
}

void BM_StraightDecodeIntoFiles(benchmark::State &state) {
    for (auto _ : state)
        if (!in_child(straight_decode))
            state.SkipWithError("decoding failed");
}

BENCHMARK(BM_SimulatedWholeRun)->Unit(benchmark::kMillisecond)->Repetitions(9)->UseRealTime();
BENCHMARK(BM_StraightDecodeIntoFiles)->Unit(benchmark::kMillisecond)->Repetitions(9)->UseRealTime();

// Prints the ratio of the two medians after the benchmarks.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs)
            if (run.aggregate_name == "median")
                (run.run_name.function_name == "BM_SimulatedWholeRun" ? whole_ : straight_) =
                    run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (whole_ > 0 && straight_ > 0)
            std::printf("whole_run_ratio_vs_straight_decode: %.3f (medians %.2f ms and %.2f ms)\n",
                        whole_ / straight_, whole_, straight_);
    }

  private:
    double whole_ = 0, straight_ = 0;
};

} // namespace

int main(int argc, char **argv) {
    // One run in this process, for a profiler.
    if (argc == 2 && std::string(argv[1]) == "--once")
        return simulated_run() ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
