// launcher_explorer: whole launcher runs in the simulated desktop under
// random schedules (file faults, damaged payloads, late or missing windows,
// commands and a second launcher at random moments, awkward TEMP values),
// each checked against the invariants every run must keep.
//
//   launcher_explorer --seconds 15            seeds 1, 2, ... for 15 seconds
//   launcher_explorer --seconds 3600 --seed random --jobs 2   a campaign
//   launcher_explorer --replay 1234 [--trace] one run again, with its schedule
//   launcher_explorer --planted-faults        the checks catch faults put in on purpose
//
// Every run is a forked child with a sandbox of its own: the launcher keeps
// its state in static storage, which only a fresh process has zeroed.
#include "embedded_payloads.h"
#include "explored_run.h"
#include "host_files.h"
#include "planted_faults.h"
#include "run_schedule.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using explore::CarriedFiles;
using explore::RunRequest;

namespace {

// A run that has not ended after this much real time is stuck in a loop
// that virtual time does not see; a sound run takes well under a second.
constexpr unsigned stuck_run_seconds = 120;

struct Options {
    std::optional<uint64_t> seconds;
    std::optional<uint64_t> runs;
    uint64_t first_seed = 1;
    uint64_t jobs = 1;
    std::optional<uint64_t> replay;
    bool trace = false;
    bool planted_faults = false;
};

void usage(FILE *out) {
    std::fputs(
        "usage: launcher_explorer [--seconds S] [--runs N] [--seed N|random] [--jobs J]\n"
        "       launcher_explorer --replay SEED [--trace]\n"
        "       launcher_explorer --planted-faults\n"
        "Explores whole launcher runs under random schedules, from seed N on (default 1),\n"
        "J at a time, until S seconds have passed or N runs were made (default: 15 seconds).\n"
        "--replay runs one seed again and prints its schedule; --trace adds the call log.\n"
        "--planted-faults checks that faults put into a plain run on purpose are reported.\n",
        out);
}

bool parse_number(const std::string &text, uint64_t &value) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    char *end = nullptr;
    errno = 0;
    const unsigned long long parsed = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return false;
    value = parsed;
    return true;
}

std::optional<Options> parse_options(int argc, char **argv) {
    Options o;
    auto fail = [](const std::string &why) -> std::optional<Options> {
        std::fprintf(stderr, "launcher_explorer: %s\n", why.c_str());
        usage(stderr);
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            usage(stdout);
            std::exit(0);
        }
        if (arg == "--trace" || arg == "--planted-faults") {
            (arg == "--trace" ? o.trace : o.planted_faults) = true;
            continue;
        }
        std::optional<uint64_t> *target = arg == "--seconds"  ? &o.seconds
                                          : arg == "--runs"   ? &o.runs
                                          : arg == "--replay" ? &o.replay
                                                              : nullptr;
        if (!target && arg != "--seed" && arg != "--jobs")
            return fail("unknown option " + arg);
        if (i + 1 >= argc)
            return fail("option " + arg + " needs a value");
        const std::string value = argv[++i];
        uint64_t number = 0;
        if (arg == "--seed" && value == "random") {
            std::random_device device;
            o.first_seed = device() | (uint64_t{device()} << 32);
            continue;
        }
        if (!parse_number(value, number))
            return fail("option " + arg + " takes a whole number, not '" + value + "'");
        if (number == 0 && arg != "--seed" && arg != "--replay")
            return fail("option " + arg + " takes a number above 0");
        if (arg == "--seed")
            o.first_seed = number;
        else if (arg == "--jobs")
            o.jobs = number;
        else
            *target = number;
    }
    if (!o.seconds && !o.runs)
        o.seconds = 15;
    return o;
}

std::optional<CarriedFiles> carried_files() {
    std::optional<std::string> installer = explore::read_host_file(installer_input_path);
    std::optional<std::string> data = explore::read_host_file(data_input_path);
    if (!installer || !data) {
        std::fprintf(stderr, "launcher_explorer: cannot read the carried files %s and %s\n",
                     installer_input_path, data_input_path);
        return std::nullopt;
    }
    return CarriedFiles{*installer, *data};
}

// The children's folders, each with the child's sandbox (the desktop makes
// it under TMPDIR), its output and its outcome.
class RunFolders {
  public:
    RunFolders()
        : base_(fs::temp_directory_path() / ("launcher-explorer-" + std::to_string(getpid()))) {
        fs::create_directories(base_);
    }
    ~RunFolders() {
        std::error_code ignored;
        fs::remove_all(base_, ignored);
    }
    fs::path make(const std::string &name) const {
        fs::create_directories(base_ / name);
        return base_ / name;
    }

  private:
    fs::path base_;
};

