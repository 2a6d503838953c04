// Files of the simulated desktop: the mapping of Windows paths, errors as
// Windows and its runtime give them, free space, full disks and busy files.
#include "desktop_programs.h"
#include "intent_names.h"
#include "platform/host/sim.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

constexpr int write_flags = _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY;
constexpr int permission = _S_IREAD | _S_IWRITE;

int write_file(const char *path, const std::string &bytes, int flags = write_flags) {
    int fd = _open(path, flags, permission);
    int written = _write(fd, bytes.data(), static_cast<unsigned>(bytes.size()));
    _close(fd);
    return written;
}

struct PathCase {
    const char *intent;
    const char *written;
    const char *looked_up;
    bool found;
};

class PathMapping : public testing::TestWithParam<PathCase> {};

TEST_P(PathMapping, FindsAFileAsWindowsWould) {
    const PathCase &c = GetParam();
    sim::make_folder("C:\\Data\\Sub");
    sim::put_file(c.written, std::string("x"));
    EXPECT_EQ(sim::file_exists(c.looked_up), c.found) << c.intent;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PathMapping,
    testing::Values(
        PathCase{"same spelling", "C:\\Data\\a.txt", "C:\\Data\\a.txt", true},
        PathCase{"names without regard to case", "C:\\Data\\Sub\\File.TXT",
                 "c:\\DATA\\sub\\file.txt", true},
        PathCase{"forward slashes", "C:\\Data\\a.txt", "C:/Data/a.txt", true},
        PathCase{"dot and dot-dot", "C:\\Data\\a.txt", "C:\\Data\\Sub\\..\\.\\a.txt", true},
        PathCase{"relative to the current folder", "C:\\Users\\Public\\Downloads\\r.txt", "r.txt",
                 true},
        PathCase{"root of the current drive", "C:\\Data\\a.txt", "\\Data\\a.txt", true},
        PathCase{"another name is another file", "C:\\Data\\a.txt", "C:\\Data\\b.txt", false},
        PathCase{"unknown drive", "C:\\Data\\a.txt", "Q:\\Data\\a.txt", false}),
    scenario::IntentName());

TEST(PathMapping, KeepsNamesAsWritten) {
    sim::make_folder("C:\\Data");
    write_file("c:\\data\\MixedCase.Bin", "1");
    EXPECT_EQ(sim::folder_listing("C:\\Data"), std::vector<std::string>{"MixedCase.Bin"});
}

struct OpenCase {
    const char *intent;
    const char *path;
    int flags;
    int expected_errno; // 0: opens
};

class OpenErrors : public testing::TestWithParam<OpenCase> {};

TEST_P(OpenErrors, SetErrnoAsTheRuntimeDoes) {
    const OpenCase &c = GetParam();
    sim::make_folder("C:\\Data");
    sim::put_file("C:\\Data\\old.bin", std::string("old"));
    sim::refuse_open("C:\\Data\\refused.bin");
    errno = 0;
    int fd = _open(c.path, c.flags, permission);
    EXPECT_EQ(fd < 0 ? errno : 0, c.expected_errno) << c.intent;
}

INSTANTIATE_TEST_SUITE_P(
    Table, OpenErrors,
    testing::Values(OpenCase{"new file", "C:\\Data\\new.bin", write_flags, 0},
                    OpenCase{"missing without create", "C:\\Data\\new.bin", _O_WRONLY | _O_BINARY,
                             ENOENT},
                    OpenCase{"missing folder", "C:\\Nowhere\\new.bin", write_flags, ENOENT},
                    OpenCase{"exclusive on an existing file", "C:\\Data\\old.bin",
                             write_flags | _O_EXCL, EEXIST},
                    OpenCase{"a folder", "C:\\Data", write_flags, EACCES},
                    OpenCase{"refused as busy", "C:\\Data\\refused.bin", write_flags, EACCES}),
    scenario::IntentName());

TEST(Writing, WithoutTruncateTheTailStaysAndTextModeAddsCarriageReturns) {
    write_file("C:\\WINDOWS\\TEMP\\f.bin", "ABCDEFGH");
    write_file("C:\\WINDOWS\\TEMP\\f.bin", "xy", _O_WRONLY | _O_CREAT | _O_BINARY);
    EXPECT_EQ(sim::read_file("C:\\WINDOWS\\TEMP\\f.bin"), "xyCDEFGH");
    EXPECT_EQ(write_file("C:\\WINDOWS\\TEMP\\t.txt", "a\nb", _O_WRONLY | _O_CREAT | _O_TRUNC), 3);
    EXPECT_EQ(sim::read_file("C:\\WINDOWS\\TEMP\\t.txt"), "a\r\nb");
}

TEST(Writing, ToABadOrReadOnlyDescriptorFailsWithEbadf) {
    errno = 0;
    EXPECT_EQ(_write(42, "x", 1), -1);
    EXPECT_EQ(errno, EBADF);
    sim::put_file("C:\\WINDOWS\\TEMP\\r.bin", std::string("r"));
    int fd = _open("C:\\WINDOWS\\TEMP\\r.bin", _O_RDONLY | _O_BINARY, 0);
    errno = 0;
    EXPECT_EQ(_write(fd, "x", 1), -1);
    EXPECT_EQ(errno, EBADF);
}

