// CreateProcessA as the launcher calls it: no application name and an
// unquoted command line whose path may hold blanks.
#include "observations.h"
#include "peer_world.h"

namespace conformance {

namespace {

std::string start(std::string command_line) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    SetLastError(0);
    BOOL started = CreateProcessA(NULL, command_line.data(), NULL, NULL, TRUE,
                                  NORMAL_PRIORITY_CLASS, NULL, NULL, &startup, &process);
    if (!started)
        return "not started, error=" + std::to_string(GetLastError());
    DWORD code = 0;
    WaitForSingleObject(process.hProcess, 10000);
    GetExitCodeProcess(process.hProcess, &code);
    return "ran, exit code " + std::to_string(code);
}

void unquoted_path_with_blanks(std::vector<std::string> &observed) {
    const std::string folder = work_folder() + "\\exit7 b";
    CreateDirectoryA(folder.c_str(), NULL);
    place_peer(folder + "\\installer.exe", Role::exit_zero);
    DeleteFileA((work_folder() + "\\exit7.exe").c_str());
    observed.push_back("-- nothing planted: " + start(folder + "\\installer.exe x"));
    place_peer(work_folder() + "\\exit7.exe", Role::exit_seven);
    observed.push_back("-- exit7.exe planted: " + start(folder + "\\installer.exe x"));
    DeleteFileA((work_folder() + "\\exit7.exe").c_str());
}

void missing_or_damaged(std::vector<std::string> &observed) {
    observed.push_back("missing: " + start(work_folder() + "\\nothere.exe i"));
    const std::string junk = work_folder() + "\\junk.exe";
    int fd = _open(junk.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    _write(fd, "not a program", 13);
    _close(fd);
    observed.push_back("damaged: " + start(junk + " i"));
    DeleteFileA(junk.c_str());
}

} // namespace

std::vector<Scenario> process_scenarios() {
    return {
        {"unquoted_path_with_blanks",
         "without an application name, an unquoted command line is tried blank by blank with "
         ".exe added: a planted file at the first blank runs instead of the program",
         {
             {"-- nothing planted: ran, exit code 0"},
             {"-- exit7.exe planted: ran, exit code 7"},
         },
         unquoted_path_with_blanks},
        {"missing_or_damaged",
         "a missing program fails with ERROR_FILE_NOT_FOUND, a file that is no program with "
         "ERROR_BAD_EXE_FORMAT",
         {{"missing: not started, error=2"}, {"damaged: not started, error=193"}},
         missing_or_damaged},
    };
}

} // namespace conformance