// Starts one run in a forked child. With `capture`, its output goes to a
// file in its folder rather than to the terminal.
pid_t start_child(RunRequest request, const CarriedFiles &carried, const fs::path &folder,
                  bool capture) {
    std::fflush(nullptr); // or the child would write the parent's pending output again
    const pid_t child = fork();
    if (child != 0)
        return child;
    setenv("TMPDIR", folder.c_str(), 1);
    if (capture) {
        const int out = open((folder / "output.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            close(out);
        }
    }
    request.outcome_file = (folder / "outcome.txt").string();
    alarm(stuck_run_seconds);
    std::exit(explore::explore_one_run(request, carried));
}

std::string what_ended_it(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 1 ? "invariants violated"
                                        : "exit code " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
        return "still running after " + std::to_string(stuck_run_seconds) + " s of real time";
    if (WIFSIGNALED(status))
        return std::string("killed by signal ") + strsignal(WTERMSIG(status));
    return "ended oddly";
}

bool passed(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string file_text(const fs::path &file) {
    return explore::read_host_file(file.string()).value_or("");
}

void report_failure(const char *self, uint64_t seed, int status, const fs::path &folder) {
    std::printf("FAILED seed %llu: %s\n", static_cast<unsigned long long>(seed),
                what_ended_it(status).c_str());
    std::printf("  replay: %s --replay %llu --trace\n", self,
                static_cast<unsigned long long>(seed));
    std::printf("  schedule:\n%s", explore::describe(explore::draw_schedule(seed)).c_str());
    std::printf("%s", file_text(folder / "output.txt").c_str());
    std::fflush(stdout);
}

int replay(uint64_t seed, const CarriedFiles &carried, bool trace) {
    std::printf("seed %llu\n  schedule:\n%s", static_cast<unsigned long long>(seed),
                explore::describe(explore::draw_schedule(seed)).c_str());
    std::fflush(stdout);
    RunFolders folders;
    const fs::path folder = folders.make("replay");
    int status = 0;
    waitpid(start_child(RunRequest{.seed = seed, .trace = trace}, carried, folder, false), &status,
            0);
    std::printf("way through: %s", file_text(folder / "outcome.txt").c_str());
    std::printf("%s\n", passed(status) ? "all invariants hold"
                                       : ("FAILED: " + what_ended_it(status)).c_str());
    return passed(status) ? 0 : 1;
}

int check_planted_faults(const CarriedFiles &carried) {
    RunFolders folders;
    int missed = 0;
    // Without a planted fault the plain run keeps every invariant, so what
    // each planted run reports comes from its fault.
    const explore::PlantedFault none{"nothing", "", [](explore::Schedule &) {},
                                     [](const explore::RunPaths &) {}};
    {
        const fs::path folder = folders.make("plain");
        int status = 0;
        waitpid(start_child(RunRequest{.planted = &none}, carried, folder, true), &status, 0);
        std::printf("%s: the plain run without a planted fault\n",
                    passed(status) ? "clean" : "FAILED");
        if (!passed(status)) {
            ++missed;
            std::printf("%s", file_text(folder / "output.txt").c_str());
        }
    }
    for (const explore::PlantedFault &planted : explore::planted_faults()) {
        const fs::path folder = folders.make("planted");
        int status = 0;
        waitpid(start_child(RunRequest{.planted = &planted}, carried, folder, true), &status, 0);
        const std::string output = file_text(folder / "output.txt");
        const bool caught =
            !passed(status) && output.find(planted.expected_violation) != std::string::npos;
        std::printf("%s: %s\n", caught ? "caught" : "MISSED", planted.name.c_str());
        if (caught) {
            std::printf("%s", output.c_str());
        } else {
            ++missed;
            std::printf("  expected a violation with \"%s\"; the run ended with %s:\n%s",
                        planted.expected_violation.c_str(),
                        passed(status) ? "no violation" : what_ended_it(status).c_str(),
                        output.c_str());
        }
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    return missed == 0 ? 0 : 1;
}

int explore_seeds(const char *self, const Options &options, const CarriedFiles &carried) {
    RunFolders folders;
    std::printf("exploring from seed %llu\n", static_cast<unsigned long long>(options.first_seed));
    std::fflush(stdout);
    const auto started = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    uint64_t next_seed = options.first_seed;
    uint64_t runs = 0;
    uint64_t failures = 0;
    std::map<std::string, uint64_t> ways_through;
    std::map<pid_t, uint64_t> running;
    for (;;) {
        while (running.size() < options.jobs && (!options.runs || runs < *options.runs) &&
               (!options.seconds || elapsed() < static_cast<double>(*options.seconds))) {
            const uint64_t seed = next_seed++;
            const pid_t child = start_child(RunRequest{.seed = seed}, carried,
                                            folders.make(std::to_string(seed)), true);
            if (child < 0) {
                std::perror("launcher_explorer: fork");
                return 2;
            }
            running[child] = seed;
            ++runs;
        }
        if (running.empty())
            break;
        int status = 0;
        const pid_t ended = waitpid(-1, &status, 0);
        if (ended < 0)
            break;
        const auto it = running.find(ended);
        if (it == running.end())
            continue;
        const uint64_t seed = it->second;
        running.erase(it);
        const fs::path folder = folders.make(std::to_string(seed));
        std::string way = file_text(folder / "outcome.txt");
        ++ways_through[way.empty() ? "(did not finish)" : way.substr(0, way.find('\n'))];
        if (!passed(status)) {
            ++failures;
            report_failure(self, seed, status, folder);
        }
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    const double seconds = elapsed();
    std::printf("ways through:\n");
    for (const auto &[way, count] : ways_through)
        std::printf("  %6llu  %s\n", static_cast<unsigned long long>(count), way.c_str());
    std::printf(
        "explored %llu runs (seeds %llu to %llu) in %.1f s, %.2f runs a second; %llu failed\n",
        static_cast<unsigned long long>(runs), static_cast<unsigned long long>(options.first_seed),
        static_cast<unsigned long long>(next_seed - 1), seconds,
        seconds > 0 ? static_cast<double>(runs) / seconds : 0.0,
        static_cast<unsigned long long>(failures));
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    const std::optional<Options> options = parse_options(argc, argv);
    if (!options)
        return 2;
    const std::optional<CarriedFiles> carried = carried_files();
    if (!carried)
        return 2;
    if (options->planted_faults)
        return check_planted_faults(*carried);
    if (options->replay)
        return replay(*options->replay, *carried, options->trace);
    return explore_seeds(argv[0], *options, *carried);
}
