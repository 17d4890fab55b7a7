#include "util/FileIo.h"
#include "util/Paths.h"

#include "../TestSupport.h"

using namespace kr39;
using kr39test::EntriesIn;

namespace {

class Files : public kr39test::TempDir {
protected:
    void TearDown() override
    {
        SetWriteFaultHookForTesting(nullptr);
        TempDir::TearDown();
    }
};

std::ptrdiff_t OpenDescriptors()
{
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
}

} // namespace

TEST(SplitLines, CrLfAndLfEndLinesALoneCrDoesNot)
{
    using V = std::vector<std::string_view>;
    EXPECT_EQ(SplitLines(""), V {});
    EXPECT_EQ(SplitLines("a\r\nb"), (V {"a", "b"}));
    EXPECT_EQ(SplitLines("a\nb\n"), (V {"a", "b"}));
    EXPECT_EQ(SplitLines("\r\n\r\n"), (V {"", ""}));
    EXPECT_EQ(SplitLines(std::string_view("a\rb\0\r\n", 6)), (V {std::string_view("a\rb\0", 4)}));
}

TEST(Paths, BaseNameAndNameInAnyLetterCase)
{
    for (const auto& [path, base] : std::vector<std::pair<std::string, std::string>> {
             {"/home/u/Line4.CSE", "Line4"}, {"C:\\Data\\Line4.CSE", "Line4"}, {"Line4", "Line4"},
             {"a.b.CSE", "a.b"}, {"/dir.x/L", "L"}, {"", ""}})
        EXPECT_EQ(StationBaseName(path), base) << path;

    const auto dir = fs::temp_directory_path() / ("kr39-paths-" + std::to_string(::getpid()));
    fs::create_directories(dir / "Modules");
    EXPECT_EQ(FindNoCase(dir, "modules"), dir / "Modules");
    fs::create_directories(dir / "modules");
    // The exact spelling wins, whatever the order of the folder.
    EXPECT_EQ(FindNoCase(dir, "modules"), dir / "modules");
    EXPECT_EQ(FindNoCase(dir, "Modules"), dir / "Modules");
    EXPECT_EQ(FindNoCase(dir, "absent"), dir / "absent");
    fs::remove_all(dir);
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

TEST_F(Files, AtomicWriteReplacesFollowsLinksAndFailsAtEveryStepKeepingTheOldFile)
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

    // The replaced file keeps its permissions, also through a link.
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_write;
    fs::permissions(dir / "f", mode);
    fs::create_symlink(dir / "f", dir / "link");
    ASSERT_TRUE(WriteFileAtomic(dir / "link", "new").Ok());
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(Read("f"), "new");
    EXPECT_EQ(fs::status(dir / "f").permissions(), mode);
    EXPECT_EQ(EntriesIn(dir), 2u);
}

TEST_F(Files, ImpossibleTargetsAreRefusedAndKept)
{
    Write("ro", "old");
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto readOnly = WriteFileAtomic(dir / "ro", "new");
    ASSERT_FALSE(readOnly.Ok());
    EXPECT_NE(readOnly.Error().What.find("read-only"), std::string::npos);
    EXPECT_EQ(Read("ro"), "old");

    EXPECT_FALSE(WriteFileAtomic(dir, "x").Ok());
    const auto missing = WriteFileAtomic(dir / "nope" / "f", "x");
    ASSERT_FALSE(missing.Ok());
    EXPECT_NE(missing.Error().What.find("folder"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "nope"));

    // /dev/full takes the open and fails the flush. A device is written in place, never replaced
    // by a rename (which, run as root, would swap the device node for a file).
    if (fs::is_character_file("/dev/full")) {
        EXPECT_FALSE(WriteFileAtomic("/dev/full", "data").Ok());
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
}
