#include "util/FileIo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace kr39;

namespace {

class TempDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("kr39-fileio-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        SetWriteFaultHookForTesting(nullptr);
        fs::remove_all(dir);
    }
    static void Write(const fs::path& p, const std::string& bytes)
    {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    fs::path dir;
};

std::ptrdiff_t OpenDescriptors()
{
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
}

} // namespace

TEST(SplitLines, LineEnds)
{
    using V = std::vector<std::string_view>;
    EXPECT_EQ(SplitLines(""), V {});
    EXPECT_EQ(SplitLines("a\r\nb\r\n"), (V {"a", "b"}));
    EXPECT_EQ(SplitLines("a\r\nb"), (V {"a", "b"}));
    EXPECT_EQ(SplitLines("a\nb\n"), (V {"a", "b"}));
    EXPECT_EQ(SplitLines("\r\n\r\n"), (V {"", ""}));
    EXPECT_EQ(SplitLines("a\rb\r\n"), (V {"a\rb"}));
    EXPECT_EQ(SplitLines(std::string_view("a\0b\n", 4)), (V {std::string_view("a\0b", 3)}));
}

TEST_F(TempDir, ReadsBytesUnchanged)
{
    const std::string bytes("x\xE4\0\r\n\xFF", 6);
    Write(dir / "f", bytes);
    auto read = ReadFileBytes(dir / "f");
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read.Value(), bytes);
    EXPECT_FALSE(ReadFileBytes(dir / "missing").Ok());
    EXPECT_FALSE(ReadFileBytes(dir).Ok());
}

TEST_F(TempDir, RefusesFilesOverTheSizeLimitBeforeReading)
{
    Write(dir / "ten", "0123456789");
    EXPECT_TRUE(ReadFileBytes(dir / "ten", 10).Ok());
    EXPECT_FALSE(ReadFileBytes(dir / "ten", 9).Ok());
    // A sparse file just over the limit: refused at once, without reading or allocating it.
    std::ofstream(dir / "huge").close();
    fs::resize_file(dir / "huge", MaxReadBytes + 1);
    const auto huge = ReadFileBytes(dir / "huge");
    ASSERT_FALSE(huge.Ok());
    EXPECT_NE(huge.Error().What.find(std::to_string(MaxReadBytes + 1)), std::string::npos)
        << huge.Error().What;
}

TEST_F(TempDir, AtomicWriteReplacesAndLeavesNoTemporary)
{
    Write(dir / "f", "old");
    ASSERT_TRUE(WriteFileAtomic(dir / "f", "new").Ok());
    EXPECT_EQ(ReadFileBytes(dir / "f").Value(), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(TempDir, FailedWritesKeepTheOldFile)
{
    Write(dir / "f", "old");
    const auto descriptorsBefore = OpenDescriptors();
    for (const char* step : {"create", "write", "flush", "close", "rename"}) {
        SetWriteFaultHookForTesting([&](std::string_view s) { return s != step; });
        auto result = WriteFileAtomic(dir / "f", "new");
        EXPECT_FALSE(result.Ok()) << step;
        EXPECT_NE(result.Error().What, "") << step;
        EXPECT_EQ(ReadFileBytes(dir / "f").Value(), "old") << step;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << step;
    }
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore);
}

TEST_F(TempDir, ReadOnlyFileIsRefusedAndKept)
{
    Write(dir / "f", "old");
    fs::permissions(dir / "f", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    auto result = WriteFileAtomic(dir / "f", "new");
    ASSERT_FALSE(result.Ok());
    EXPECT_NE(result.Error().What.find("read-only"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir / "f").Value(), "old");
    fs::permissions(dir / "f", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(WriteFileAtomic(dir / "f", "new").Ok());
}

TEST_F(TempDir, WritesThroughSymbolicLinks)
{
    Write(dir / "real", "old");
    fs::create_symlink(dir / "real", dir / "link");
    ASSERT_TRUE(WriteFileAtomic(dir / "link", "new").Ok());
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(ReadFileBytes(dir / "real").Value(), "new");
}

TEST_F(TempDir, RefusesFoldersAndMissingFolders)
{
    EXPECT_FALSE(WriteFileAtomic(dir, "x").Ok());
    auto missing = WriteFileAtomic(dir / "nope" / "f", "x");
    ASSERT_FALSE(missing.Ok());
    EXPECT_NE(missing.Error().What.find("folder"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir));
}

TEST(WriteFileAtomic, FullDiskIsReported)
{
    // /dev/full accepts the open and fails the flush. A device is written in place, never
    // replaced by a rename (which, run as root, would swap the device node for a file).
    if (!fs::is_character_file("/dev/full"))
        GTEST_SKIP();
    EXPECT_FALSE(WriteFileAtomic("/dev/full", "data").Ok());
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}
