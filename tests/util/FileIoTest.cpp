#include "util/FileIo.h"
#include "util/Paths.h"

#include "../TestSupport.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#endif

#include <chrono>
#include <functional>
#include <thread>

using namespace kr39;

namespace {

std::size_t EntriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class Files : public kr39test::TempDir {
protected:
    void TearDown() override
    {
        SetWriteFaultHookForTesting(nullptr);
        TempDir::TearDown();
    }
};

std::size_t OpenDescriptors()
{
#ifdef _WIN32
    return 0; // no descriptor table to count
#else
    return EntriesIn("/proc/self/fd");
#endif
}

} // namespace

TEST_F(Files, StationBaseNameAndNameInAnyLetterCase)
{
    for (const auto& [path, base] : std::vector<std::pair<std::string, std::string>> {
             {"/home/u/Line4.CSE", "Line4"}, {"C:\\Data\\Line4.CSE", "Line4"}, {"Line4", "Line4"},
             {"a.b.CSE", "a.b"}, {"/dir.x/L", "L"}, {"", ""}})
        EXPECT_EQ(StationBaseName(path), base) << path;

    fs::create_directories(dir / "Modules");
    EXPECT_TRUE(fs::equivalent(FindNoCase(dir, "modules"), dir / "Modules"));
    fs::create_directories(dir / "modules");
    // The exact spelling wins, whatever the order of the folder.
    EXPECT_EQ(FindNoCase(dir, "modules"), dir / "modules");
    EXPECT_EQ(FindNoCase(dir, "Modules"), dir / "Modules");
    EXPECT_EQ(FindNoCase(dir, "absent"), dir / "absent");
}

TEST_F(Files, ReadsBytesUnchangedAndRefusesWhatIsNoFileOrTooLarge)
{
    const std::string bytes("x\xE4\0\r\n\xFF", 6);
    Write("f", bytes);
    EXPECT_EQ(ReadFileBytes(dir / "f").Value(), bytes);
    EXPECT_TRUE(ReadFileBytes(dir / "f", 6).Ok());
    EXPECT_FALSE(ReadFileBytes(dir / "f", 5).Ok());
    EXPECT_FALSE(ReadFileBytes(dir / "missing").Ok());
    EXPECT_FALSE(ReadFileBytes(dir).Ok());
    // A sparse file just over the limit is refused without being read.
    std::ofstream(dir / "huge").close();
    fs::resize_file(dir / "huge", MaxReadBytes + 1);
    const auto huge = ReadFileBytes(dir / "huge");
    ASSERT_FALSE(huge.Ok());
    EXPECT_NE(huge.Error().What.find(std::to_string(MaxReadBytes + 1)), std::string::npos);
}

TEST_F(Files, AtomicWriteFailsAtEveryStepAndOnImpossibleTargetsKeepingTheOldFile)
{
    Write("f", "old");
    const auto descriptorsBefore = OpenDescriptors();
    for (const char* step : {"create", "write", "flush", "close", "rename"}) {
        SetWriteFaultHookForTesting([&](std::string_view s) { return s != step; });
        auto result = WriteFileAtomic(dir / "f", "new");
        ASSERT_FALSE(result.Ok()) << step;
        EXPECT_NE(result.Error().What, "") << step;
        EXPECT_EQ(Read("f"), "old") << step;
        EXPECT_EQ(EntriesIn(dir), 1u) << step << ": no temporary file is left";
    }
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore);
    SetWriteFaultHookForTesting(nullptr);

    fs::permissions(dir / "f", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto readOnly = WriteFileAtomic(dir / "f", "new");
    ASSERT_FALSE(readOnly.Ok());
    EXPECT_NE(readOnly.Error().What.find("read-only"), std::string::npos);
    EXPECT_EQ(Read("f"), "old");

    EXPECT_FALSE(WriteFileAtomic(dir, "x").Ok());
    const auto missing = WriteFileAtomic(dir / "nope" / "f", "x");
    ASSERT_FALSE(missing.Ok());
    EXPECT_NE(missing.Error().What.find("folder"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "nope"));
}

