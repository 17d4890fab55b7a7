#include "eds/EdsRules.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

using namespace kr39;

TEST(EdsRules, LineClassesAndNumberTexts)
{
    // "Param" and "Enum" are found anywhere in the line, in this letter case; "Param" wins.
    const std::tuple<std::string_view, bool, bool> lines[]
        = {{"Param1 = 0,1", true, false}, {"Parameters = 4", true, false}, {"x = y Param", true, false},
            {"Param1", false, false}, {"param1 = 0", false, false}, {"Enum1 = 0,\"Off\"", false, true},
            {"Param2 Enum2 = 1", true, false}, {"Enum1", false, false}, {"enum1 = 0", false, false}};
    for (const auto& [line, parameter, enumeration] : lines) {
        EXPECT_EQ(IsParameterLine(line), parameter) << line;
        EXPECT_EQ(IsEnumerationLine(line), enumeration) << line;
    }
    EXPECT_EQ(SlotNoText(1) + SlotNoText(10) + SlotNoText(16) + SlotNoText(300), "010A1012C");
    EXPECT_EQ(BoxNoText(2) + "|" + BoxNoText(10) + "|" + BoxNoText(123), "Box 02 |Box 10 |Box 123 ");
}

namespace {

struct LineCase {
    const char* name;
    std::string_view line;
    bool blockBefore;
    // Expected: the output (the written line with its CR LF, or nothing), the counter after the
    // line (starting at 4, module number 2), the block state after it; or, with `fails` set, a
    // failure naming the file and the line.
    std::string_view written;
    int counterAfter;
    bool blockAfter;
    bool fails = false;
    friend void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }
};

class ModuleLine : public ::testing::TestWithParam<LineCase> { };

} // namespace

TEST_P(ModuleLine, IsRewrittenByTheModuleRules)
{
    const auto& c = GetParam();
    EdsRun run;
    run.ParameterCounter = 4;
    run.ModuleNumber = 2;
    bool block = c.blockBefore;
    const auto result = ExpandModuleLine(c.line, run, block, "m.dat", 7);
    ASSERT_EQ(result.Ok(), !c.fails);
    if (c.fails) {
        EXPECT_EQ(result.Error().File + ":" + std::to_string(result.Error().Line), "m.dat:7");
        EXPECT_NE(result.Error().What.find("<BOXNO>"), std::string::npos);
        return;
    }
    EXPECT_EQ(run.ParameterCounter, c.counterAfter);
    EXPECT_EQ(block, c.blockAfter);
    EXPECT_EQ(run.Output.Build(), c.written);
}

INSTANTIATE_TEST_SUITE_P(EdsRules, ModuleLine,
    ::testing::Values(LineCase {"ParamCountedOutsideBlock", "Param1 = <BOXNO>x", false, "", 5, false},
        LineCase {"Renumbered", "Param3 = <BOXNO>0,1", true, "Param5= Box 02 0,1\r\n", 5, true},
        LineCase {"TwoEquals", "Param1 = a = <BOXNO>b", true, "Param5= Box 02 b\r\n", 5, true},
        LineCase {"ParamWithoutEquals", "Param1 <BOXNO>", true, "Param1 <BOXNO>\r\n", 4, true},
        LineCase {"ParamAndEnum", "Param7 Enum7 = <BOXNO>", true, "Param5= Box 02 \r\n", 5, true},
        LineCase {"Enum", "Enum1 = 0,\"Off\",1,\"On\";", true, "Enum4= 0,\"Off\",1,\"On\";\r\n", 4, true},
        LineCase {"EnumWithoutEquals", "Enum1 x", true, "Enum1 x\r\n", 4, true},
        LineCase {"Start", "$ <START> of block", false, "\r\n", 4, true},
        LineCase {"Stop", "<STOP>", true, "", 4, false},
        LineCase {"SlotTwice", "a <SLOTNO> b <SLOTNO> c", true, "a 02 c\r\n", 4, true},
        LineCase {"SlotInParam", "Param1 = \"24 <SLOTNO>\",<BOXNO>", true, "Param5= \"24 02\",Box 02 \r\n", 5,
            true},
        LineCase {"EqualsBeforeParam", "a=Param <BOXNO>", true, "a=Param5=Param Box 02 \r\n", 5, true},
        LineCase {"ParameterLineWithoutBoxNoFails", "Param1 = 0,1", false, "", 5, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EdsRules, ReplaceAllReplacesEveryOccurrenceInOnePass)
{
    std::string text = "<X>a<X><X>b<X";
    ReplaceAll(text, "<X>", "[<X>]");
    EXPECT_EQ(text, "[<X>]a[<X>][<X>]b<X");
    ReplaceAll(text, "[<X>]", "");
    EXPECT_EQ(text, "ab<X");
}

// Texts and values made of tags, parts of tags and line ends: replacing the lines one by one
// must give what replacing tag by tag over the whole text gives.
TEST(EdsRules, ReplacingTagsLineByLineGivesTheWholeTextReplacement)
{
    const std::vector<std::string> parts
        = {"<SOFTWARENAME>", "<DATESTRING>", "<INSTNO>", "<INPUTNO>", "<OUTPUTNO>", "<FILENAME>", "<INS",
            "TNO>", "<DATE", "STRING>", "<OUTPUT", "NO>", "<", ">", "T", "x y", "\r\n", "\n", "\r", ""};
    std::mt19937 random(20261206);
    auto pick = [&](int count) {
        std::string text;
        for (int i = std::uniform_int_distribution<int>(0, count)(random); i > 0; --i)
            text += parts[random() % parts.size()];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        TagValues tags;
        for (const auto* tag :
            {"<SOFTWARENAME>", "<DATESTRING>", "<INSTNO>", "<INPUTNO>", "<OUTPUTNO>", "<FILENAME>"})
            tags.emplace_back(tag, pick(3));
        const std::string text = pick(40);
        std::string whole = text;
        for (const auto& [tag, value] : tags)
            ReplaceAll(whole, tag, value);
        std::string byLine;
        for (std::size_t start = 0, lf = 0; lf != std::string::npos; start = lf + 1) {
            lf = text.find('\n', start);
            const std::string original
                = text.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
            // A line appended to a run gets the same replacement, with CR LF.
            EdsRun run;
            run.Tags = &tags;
            run.AppendKeptLine(original, false, original.find('<') != std::string::npos);
            std::string line = original;
            ReplaceTags(line, tags);
            ASSERT_EQ(run.Output.Build(), line + "\r\n") << "round " << round;
            byLine += line + (lf == std::string::npos ? "" : "\n");
        }
        ASSERT_EQ(byLine, whole) << "text " << ::testing::PrintToString(text) << " round " << round;
    }
}
