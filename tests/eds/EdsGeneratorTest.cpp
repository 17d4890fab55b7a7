#include "eds/EdsGenerator.h"
#include "eds/EdsRules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;
using namespace kr39;

namespace {

class Generate : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("kr39-eds-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        input.ModulesDir = dir;
        input.CurrentFile = "/home/u/Line4.CSE";
        input.DateText = "06.12.2026";
        for (int i = 1; i < SlotCount; ++i)
            input.Slots[i].PartNo = "None";
    }
    void TearDown() override { fs::remove_all(dir); }
    void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    void Place(int slot, const std::string& partNo) { input.Slots[slot].PartNo = partNo; }
    std::string Run()
    {
        auto text = GenerateEds(input);
        EXPECT_TRUE(text.Ok()) << text.Error().Describe();
        return text.Ok() ? text.Value() : std::string();
    }
    Failure RunFails()
    {
        auto text = GenerateEds(input);
        EXPECT_FALSE(text.Ok());
        return text.Ok() ? Failure {} : text.Error();
    }
    static bool Has(const std::string& text, std::string_view what)
    {
        return text.find(what) != std::string::npos;
    }

    fs::path dir;
    GenerateInput input;
};

// A module file with one parameter line, one enumeration and a line naming its slot.
std::string OneParamModule(const std::string& name)
{
    return "$ " + name + "\r\n<START>\r\nParam1 = <BOXNO>" + name
        + "\r\nEnum1 = 0,\"Off\"\r\nPath <SLOTNO>\r\n<STOP>\r\n";
}

} // namespace

TEST_F(Generate, WorkedExample)
{
    Write("KR39NODE000001.dat",
        "[Params]\r\nParam1 = node a\r\nParam2 = node b\r\n<IOMODULEDESCRIPTION> dropped\r\nMaxInst = "
        "<INSTNO>;\r\n"
        "File = <FILENAME>;\r\n");
    Write("A.dat",
        "heading\r\n<START>\r\nParam1 = <BOXNO>Input filter, slot <SLOTNO>\r\nEnum1 = "
        "0,Off,1,On\r\n<STOP>\r\nafter\r\n");
    Write("B.dat", "<START>\r\nParam1 = <BOXNO>Output mode\r\nParam2 = <BOXNO>Safe state\r\n<STOP>\r\n");
    Place(1, "A");
    Place(2, "Bus");
    Place(3, "B");
    EXPECT_EQ(Run(),
        "[Params]\r\nParam1 = node a\r\nParam2 = node b\r\n"
        "\r\nParam3= Box 01 Input filter, slot 01\r\nEnum3= 0,Off,1,On\r\n"
        "\r\nParam4= Box 02 Output mode\r\nParam5= Box 02 Safe state\r\n"
        "\r\nMaxInst = 5;\r\nFile = Line4;\r\n");
}

TEST_F(Generate, SixteenModulesNumberBoxesAndSlots)
{
    Write("KR39NODE000001.dat", "<IOMODULEDESCRIPTION>\r\nMaxInst = <INSTNO>;\r\n");
    Write("M.dat", OneParamModule("m"));
    for (int i = 1; i <= 16; ++i)
        Place(i, "M");
    const auto text = Run();
    for (int i = 1; i <= 16; ++i) {
        const auto n = std::to_string(i);
        EXPECT_TRUE(Has(text, "Param" + n + "= Box " + (i < 10 ? "0" : "") + n + " m\r\nEnum" + n + "= 0"))
            << i;
        EXPECT_TRUE(Has(text, "Path " + SlotNoText(i) + "\r\n")) << i;
    }
    EXPECT_TRUE(Has(text, "Path 0A\r\n"));
    EXPECT_TRUE(Has(text, "Path 10\r\n"));
    EXPECT_TRUE(Has(text, "MaxInst = 16;"));
}

TEST_F(Generate, SamePartTwiceIsReadTwice)
{
    Write("KR39NODE000001.dat", "Param1 = node\r\n<IOMODULEDESCRIPTION>\r\nMaxInst = <INSTNO>;\r\n");
    Write("M.dat", "<START>\r\nParam1 = <BOXNO>x\r\nParam2 = <BOXNO>y\r\n<STOP>\r\n");
    Place(1, "M");
    Place(16, "M");
    EXPECT_EQ(Run(),
        "Param1 = node\r\n\r\nParam2= Box 01 x\r\nParam3= Box 01 y\r\n\r\nParam4= Box 02 x\r\nParam5= Box 02 "
        "y\r\n"
        "\r\nMaxInst = 5;\r\n");
}

TEST_F(Generate, SecondMarkerExpandsAgainWithCountersRunningOn)
{
    Write("KR39NODE000001.dat",
        "Param1 = n\r\n<IOMODULEDESCRIPTION>\r\nParam9 = after, not counted\r\n<IOMODULEDESCRIPTION>\r\n"
        "MaxInst = <INSTNO>;\r\n");
    Write("M.dat", OneParamModule("m"));
    for (int i = 1; i <= 16; ++i)
        Place(i, "M");
    const auto text = Run();
    EXPECT_TRUE(Has(text, "\r\nParam9 = after, not counted\r\n"));
    EXPECT_TRUE(Has(text, "Param18= Box 17 m\r\nEnum18= 0,\"Off\"\r\nPath 11\r\n"));
    EXPECT_TRUE(Has(text, "Param33= Box 32 m\r\nEnum33= 0,\"Off\"\r\nPath 20\r\n"));
    EXPECT_TRUE(Has(text, "MaxInst = 33;"));
}