TEST(FreeSpace, FilesTakeWholeClustersAndGiveThemBack) {
    sim::set_drive('D', 8, 512, 100, 100); // 4 KiB clusters
    sim::make_folder("D:\\t");
    write_file("D:\\t\\f.bin", std::string(10000, 'x'));
    EXPECT_EQ(sim::free_bytes('D'), 97u * 4096);
    write_file("D:\\t\\f.bin", std::string(10, 'x'));
    EXPECT_EQ(sim::free_bytes('D'), 99u * 4096) << "truncating gives clusters back";
    EXPECT_TRUE(DeleteFileA("D:\\t\\f.bin"));
    EXPECT_EQ(sim::free_bytes('D'), 100u * 4096);
}

TEST(FullDisk, AWriteThatDoesNotFitFailsWholeWithEnospc) {
    sim::set_drive('D', 8, 512, 2, 2); // 8 KiB
    sim::make_folder("D:\\t");
    int fd = _open("D:\\t\\f.bin", write_flags, permission);
    std::string block(4096, 'x');
    EXPECT_EQ(_write(fd, block.data(), 4096), 4096);
    errno = 0;
    EXPECT_EQ(_write(fd, block.data(), 4096 + 1), -1);
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(_write(fd, block.data(), 4096), 4096) << "what fits still goes";
    _close(fd);
    EXPECT_EQ(sim::read_file("D:\\t\\f.bin")->size(), 8192u);
}

TEST(FullDisk, InjectedForOneFileAfterSoManyBytes) {
    sim::fill_disk_after("C:\\WINDOWS\\TEMP\\client.klv.datafile", 5000);
    int fd = _open("C:\\WINDOWS\\TEMP\\client.klv.datafile", write_flags, permission);
    std::string block(4096, 'x');
    EXPECT_EQ(_write(fd, block.data(), 4096), 4096);
    errno = 0;
    EXPECT_EQ(_write(fd, block.data(), 4096), -1);
    EXPECT_EQ(errno, ENOSPC);
    _close(fd);
    EXPECT_EQ(sim::read_file("C:\\WINDOWS\\TEMP\\client.klv.datafile")->size(), 4096u);
}

struct DeleteCase {
    const char *intent;
    const char *path;
    DWORD error; // 0: deleted
};

class Deleting : public testing::TestWithParam<DeleteCase> {};

TEST_P(Deleting, FailsWithWindowsErrors) {
    const DeleteCase &c = GetParam();
    sim::make_folder("C:\\Data");
    sim::put_file("C:\\Data\\plain.bin", std::string("p"));
    sim::put_file("C:\\Data\\refused.bin", std::string("r"));
    sim::refuse_delete("C:\\Data\\refused.bin", ERROR_ACCESS_DENIED);
    _close(_open("C:\\Data\\created_read_only.bin", write_flags, _S_IREAD));
    int held = _open("C:\\Data\\held.bin", write_flags, permission);
    SetLastError(0);
    BOOL deleted = DeleteFileA(c.path);
    EXPECT_EQ(deleted ? 0u : GetLastError(), c.error) << c.intent;
    EXPECT_EQ(sim::file_exists(c.path),
              c.error != 0 && c.error != ERROR_FILE_NOT_FOUND && c.error != ERROR_PATH_NOT_FOUND);
    _close(held);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Deleting,
    testing::Values(
        DeleteCase{"a plain file", "C:\\Data\\plain.bin", 0},
        DeleteCase{"missing file", "C:\\Data\\none.bin", ERROR_FILE_NOT_FOUND},
        DeleteCase{"missing folder", "C:\\None\\none.bin", ERROR_PATH_NOT_FOUND},
        DeleteCase{"refused as injected", "C:\\Data\\refused.bin", ERROR_ACCESS_DENIED},
        DeleteCase{"created read-only", "C:\\Data\\created_read_only.bin", ERROR_ACCESS_DENIED},
        DeleteCase{"held open by the runtime", "C:\\Data\\held.bin", ERROR_SHARING_VIOLATION}),
    scenario::IntentName());

TEST(BusyFile, ARunningProgramsFileCanBeRenamedButNotDeletedOrWritten) {
    const char *image = "C:\\WINDOWS\\TEMP\\uninstall.client.exe";
    scenario::start_running_installer();
    EXPECT_FALSE(DeleteFileA(image));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    errno = 0;
    EXPECT_EQ(_open(image, write_flags, permission), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_TRUE(MoveFileA(image, "C:\\WINDOWS\\TEMP\\uninstall.client.exe_"));
    // The program runs on from the new name; the old one is free.
    EXPECT_FALSE(DeleteFileA("C:\\WINDOWS\\TEMP\\uninstall.client.exe_"));
    int fd = _open(image, write_flags, permission);
    EXPECT_GE(fd, 0);
    _close(fd);
}

TEST(Moving, RefusesAnExistingTargetAndInjectedFaults) {
    sim::put_file("C:\\WINDOWS\\TEMP\\a", std::string("a"));
    sim::put_file("C:\\WINDOWS\\TEMP\\b", std::string("b"));
    EXPECT_FALSE(MoveFileA("C:\\WINDOWS\\TEMP\\a", "C:\\WINDOWS\\TEMP\\b"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    sim::refuse_move("C:\\WINDOWS\\TEMP\\a", ERROR_ACCESS_DENIED, 1);
    EXPECT_FALSE(MoveFileA("C:\\WINDOWS\\TEMP\\a", "C:\\WINDOWS\\TEMP\\c"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(MoveFileA("C:\\WINDOWS\\TEMP\\a", "C:\\WINDOWS\\TEMP\\c")) << "refused once only";
    EXPECT_EQ(sim::read_file("C:\\WINDOWS\\TEMP\\c"), "a");
}

} // namespace
