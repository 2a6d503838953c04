// Test runner for tests that run the launcher: the launcher keeps its state
// in static storage, which only a fresh process gives back zeroed, so every
// test runs in a process of its own. ctest already starts one process per
// test (and sets LAUNCHER_TEST_CHILD); run directly, this main lists the
// selected tests and runs each in a child process.
#include "carried_payloads.h"
#include "run_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// The tests the filter selects, as gtest lists them in a child process.
std::vector<std::string> selected_tests(const char *self) {
    std::string filter = "--gtest_filter=" + GTEST_FLAG_GET(filter);
    char list[] = "--gtest_list_tests";
    char *argv[] = {const_cast<char *>(self), list, filter.data(), nullptr};
    int fds[2];
    std::vector<std::string> names;
    if (pipe(fds) != 0)
        return names;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid;
    int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    if (spawned != 0)
        return names;
    waitpid(pid, nullptr, 0);
    // "Suite." lines, each followed by indented "  Test  # comment" lines.
    std::string suite;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty())
            continue;
        if (line[0] != ' ') {
            suite = line.substr(0, line.find(' '));
        } else {
            std::string test = line.substr(2);
            test = test.substr(0, test.find(' '));
            names.push_back(suite + test);
        }
    }
    return names;
}

int run_child(const char *self, const std::string &test) {
    std::string filter = "--gtest_filter=" + test;
    char *argv[] = {const_cast<char *>(self), filter.data(), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, self, nullptr, nullptr, argv, environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    if (std::getenv("LAUNCHER_TEST_CHILD") || GTEST_FLAG_GET(list_tests)) {
        // Every launcher carries its payloads, as its executable would.
        simulated_demo::register_carried_payloads();
        int result = RUN_ALL_TESTS();
        scenario::report_run_if_asked();
        return result;
    }
    setenv("LAUNCHER_TEST_CHILD", "1", 1);
    std::vector<std::string> failed;
    std::vector<std::string> tests = selected_tests(argv[0]);
    for (const std::string &test : tests)
        if (run_child(argv[0], test) != 0)
            failed.push_back(test);
    for (const std::string &test : failed)
        std::printf("FAILED: %s\n", test.c_str());
    std::printf("%zu passed, %zu failed\n", tests.size() - failed.size(), failed.size());
    return failed.empty() ? 0 : 1;
}
