// Starts a program with changed environment variables and returns its exit
// code. Wine sets TEMP and TMP from the prefix's registry, whatever the Unix
// environment says, so the tests set them here, on the Windows side.
//
//   e2e_run_env [--timeout-ms N] NAME=VALUE... [-NAME...] -- PROGRAM [ARGUMENT...]
//   e2e_run_env [--timeout-ms N] [--show N] NAME=VALUE... [-NAME...]
//               --raw PROGRAM COMMAND_LINE_IN_HEX
//
// NAME=VALUE sets a variable, -NAME removes it. The program is started with
// the current directory and the standard handles of this one. --raw starts
// PROGRAM with exactly the given command line (its bytes in hex, so that any
// byte gets through), whatever program name that line begins with. --show
// puts STARTF_USESHOWWINDOW and that show command into the start-up record.
// Exit codes: the program's own; 124 when it ran past the time-out and was
// ended; 125 usage or start failure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Quotes an argument the way the runtime's start-up code splits it again.
void append_argument(std::string &line, const char *arg) {
    if (!line.empty())
        line += ' ';
    if (*arg != '\0' && std::strpbrk(arg, " \t\"") == nullptr) {
        line += arg;
        return;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (const char *p = arg; *p != '\0'; ++p) {
        if (*p == '\\') {
            ++backslashes;
            continue;
        }
        if (*p == '"')
            line.append(backslashes * 2 + 1, '\\');
        else
            line.append(backslashes, '\\');
        backslashes = 0;
        line += *p;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
}

// "4142" -> "AB"; false on anything but pairs of hex digits.
bool from_hex(const char *hex, std::string &bytes) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    bytes.clear();
    for (const char *p = hex; *p != '\0'; p += 2) {
        if (p[1] == '\0' || digit(p[0]) < 0 || digit(p[1]) < 0)
            return false;
        bytes += static_cast<char>(digit(p[0]) * 16 + digit(p[1]));
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    unsigned long timeout_ms = 60000;
    const char *application = nullptr;
    std::string command_line;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--timeout-ms") == 0 && i + 1 < argc) {
            timeout_ms = std::strtoul(argv[++i], nullptr, 10);
        } else if (std::strcmp(arg, "--show") == 0 && i + 1 < argc) {
            startup.dwFlags |= STARTF_USESHOWWINDOW;
            startup.wShowWindow = static_cast<WORD>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(arg, "--raw") == 0 && i + 2 < argc) {
            application = argv[++i];
            if (!from_hex(argv[++i], command_line)) {
                std::fprintf(stderr, "e2e_run_env: bad hex command line %s\n", argv[i]);
                return 125;
            }
        } else if (arg[0] == '-') {
            SetEnvironmentVariableA(arg + 1, nullptr);
        } else if (const char *eq = std::strchr(arg, '='); eq != nullptr && eq != arg) {
            const std::string name(arg, eq);
            SetEnvironmentVariableA(name.c_str(), eq + 1);
        } else {
            std::fprintf(stderr, "e2e_run_env: bad argument %s\n", arg);
            return 125;
        }
    }
    if (application == nullptr) {
        if (i + 1 >= argc) {
            std::fprintf(stderr,
                         "usage: e2e_run_env [--timeout-ms N] [--show N] NAME=VALUE... [-NAME...] "
                         "{-- PROGRAM [ARGUMENT...] | --raw PROGRAM COMMAND_LINE_IN_HEX}\n");
            return 125;
        }
        for (++i; i < argc; ++i)
            append_argument(command_line, argv[i]);
    }

    PROCESS_INFORMATION process{};
    if (!CreateProcessA(application, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process)) {
        std::fprintf(stderr, "e2e_run_env: cannot start %s: error %lu\n", command_line.c_str(),
                     GetLastError());
        return 125;
    }
    CloseHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, timeout_ms) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "e2e_run_env: %s still running after %lu ms; ended\n",
                     command_line.c_str(), timeout_ms);
        TerminateProcess(process.hProcess, 124);
        WaitForSingleObject(process.hProcess, 5000);
        return 124;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}
