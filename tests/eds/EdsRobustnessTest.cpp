// Odd and broken templates, and EDS writes that fail at every step: no crash, no hang, the
// failure says what and where, and a file that was there keeps every byte.
#include "eds/EdsGenerator.h"
#include "eds/EdsRules.h"
#include "util/FileIo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace kr39;
using namespace std::string_literals;

namespace {

class EdsRobustness : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("kr39-eds-robust-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        input.ModulesDir = dir;
        input.CurrentFile = "/stations/Line4.CSE";
        input.DateText = "06.12.2026";
        for (auto& slot : input.Slots)
            slot.PartNo = "None";
        input.Slots[0].PartNo = "KR39NODE000001";
    }
    void TearDown() override
    {
        SetWriteFaultHookForTesting(nullptr);
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    static std::string Read(const fs::path& path)
    {
        auto bytes = ReadFileBytes(path);
        return bytes ? bytes.Value() : "<unreadable: " + bytes.Error().What + ">";
    }
    std::size_t EntriesIn(const fs::path& folder) const
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
    fs::path dir;
    GenerateInput input;
};

// A master template and one module file M (placed in slot 1 and slot 5), with the whole text
// the generator must give, or the part of the failure's text when it must refuse.
struct OddTemplate {
    std::string Name;
    std::string Master;
    std::string Module;
    bool Generates;
    std::string Expected; // the whole EDS text, or a part of the failure
};

void PrintTo(const OddTemplate& c, std::ostream* os)
{
    *os << c.Name;
}

class OddTemplates : public EdsRobustness, public ::testing::WithParamInterface<OddTemplate> { };

} // namespace

TEST_P(OddTemplates, GenerateAsTheRulesSayOrFailWithAReason)
{
    Write("KR39NODE000001.dat", GetParam().Master);
    Write("M.dat", GetParam().Module);
    input.Slots[1].PartNo = "M";
    input.Slots[5].PartNo = "M";
    const auto start = std::chrono::steady_clock::now();
    const auto text = GenerateEds(input);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "too slow";
    if (GetParam().Generates) {
        ASSERT_TRUE(text.Ok()) << text.Error().Describe();
        EXPECT_EQ(text.Value(), GetParam().Expected);
    } else {
        ASSERT_FALSE(text.Ok());
        EXPECT_NE(text.Error().Describe().find(GetParam().Expected), std::string::npos)
            << text.Error().Describe();
    }
}

const std::string kMarker = "<IOMODULEDESCRIPTION>\r\n";

INSTANTIATE_TEST_SUITE_P(Files, OddTemplates,
    ::testing::Values(OddTemplate {"EmptyFiles", "", "", true, ""},
        OddTemplate {"MarkerWithTextAround", "a<IOMODULEDESCRIPTION>b\r\n", "<START>\r\nx\r\n", true,
            "\r\nx\r\n\r\nx\r\n\r\n"},
        // The marker has no meaning in a module file: no expansion inside an expansion.
        OddTemplate {"MarkerInModuleFile", kMarker, "<START>\r\n<IOMODULEDESCRIPTION>\r\n", true,
            "\r\n<IOMODULEDESCRIPTION>\r\n\r\n<IOMODULEDESCRIPTION>\r\n\r\n"},
        // Block and slot tags mean nothing in the master template.
        OddTemplate {"ModuleTagsInMaster", "<START>\r\n<STOP>\r\n<SLOTNO><BOXNO>\r\nEnum1 = 0\r\n", "", true,
            "<START>\r\n<STOP>\r\n<SLOTNO><BOXNO>\r\nEnum1 = 0\r\n"},
        OddTemplate {
            "TagCutByALineEnd", "<INST\r\nNO> <FILE\nNAME>\r\n", "", true, "<INST\r\nNO> <FILE\r\nNAME>\r\n"},
        // Each tag is replaced in one pass: a tag made up around another stays a tag no more.
        OddTemplate {"TagInsideATag", "<INST<INSTNO>NO> <<FILENAME>FILENAME>\r\n", "", true,
            "<INST0NO> <Line4FILENAME>\r\n"},
        OddTemplate {"LowerCaseTags", "<instno> <Filename>\r\n", "", true, "<instno> <Filename>\r\n"},
        OddTemplate {"BoxNoOutsideAParameterLine", kMarker, "<START>\r\n<BOXNO> only\r\n", true,
            "\r\n<BOXNO> only\r\n\r\n<BOXNO> only\r\n\r\n"},
        OddTemplate {
            "StartAndStopOnOneLine", kMarker, "<START><STOP>\r\nx\r\n", true, "\r\nx\r\n\r\nx\r\n\r\n"},
        // A file without <STOP> does not carry its block into the next module.
        OddTemplate {"NoStop", kMarker, "<START>\r\nx\r\n", true, "\r\nx\r\n\r\nx\r\n\r\n"},
        OddTemplate {"StopBeforeStart", kMarker, "<STOP>\r\nx\r\n", true, "\r\n"},
        OddTemplate {"LoneCarriageReturnsStayInTheLine", "a\rb\r\n", "", true, "a\rb\r\n"},
        OddTemplate {"NulBytesPassThrough", "a\0b<INSTNO>\r\n"s, "", true, "a\0b0\r\n"s},
        OddTemplate {
            "MegabyteLine", std::string(1 << 20, 'x') + "\r\n", "", true, std::string(1 << 20, 'x') + "\r\n"},
        OddTemplate {
            "ParameterLineWithoutBoxNo", kMarker, "<START>\r\nParam1 = 0\r\n", false, "M.dat, line 2"},
        OddTemplate {"ParameterWordInAComment", kMarker, "$ Parameters = see manual\r\n", false, "<BOXNO>"},
        OddTemplate {"BinaryModuleFile", kMarker, "\x01Param\xFF=\x00\r\n"s, false, "<BOXNO>"}),
    [](const auto& info) { return info.param.Name; });