TEST_F(Files, PiecesAreWrittenInTheirOrder)
{
    const std::string big(300 * 1024, 'b'); // more than one block: written on its own
    std::vector<std::string_view> pieces(70000, "0123");
    pieces[30000] = big;
    pieces.back() = "end";
    ASSERT_TRUE(WriteFileAtomic(dir / "f", pieces).Ok());
    const auto expected
        = kr39test::Repeat(30000, "0123", "") + big + kr39test::Repeat(39998, "0123", "") + "end";
    EXPECT_TRUE(Read("f") == expected); // not printed: 580 kB
}

// Odd write targets, other users, full disks, reading limits and locks: the POSIX side.
#ifndef _WIN32
namespace {

// User and group nobody, for the tests of what another user may do.
constexpr uid_t kNobody = 65534;

// Runs `work` in a child process as user and group nobody; its exit code, 100 when the
// child could not become nobody, -1 when it did not end normally.
int RunAsNobody(const std::function<int()>& work)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 100;
        if (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0)
            code = work();
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string kOld = "old\r\n";
const std::string kNew = kr39test::Repeat(2048, "new"); // two pages: more room than the old file takes

// What a write must keep of a target: its kind, owner, group and mode.
std::string Kept(const fs::path& path)
{
    struct stat st { };
    if (::lstat(path.c_str(), &st) != 0)
        return "missing";
    return std::to_string(st.st_mode) + " " + std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid);
}

// A target with something odd about it: where it is made, who writes it, what must follow.
struct OddTarget {
    std::string Name;
    bool NeedsRoot = false;
    bool AsNobody = false;
    // Makes the target in the test's folder and returns its name; "skip" when the machine
    // cannot make it (no mount permitted).
    std::function<fs::path(const fs::path& dir)> Prepare;
    std::string Error; // a part of the failure; empty when the write succeeds
    std::function<void(const fs::path& dir)> Check = [](const fs::path&) {};
    std::size_t Made = 0; // entries the write adds to the target's folder
    friend void PrintTo(const OddTarget& c, std::ostream* os) { *os << c.Name; }
};

class WriteTarget : public Files, public ::testing::WithParamInterface<OddTarget> { };

// A file with the old content, owned by `owner`, with `mode`.
fs::path OldFile(const fs::path& path, uid_t owner = ::geteuid(), mode_t mode = 0644)
{
    kr39test::WriteBytes(path, kOld);
    EXPECT_TRUE(owner == ::geteuid() || ::chown(path.c_str(), owner, owner) == 0);
    fs::permissions(path, static_cast<fs::perms>(mode));
    return path;
}

// A folder owned by `owner` with `mode`.
fs::path Folder(const fs::path& path, uid_t owner, mode_t mode)
{
    fs::create_directories(path);
    EXPECT_EQ(::chown(path.c_str(), owner, owner), 0);
    fs::permissions(path, static_cast<fs::perms>(mode));
    return path;
}

// A node made by mknod in the test's folder, or "skip": a fault that renamed a file over a
// device would replace only this node, never the machine's.
fs::path Node(const fs::path& path, mode_t type, unsigned major, unsigned minor)
{
    return ::mknod(path.c_str(), type | 0666, makedev(major, minor)) == 0 ? path : fs::path("skip");
}

// A block device node of a number no driver has (block majors 60 to 63 are for local use), so
// that not even a faulty open could reach a disk.
fs::path UnusedBlockDevice(const fs::path& path)
{
    const auto devices = kr39test::ReadBytes("/proc/devices");
    const auto block = devices.substr(devices.find("Block devices:"));
    for (unsigned major = 60; major <= 63; ++major)
        if (block.find("\n" + std::to_string(major) + " ") == std::string::npos)
            return Node(path, S_IFBLK, major, 0);
    return "skip";
}

// A file with the old content on a disk that is really full: a tmpfs of a few pages in the
// test's folder. Replacing fails at the temporary file, writing in place (a hard-linked file)
// at the reservation, before a byte of the old file is touched.
fs::path OnAFullDisk(const fs::path& d, bool hardLinked)
{
    fs::create_directories(d / "disk");
    if (::mount("kr39test", (d / "disk").c_str(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
            "size=64k,mode=0777"))
        return "skip";
    const auto file = OldFile(d / "disk" / "f");
    if (hardLinked)
        fs::create_hard_link(file, d / "disk" / "g");
    std::ofstream filler(d / "disk" / "filler", std::ios::binary);
    const std::string block(4096, 'f');
    for (int i = 0; i < 1 << 16 && filler.write(block.data(), block.size()); ++i) { }
    return file;
}

void UnmountDisk(const fs::path& d)
{
    ::umount2((d / "disk").c_str(), MNT_DETACH);
}

} // namespace