TEST_F(Generate, NoMarkerCountsEveryTemplateParameter)
{
    Write("KR39NODE000001.dat", "Param1 = a\r\nParamX = b\r\nParameters\r\nMaxInst = <INSTNO>;\r\n");
    Write("M.dat", OneParamModule("m"));
    Place(1, "M");
    EXPECT_EQ(Run(), "Param1 = a\r\nParamX = b\r\nParameters\r\nMaxInst = 2;\r\n");
}

TEST_F(Generate, StationWithoutModulesEmptiesTheMarker)
{
    struct Recorder : GenerateProgress {
        std::vector<int> station, box;
        void StationProgress(int p) override { station.push_back(p); }
        void BoxProgress(int p) override { box.push_back(p); }
    } progress;
    Write("KR39NODE000001.dat", "Param1 = a\r\nx <IOMODULEDESCRIPTION> y\r\nMaxInst = <INSTNO>;");
    auto text = GenerateEds(input, &progress);
    ASSERT_TRUE(text.Ok());
    EXPECT_EQ(text.Value(), "Param1 = a\r\n\r\nMaxInst = 1;\r\n");
    // The station bar steps through all 16 slots, then both bars return to 0.
    const std::vector<int> steps {6, 12, 18, 24, 30, 37, 43, 49, 55, 61, 68, 74, 80, 86, 92, 99, 0};
    EXPECT_EQ(progress.station, steps);
    ASSERT_FALSE(progress.box.empty());
    EXPECT_EQ(progress.box.back(), 0);
    for (int p : progress.box)
        EXPECT_TRUE(p >= 0 && p <= 100) << p;
}

TEST_F(Generate, LineEndsBecomeCrLfAndBytesPassThrough)
{
    Write("KR39NODE000001.dat", "a\nb\rc\r\n\xE4\xFF\r\n\r\nlast");
    EXPECT_EQ(Run(), "a\r\nb\rc\r\n\xE4\xFF\r\n\r\nlast\r\n");
}

TEST_F(Generate, TagsAreReplacedInTheWrittenOrder)
{
    Write("KR39NODE000001.dat",
        "<SOFTWARENAME>|<DATESTRING>|<INSTNO>|<INPUTNO>|<OUTPUTNO>|<FILENAME>|<SLOTNO>|<BOXNO>|<START>\r\n");
    input.DateText = "<INSTNO> <FILENAME>"; // a later tag in an earlier value is replaced too
    input.TotalInputs = 24;
    input.TotalOutputs = -3;
    input.CurrentFile = "C:\\Data\\Line4.CONF";
    EXPECT_EQ(Run(), "KR39 Standard EDS Generator V1.0|0 Line4|0|24|-3|Line4|<SLOTNO>|<BOXNO>|<START>\r\n");

    auto expanded = ExpandStationEds(input);
    ASSERT_TRUE(expanded.Ok());
    EXPECT_TRUE(Has(expanded.Value(), "|<FILENAME>|"));
}

TEST_F(Generate, BaseNameOfTheStationFile)
{
    Write("KR39NODE000001.dat", "<FILENAME>");
    for (const auto& [file, base] :
        std::vector<std::pair<std::string, std::string>> {{"/a/Line4.CSE", "Line4"}, {"Line4", "Line4"},
            {"Line4.CONF", "Line4"}, {"C:\\x.y\\L", "L"}, {"", ""}}) {
        input.CurrentFile = file;
        EXPECT_EQ(Run(), base + "\r\n") << file;
    }
}

TEST_F(Generate, MasterTemplateIsFoundWhateverItsLetterCase)
{
    Write("kr39node000001.DAT", "x\r\n");
    EXPECT_EQ(Run(), "x\r\n");
}

TEST_F(Generate, ModuleFileSizeLimit)
{
    Write("KR39NODE000001.dat", "<IOMODULEDESCRIPTION>\r\n");
    const std::string body = "<START>\r\nline\r\n";
    Write("M.dat", body + std::string(32767 - body.size(), 'x'));
    Place(4, "M");
    EXPECT_TRUE(Has(Run(), "line\r\n"));

    Write("M.dat", body + std::string(32768 - body.size(), 'x'));
    const auto failure = RunFails();
    EXPECT_EQ(failure.File, (dir / "M.dat").string());
    EXPECT_TRUE(Has(failure.What, "32768"));
}

