#include "eds/EdsGenerator.h"
#include "eds/EdsRules.h"
#include "util/FileIo.h"

#include "../TestSupport.h"

#include <chrono>
#include <random>
#include <tuple>

using namespace kr39;
using namespace std::string_literals;

namespace {

const std::string kMarker = "<IOMODULEDESCRIPTION>\r\n";

class Generate : public kr39test::TempDir {
protected:
    void SetUp() override
    {
        TempDir::SetUp();
        input.ModulesDir = dir;
        input.CurrentFile = "/home/u/Line4.CSE";
        input.DateText = "TN";
        for (auto& slot : input.Slots)
            slot.PartNo = "None";
        input.Slots[0].PartNo = "KR39NODE000001";
    }
    void Place(std::initializer_list<int> slots, const std::string& partNo = "M")
    {
        for (const int slot : slots)
            input.Slots[static_cast<std::size_t>(slot)].PartNo = partNo;
    }
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

    GenerateInput input;
};

bool Has(const std::string& text, std::string_view what)
{
    return text.find(what) != std::string::npos;
}

// A master template and a module file M placed in slots 1 and 5, with the whole EDS text the
// generator must give.
struct Files {
    std::string Name;
    std::string Master;
    std::string Module;
    std::string Expected;
    friend void PrintTo(const Files& c, std::ostream* os) { *os << c.Name; }
};

class Templates : public Generate, public ::testing::WithParamInterface<Files> { };

} // namespace

TEST_P(Templates, GenerateAsTheRulesSay)
{
    Write(std::string(MasterTemplateName), GetParam().Master);
    Write("M.dat", GetParam().Module);
    Place({1, 5});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(), GetParam().Expected);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "too slow";
}

INSTANTIATE_TEST_SUITE_P(Files, Templates,
    ::testing::Values(Files {"EmptyFiles", "", "", ""},
        Files {"NoMarkerCountsEveryTemplateParameter",
            "Param1 = a\r\nParamX = b\r\nParameters\r\nMaxInst = <INSTNO>;\r\n", "Param1 = <BOXNO>\r\n",
            "Param1 = a\r\nParamX = b\r\nParameters\r\nMaxInst = 2;\r\n"},
        Files {"MarkerWithTextAround", "a<IOMODULEDESCRIPTION>b\r\n", "<START>\r\nx\r\n",
            "\r\nx\r\n\r\nx\r\n\r\n"},
        // The marker has no meaning in a module file: no expansion inside an expansion.
        Files {"MarkerInModuleFile", kMarker, "<START>\r\n" + kMarker,
            "\r\n<IOMODULEDESCRIPTION>\r\n\r\n<IOMODULEDESCRIPTION>\r\n\r\n"},
        // Block and slot tags mean nothing in the master template.
        Files {"ModuleTagsInMaster", "<START>\r\n<STOP>\r\n<SLOTNO><BOXNO>\r\nEnum1 = 0\r\n", "",
            "<START>\r\n<STOP>\r\n<SLOTNO><BOXNO>\r\nEnum1 = 0\r\n"},
        Files {"TagsCutByALineEndOrInLowerCaseStay", "<INST\r\nNO> <FILE\nNAME> <instno> <Filename>\r\n", "",
            "<INST\r\nNO> <FILE\r\nNAME> <instno> <Filename>\r\n"},
        // Each tag is replaced in one pass, but a tag that an earlier replacement forms is replaced too.
        Files {"TagInsideATag", "<INST<INSTNO>NO> <<FILENAME>FILENAME>\r\n", "",
            "<INST0NO> <Line4FILENAME>\r\n"},
        Files {"TagFormedByAnEarlierReplacement",
            "Param = 1\r\n<INS<DATESTRING>O>\r\n<OUTPUT<DATESTRING>\r\n", "",
            "Param = 1\r\n1\r\n<OUTPUTTN\r\n"},
        Files {"StartAndStopOnOneLine", kMarker, "<START><STOP>\r\nx\r\n", "\r\nx\r\n\r\nx\r\n\r\n"},
        // A file without <STOP> does not carry its block into the next module.
        Files {"NoStop", kMarker, "<START>\r\nx\r\n", "\r\nx\r\n\r\nx\r\n\r\n"},
        Files {"NulBytesAndAMegabyteLinePassThrough", "a\0b<INSTNO>\r\n"s + std::string(1 << 20, 'x'), "",
            "a\0b0\r\n"s + std::string(1 << 20, 'x') + "\r\n"}),
    [](const auto& info) { return info.param.Name; });