// Odd files and other users: refused at once with a message naming the file and leaving
// everything as it was, or written with the file's kind, owner, group, mode, links and name
// kept and no temporary file left.
TEST_P(WriteTarget, IsWrittenOrRefusedAndKeepsWhatMustStay)
{
    const auto& c = GetParam();
    if (c.NeedsRoot && ::geteuid() != 0)
        GTEST_SKIP() << "needs root: device nodes, mounts, files of other users";
    const auto target = c.Prepare(dir);
    if (target == "skip")
        GTEST_SKIP() << "this machine cannot make the target (mount or mknod not permitted)";
    const auto folder = target.has_parent_path() ? target.parent_path() : dir;
    const auto kept = Kept(target);
    const auto entries = EntriesIn(folder);
    const auto start = std::chrono::steady_clock::now();
    // 0 written, 1 refused with the expected message, 2 refused with another.
    std::string message;
    const auto write = [&] {
        const auto written = WriteFileAtomic(target, kNew);
        message = written.Ok() ? "" : written.Error().Describe();
        return written.Ok() ? 0 : message.find(c.Error) != std::string::npos ? 1 : 2;
    };
    EXPECT_EQ(c.AsNobody ? RunAsNobody(write) : write(), c.Error.empty() ? 0 : 1) << message;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "nothing waits";
    EXPECT_EQ(Kept(target), kept);
    EXPECT_EQ(EntriesIn(folder), entries + c.Made);
    if (std::error_code loop; fs::is_regular_file(target, loop)) {
        EXPECT_EQ(kr39test::ReadBytes(target), c.Error.empty() ? kNew : kOld);
    }
    c.Check(dir);
}

INSTANTIATE_TEST_SUITE_P(Files, WriteTarget,
    ::testing::Values(
        OddTarget {"NamedPipe", false, false, [](const fs::path& d) { return Node(d / "p", S_IFIFO, 0, 0); },
            "/p: cannot write: the name is a named pipe"},
        OddTarget {"Socket", false, false, [](const fs::path& d) { return Node(d / "s", S_IFSOCK, 0, 0); },
            "the name is a socket"},
        OddTarget {"BlockDevice", true, false,
            [](const fs::path& d) { return UnusedBlockDevice(d / "disk"); }, "the name is a block device"},
        OddTarget {"FullCharacterDevice", true, false,
            [](const fs::path& d) { return Node(d / "full", S_IFCHR, 1, 7); }, "No space left on device"},
        OddTarget {"NullCharacterDevice", true, false,
            [](const fs::path& d) { return Node(d / "null", S_IFCHR, 1, 3); }, ""},
        OddTarget {"DanglingLinkMakesItsTarget", false, false,
            [](const fs::path& d) {
                fs::create_symlink("made.CSE", d / "link");
                return d / "link";
            },
            "", [](const fs::path& d) { EXPECT_EQ(kr39test::ReadBytes(d / "made.CSE"), kNew); }, 1},
        // The file keeps its mode through a link, group write included.
        OddTarget {"LinkToAGroupWritableFile", false, false,
            [](const fs::path& d) {
                fs::create_symlink(OldFile(d / "f", ::geteuid(), 0620), d / "link");
                return d / "link";
            },
            "", [](const fs::path& d) { EXPECT_EQ(fs::status(d / "f").permissions(), fs::perms(0620)); }},
        OddTarget {"LinkLoop", false, false,
            [](const fs::path& d) {
                fs::create_symlink("b", d / "a");
                fs::create_symlink("a", d / "b");
                return d / "a";
            },
            "/a: cannot write: too many levels of symbolic links"},
        OddTarget {"EmptyName", false, false, [](const fs::path&) { return fs::path(); },
            "\"\": cannot write: the name is empty"},
        OddTarget {"NameOf255Bytes", false, false,
            [](const fs::path& d) { return OldFile(d / (std::string(251, 'n') + ".CSE")); }, ""},
        OddTarget {"HardLinksStayOneFile", false, false,
            [](const fs::path& d) {
                fs::create_hard_link(OldFile(d / "f"), d / "g");
                return d / "f";
            },
            "", [](const fs::path& d) { EXPECT_TRUE(fs::equivalent(d / "f", d / "g")); }},
        OddTarget {"OwnerGroupAndModeKept", true, false,
            [](const fs::path& d) { return OldFile(d / "f", 1234, 0640); }, ""},
        OddTarget {"AnotherUsersFileInOurFolder", true, true,
            [](const fs::path& d) { return OldFile(Folder(d / "ours", kNobody, 0755) / "f", 0, 0644); },
            "/ours/f: cannot write: no permission to write the file"},
        OddTarget {"WritableFileInAFolderWeMayNotWrite", true, true,
            [](const fs::path& d) { return OldFile(Folder(d / "theirs", 0, 0755) / "f", kNobody, 0644); },
            ""},
        OddTarget {"AnotherUsersOpenFileInAStickyFolder", true, true,
            [](const fs::path& d) { return OldFile(Folder(d / "sticky", 0, 01777) / "f", 0, 0666); }, ""},
        OddTarget {"FullDisk", true, false, [](const fs::path& d) { return OnAFullDisk(d, false); },
            "No space left on device", UnmountDisk},
        OddTarget {"FullDiskAndAHardLinkedFile", true, false,
            [](const fs::path& d) { return OnAFullDisk(d, true); }, "No space left on device", UnmountDisk},
        OddTarget {"BindMountedFile", true, false,
            [](const fs::path& d) {
                OldFile(d / "source");
                OldFile(d / "mounted");
                return ::mount((d / "source").c_str(), (d / "mounted").c_str(), nullptr, MS_BIND, nullptr)
                        == 0
                    ? d / "mounted"
                    : "skip";
            },
            "",
            [](const fs::path& d) {
                EXPECT_EQ(kr39test::ReadBytes(d / "source"), kNew);
                ::umount2((d / "mounted").c_str(), MNT_DETACH);
            }}),
    [](const auto& info) { return info.param.Name; });