TEST_F(Generate, FailuresNameFileAndLine)
{
    struct Case {
        const char* name;
        std::string templateText;
        std::string moduleText;
        std::string expectFile;
        int expectLine;
        std::string expectWhat;
    };
    const std::string marker = "<IOMODULEDESCRIPTION>\r\n";
    const std::vector<Case> cases = {
        {"missing module", marker, "", "Missing.dat", 0, "cannot read the module description file"},
        {"no box", marker, "$ h\r\n<START>\r\nParam1 = 0\r\n", "M.dat", 3, "<BOXNO>"},
        {"no box outside block", marker, "Param1 = 0\r\n<START>\r\n", "M.dat", 1, "<BOXNO>"},
    };
    for (const auto& c : cases) {
        Write("KR39NODE000001.dat", c.templateText);
        Write("M.dat", c.moduleText);
        Place(1, c.expectFile == "Missing.dat" ? "Missing" : "M");
        const auto failure = RunFails();
        EXPECT_EQ(failure.File, (dir / c.expectFile).string()) << c.name;
        EXPECT_EQ(failure.Line, c.expectLine) << c.name;
        EXPECT_TRUE(Has(failure.What, c.expectWhat)) << c.name << ": " << failure.What;
    }

    fs::remove(dir / "KR39NODE000001.dat");
    const auto missing = RunFails();
    EXPECT_TRUE(Has(missing.What, "master template"));
    EXPECT_TRUE(Has(missing.File, "KR39NODE000001.dat"));
}

TEST_F(Generate, CountersStopAt32767)
{
    std::string params;
    for (int i = 0; i < 32767; ++i)
        params += "Param = n\r\n";
    Write("KR39NODE000001.dat", params + "<IOMODULEDESCRIPTION>\r\nMaxInst = <INSTNO>;\r\n");
    Write("M.dat", "<START>\r\nParam1 = <BOXNO>\r\n");
    EXPECT_TRUE(Has(Run(), "MaxInst = 32767;"));
    Place(1, "M");
    auto failure = RunFails();
    EXPECT_EQ(failure.File, (dir / "M.dat").string());
    EXPECT_EQ(failure.Line, 2);

    Write("KR39NODE000001.dat", params + "Param = one too many\r\n");
    failure = RunFails();
    EXPECT_EQ(failure.Line, 32768);

    // 2048 markers with 16 modules each number 32768 modules: one too many.
    std::string markers;
    for (int i = 0; i < 2048; ++i)
        markers += "<IOMODULEDESCRIPTION>\r\n";
    Write("KR39NODE000001.dat", markers);
    Write("M.dat", "x\r\n");
    for (int i = 1; i <= 16; ++i)
        Place(i, "M");
    failure = RunFails();
    EXPECT_EQ(failure.Line, 2048);
    EXPECT_TRUE(Has(failure.What, "module number"));
}

TEST_F(Generate, TagFormedByAnEarlierReplacementIsReplacedToo)
{
    // "<INS" + "TN" + "O>" makes "<INSTNO>" once the date is in; "<FILENAME>" alone on a line.
    Write("KR39NODE000001.dat", "Param = 1\r\n<INS<DATESTRING>O>\r\n<FILENAME>\r\n<OUTPUT<DATESTRING>\r\n");
    input.DateText = "TN";
    input.CurrentFile = "a/b.CSE";
    EXPECT_EQ(Run(), "Param = 1\r\n1\r\nb\r\n<OUTPUTTN\r\n");
}

// Random templates and module files built from pieces of tags: replacing line by line while
// building must give what replacing tag by tag over the finished text gives, failures included.
TEST_F(Generate, LineByLineReplacementMatchesWholeTextOnRandomFiles)
{
    const std::vector<std::string> templatePieces = {"<INS", "<DATESTRING>", "O>", "TNO>", "<INSTNO>",
        "<FILENAME>", "<OUTPUT", "NO>", "\r\n", "\n", "x", "Param=", "<IOMODULEDESCRIPTION>"};
    const std::vector<std::string> modulePieces = {"<START>", "<STOP>", "\r\nParam = <BOXNO>",
        "Enum =", "<SLOTNO>", "\r\n", "<INS", "<DATESTRING>", "O>", "<INPUTNO>", "x"};
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    auto randomText = [&](const std::vector<std::string>& pieces, int length) {
        std::string text;
        for (int i = 0; i < length; ++i)
            text += pieces[next(static_cast<std::uint32_t>(pieces.size()))];
        return text;
    };
    for (int round = 0; round < 300; ++round) {
        Write("KR39NODE000001.dat", randomText(templatePieces, 60));
        Write("M.dat", randomText(modulePieces, 30));
        for (int i = 1; i <= 16; ++i)
            Place(i, next(3) == 0 ? "M" : "None");
        input.DateText = next(2) == 0 ? "TN" : "1.2.3";
        input.SoftwareName = "KR39";
        const auto lineByLine = GenerateEds(input);
        input.SoftwareName = "KR\n39"; // no piece makes "<SOFTWARENAME>", so this only changes the way
        const auto wholeText = GenerateEds(input);
        ASSERT_EQ(lineByLine.Ok(), wholeText.Ok()) << round;
        if (lineByLine.Ok())
            ASSERT_EQ(lineByLine.Value(), wholeText.Value()) << round;
        else
            ASSERT_EQ(lineByLine.Error().Describe(), wholeText.Error().Describe()) << round;
    }
}