TEST_F(Generate, WorkedExample)
{
    Write("KR39NODE000001.dat",
        "[Params]\r\nParam1 = node a\r\nParam2 = node b\r\n<IOMODULEDESCRIPTION> dropped\r\n"
        "MaxInst = <INSTNO>;\r\nFile = <FILENAME>;\r\n");
    Write("A.dat",
        "heading\r\n<START>\r\nParam1 = <BOXNO>Input filter, slot <SLOTNO>\r\nEnum1 = 0,Off,1,On\r\n"
        "<STOP>\r\nafter\r\n");
    Write("B.dat", "<START>\r\nParam1 = <BOXNO>Output mode\r\nParam2 = <BOXNO>Safe state\r\n<STOP>\r\n");
    Place({1}, "A");
    Place({2}, "Bus");
    Place({3}, "B");
    EXPECT_EQ(Run(),
        "[Params]\r\nParam1 = node a\r\nParam2 = node b\r\n"
        "\r\nParam3= Box 01 Input filter, slot 01\r\nEnum3= 0,Off,1,On\r\n"
        "\r\nParam4= Box 02 Output mode\r\nParam5= Box 02 Safe state\r\n"
        "\r\nMaxInst = 5;\r\nFile = Line4;\r\n");
}

TEST_F(Generate, SixteenModulesAndASecondMarkerWithCountersRunningOn)
{
    Write("KR39NODE000001.dat",
        "Param1 = n\r\n" + kMarker + "Param9 = after, not counted\r\n" + kMarker + "MaxInst = <INSTNO>;\r\n");
    Write("M.dat", "$ m\r\n<START>\r\nParam1 = <BOXNO>m\r\nEnum1 = 0,\"Off\"\r\nPath <SLOTNO>\r\n<STOP>\r\n");
    Place({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    const auto text = Run();
    for (int i = 1; i <= 32; ++i) {
        const auto n = std::to_string(i + 1);
        EXPECT_TRUE(Has(text,
            "Param" + n + "= " + BoxNoText(i) + "m\r\nEnum" + n + "= 0,\"Off\"\r\nPath " + SlotNoText(i)
                + "\r\n"))
            << i;
    }
    EXPECT_TRUE(Has(text, "\r\nParam9 = after, not counted\r\n"));
    EXPECT_TRUE(Has(text, "MaxInst = 33;"));
}

TEST_F(Generate, StationWithoutModulesEmptiesTheMarkerAndStepsTheProgress)
{
    struct Recorder : GenerateProgress {
        std::vector<int> station, box;
        void StationProgress(int p) override { station.push_back(p); }
        void BoxProgress(int p) override { box.push_back(p); }
    } progress;
    // The master template is found whatever the letter case of its name; the box progress moves
    // on in small steps through a big one.
    const auto big = kr39test::Repeat(4000, std::string(60, 'x'));
    Write("kr39node000001.DAT", big + "Param1 = a\r\nx <IOMODULEDESCRIPTION> y\r\nMaxInst = <INSTNO>;");
    auto text = GenerateEds(input, &progress);
    ASSERT_TRUE(text.Ok()) << text.Error().Describe();
    EXPECT_EQ(text.Value(), big + "Param1 = a\r\n\r\nMaxInst = 1;\r\n");
    const std::vector<int> steps {6, 12, 18, 24, 30, 37, 43, 49, 55, 61, 68, 74, 80, 86, 92, 99, 0};
    EXPECT_EQ(progress.station, steps);
    ASSERT_GE(progress.box.size(), 50u);
    for (std::size_t i = 1; i + 1 < progress.box.size(); ++i)
        EXPECT_LE(progress.box[i] - progress.box[i - 1], 2) << i;
    EXPECT_EQ(progress.box[progress.box.size() - 2], 99);
    EXPECT_EQ(progress.box.back(), 0);
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

TEST_F(Generate, UnreadableAndTooLongFilesAreNamed)
{
    Place({3});
    auto failure = RunFails();
    EXPECT_EQ(failure.File, (dir / "KR39NODE000001.dat").string());
    EXPECT_TRUE(Has(failure.What, "cannot read the master template")) << failure.What;
    Write("KR39NODE000001.dat", kMarker);
    fs::create_directories(dir / "M.dat");
    failure = RunFails();
    EXPECT_EQ(failure.File, (dir / "M.dat").string());
    EXPECT_TRUE(Has(failure.What, "cannot read the module description file")) << failure.What;

    // Module files must be shorter than 32768 bytes.
    fs::remove(dir / "M.dat");
    const std::string body = "<START>\r\nline\r\n";
    Write("M.dat", body + std::string(32767 - body.size(), 'x'));
    EXPECT_TRUE(Has(Run(), "line\r\n"));
    Write("M.dat", body + std::string(32768 - body.size(), 'x'));
    failure = RunFails();
    EXPECT_EQ(failure.File, (dir / "M.dat").string());
    EXPECT_TRUE(Has(failure.What, "32768"));
}

TEST_F(Generate, CountersStopAt32767)
{
    const auto params = kr39test::Repeat(32767, "Param = n");
    Write("KR39NODE000001.dat", params + kMarker + "MaxInst = <INSTNO>;\r\n");
    Write("M.dat", "<START>\r\nParam1 = <BOXNO>\r\n");
    EXPECT_TRUE(Has(Run(), "MaxInst = 32767;"));
    Place({1});
    auto failure = RunFails();
    EXPECT_EQ(failure.File, (dir / "M.dat").string());
    EXPECT_EQ(failure.Line, 2);

    Write("KR39NODE000001.dat", params + "Param = one too many\r\n");
    EXPECT_EQ(RunFails().Line, 32768);

    // 2048 markers with 16 modules each number 32768 modules: one too many.
    Write("KR39NODE000001.dat", kr39test::Repeat(2048, "<IOMODULEDESCRIPTION>"));
    Write("M.dat", "x\r\n");
    Place({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    failure = RunFails();
    EXPECT_EQ(failure.Line, 2048);
    EXPECT_TRUE(Has(failure.What, "module number"));
}

// Random master templates of long and short lines with every kind of line end, tags, parts of
// tags and markers, against the text built line by line and replaced tag by tag over the
// whole of it.
TEST_F(Generate, RandomTemplatesGiveTheTextBuiltLineByLine)
{
    const std::vector<std::string> parts = {"<SOFTWARENAME>", "<DATESTRING>", "<INSTNO>", "<FILENAME>",
        "<INS", "<", "Param", " = ", "<IOMODULEDESCRIPTION>", "\r\n", "\n", "\r", "\xE4",
        std::string(70, 'x'), std::string(150, 'y') + "\r\n", std::string(1000, 'z') + "\r\n"};
    std::mt19937 random(6122026);
    input.TotalInputs = 7;
    input.TotalOutputs = 9;
    for (int round = 0; round < 200; ++round) {
        std::string master;
        for (int i = std::uniform_int_distribution<int>(0, 60)(random); i > 0; --i)
            master += parts[random() % parts.size()];
        Write(std::string(MasterTemplateName), master);
        input.DateText = round % 2 == 0 ? "TN" : "12-06-2026";

        std::string expected;
        int parameters = 0;
        bool markerSeen = false;
        for (const auto line : SplitLines(master)) {
            parameters += !markerSeen && IsParameterLine(line) ? 1 : 0;
            const bool marker = line.find(MarkerTag) != std::string_view::npos;
            markerSeen = markerSeen || marker;
            expected += std::string(marker ? std::string_view() : line) + "\r\n";
        }
        const TagValues tags {{SoftwareNameTag, input.SoftwareName}, {DateStringTag, input.DateText},
            {InstNoTag, std::to_string(parameters)}, {InputNoTag, "7"}, {OutputNoTag, "9"},
            {FileNameTag, "Line4"}};
        for (const auto& [tag, value] : tags)
            ReplaceAll(expected, tag, value);
        ASSERT_EQ(Run(), expected) << "template " << ::testing::PrintToString(master);
    }
}

TEST_F(Generate, TextsLongerThanTheLimitAreRefusedBeforeTheyAreBuilt)
{
    Write(std::string(MasterTemplateName),
        "a\r\n<IOMODULEDESCRIPTION>\r\n<FILENAME>\r\n" + std::string(300, 'b'));
    Write("M.dat", "<START>\r\nParam1 = <BOXNO>\r\n");
    Place({1, 2});
    const auto size = Run().size();
    input.MaxBytes = size;
    Run(); // at the limit
    const std::tuple<const char*, std::size_t, int> cases[] = {
        {"past it on the last line", size - 1, 4},
        {"past it in the modules", 30, 2},
        {"past it at once", 2, 1},
    };
    for (const auto& [name, limit, line] : cases) {
        SCOPED_TRACE(name);
        input.MaxBytes = limit;
        const auto failure = RunFails();
        EXPECT_EQ(failure.File, (dir / MasterTemplateName).string());
        EXPECT_EQ(failure.Line, line);
        EXPECT_TRUE(Has(failure.What, "more than " + std::to_string(limit) + " bytes")) << failure.What;
    }

    // 2047 marker lines with a module of 32767 bytes placed 16 times would make a gigabyte.
    input.MaxBytes = MaxEdsBytes;
    Write(std::string(MasterTemplateName), kr39test::Repeat(2047, "<IOMODULEDESCRIPTION>"));
    Write("M.dat", "<START>\r\n" + std::string(32767 - 9, 'x'));
    Place({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    const auto start = std::chrono::steady_clock::now();
    const auto failure = RunFails();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(failure.Line, 129);
    EXPECT_TRUE(Has(failure.What, "more than 67108864 bytes")) << failure.What;

    // A file name that would make the text too long is refused too, leaving the text as it was.
    const std::string text = "File = <FILENAME>; <FILENAME>\r\n"; // 31 bytes, 39 when filled in
    for (const auto& [limit, ok] : {std::pair {39u, true}, std::pair {38u, false}}) {
        std::string filled = text;
        const auto result = FillInFileName(filled, "/data/Station Line 4.CSE", limit);
        EXPECT_EQ(result.Ok(), ok) << limit;
        EXPECT_EQ(filled, ok ? "File = Station Line 4; Station Line 4\r\n" : text);
    }
}