TEST_F(EdsRobustness, WhatIsNoReadableFileFails)
{
    fs::create_directories(dir / "KR39NODE000001.dat");
    auto text = GenerateEds(input);
    ASSERT_FALSE(text.Ok());
    EXPECT_NE(text.Error().What.find("master template"), std::string::npos);

    fs::remove(dir / "KR39NODE000001.dat");
    Write("KR39NODE000001.dat", kMarker);
    fs::create_directories(dir / "M.dat");
    input.Slots[3].PartNo = "M";
    text = GenerateEds(input);
    ASSERT_FALSE(text.Ok());
    EXPECT_NE(text.Error().File.find("M.dat"), std::string::npos);

    // A master template of gigabytes is refused before it is read.
    fs::remove(dir / "KR39NODE000001.dat");
    std::ofstream(dir / "KR39NODE000001.dat").close();
    fs::resize_file(dir / "KR39NODE000001.dat", std::uintmax_t {4} << 30);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(GenerateEds(input).Ok());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(EdsRobustness, ModuleFileOfExactly32768BytesFails)
{
    Write("KR39NODE000001.dat", kMarker);
    const std::string head = "<START>\r\n";
    Write("M.dat", head + std::string(32768 - head.size(), 'x'));
    input.Slots[2].PartNo = "M";
    const auto text = GenerateEds(input);
    ASSERT_FALSE(text.Ok());
    EXPECT_NE(text.Error().What.find("32768"), std::string::npos);
}

// Every step of writing the EDS file fails once: the file that was there keeps every byte,
// the failure names the file, and no temporary file is left over.
TEST_F(EdsRobustness, FailedWriteAtEveryStepKeepsTheOldFile)
{
    const auto target = dir / "Line4.EDS";
    const std::string old = "[File]\r\nDescText = \"old\";\r\n\xE4\r\n";
    for (const char* step : {"create", "write", "flush", "close", "rename"}) {
        Write("Line4.EDS", old);
        SetWriteFaultHookForTesting([&](std::string_view s) { return s != step; });
        const auto written = WriteEdsFile(target, "[File]\r\nDescText = \"new\";\r\n");
        SetWriteFaultHookForTesting(nullptr);
        ASSERT_FALSE(written.Ok()) << step;
        EXPECT_EQ(written.Error().File, target.string()) << step;
        EXPECT_FALSE(written.Error().What.empty()) << step;
        EXPECT_EQ(Read(target), old) << step;
        EXPECT_EQ(EntriesIn(dir), 1u) << step;
    }
    ASSERT_TRUE(WriteEdsFile(target, "new").Ok());
    EXPECT_EQ(Read(target), "new");
}

TEST_F(EdsRobustness, WritesToImpossiblePlacesFailAndDamageNothing)
{
    fs::create_directories(dir / "folder.EDS");
    Write("folder.EDS/inside", "kept");
    Write("readonly.EDS", "kept");
    fs::permissions(
        dir / "readonly.EDS", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    for (const auto& path : {dir / "folder.EDS", dir / "missing" / "x.EDS", dir / "readonly.EDS"}) {
        const auto written = WriteEdsFile(path, "new");
        EXPECT_FALSE(written.Ok()) << path;
        EXPECT_FALSE(written.Error().What.empty()) << path;
    }
    EXPECT_EQ(Read(dir / "folder.EDS" / "inside"), "kept");
    EXPECT_EQ(Read(dir / "readonly.EDS"), "kept");
    EXPECT_FALSE(fs::exists(dir / "missing"));

    // A full disk: /dev/full takes the open and fails the flush. It is written in place,
    // so even as root the device node is never replaced by a plain file.
    if (fs::is_character_file("/dev/full")) {
        EXPECT_FALSE(WriteEdsFile("/dev/full", std::string(1 << 16, 'x')).Ok());
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
}