TEST_F(Files, ReadingChecksTheOpenedFileAndStopsAtTheLimit)
{
    // A named pipe without a writer is refused at once instead of waiting for one.
    ::mkfifo((dir / "p").c_str(), 0666);
    const auto start = std::chrono::steady_clock::now();
    const auto pipe = ReadFileBytes(dir / "p");
    ASSERT_FALSE(pipe.Ok());
    EXPECT_EQ(pipe.Error().What, "not a regular file");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    // A file longer than the size it shows (as one that grows while it is read) is read up to
    // the limit and refused.
    const auto growing = ReadFileBytes("/proc/self/status", 16);
    ASSERT_FALSE(growing.Ok());
    EXPECT_NE(growing.Error().What.find("more than 16 bytes are not read"), std::string::npos);

    // A head of lines: the bytes through the given line feed, nothing after it.
    Write("s", kr39test::Repeat(17, "line") + std::string(1 << 20, '\n'));
    EXPECT_EQ(ReadFileHead(dir / "s", 17).Value(), kr39test::Repeat(17, "line"));
    Write("short", "a\nb");
    EXPECT_EQ(ReadFileHead(dir / "short", 17).Value(), "a\nb");
}

// Another holder of the lock is waited for as long as it holds it; one that holds it too long
// gives a message.
TEST_F(Files, ALockedFileIsWaitedForOrRefused)
{
    Write("s", kOld);
    auto held = FileLock::Acquire(dir / "s");
    ASSERT_TRUE(held.Ok()) << held.Error().Describe();
    const auto refused = FileLock::Acquire(dir / "s", 0);
    ASSERT_FALSE(refused.Ok());
    EXPECT_EQ(refused.Error().Describe(),
        (dir / "s").string() + ": the file is locked by another program (waited 0 seconds)");

    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        held = FileLock {};
    });
    const auto start = std::chrono::steady_clock::now();
    const auto waited = FileLock::Acquire(dir / "s", 20);
    release.join();
    EXPECT_TRUE(waited.Ok());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
}
#endif // _WIN32
