#include "catalog/Catalog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace kr39;

namespace {

const std::string kHead = "00 KR39 node\r\n01 Digital inputs\r\n02 Digital outputs\r\n<STARTMODULES>\r\n";

std::string Module(const std::string& code, const std::string& partNo, const std::string& description = "d",
    const std::string& inputs = "001", const std::string& outputs = "000")
{
    return code + " " + inputs + " " + outputs + " " + partNo + " " + description + "\r\n";
}

// The entries that module lines filled, one "PartNo|TypeCode|Inputs|Outputs|Description" each.
std::string Rows(const Catalog& catalog)
{
    std::string rows;
    for (int i = 0; i < catalog.ModuleLineCount; ++i) {
        const auto& e = catalog.Entries[static_cast<std::size_t>(i)];
        rows += e.PartNo + "|" + e.TypeCode + "|" + std::to_string(e.Inputs) + "|" + std::to_string(e.Outputs)
            + "|" + e.Description + "\n";
    }
    return rows;
}

struct Case {
    std::string Name;
    std::string Text;
    std::string Expected; // Rows() of a good file; a part of the failure's text for a bad one
    int Line = 0; // the line a failure names
};

class GoodFile : public ::testing::TestWithParam<Case> { };
class BadFile : public ::testing::TestWithParam<Case> { };
class NumberField : public ::testing::TestWithParam<std::pair<std::string, int>> { };

auto CaseName = [](const auto& info) { return info.param.Name; };

} // namespace

TEST_P(GoodFile, Loads)
{
    const auto catalog = ParseCatalog(GetParam().Text);
    ASSERT_TRUE(catalog.Ok()) << catalog.Error().Describe();
    EXPECT_EQ(Rows(catalog.Value()), GetParam().Expected);
    EXPECT_EQ(catalog->Entries[static_cast<std::size_t>(catalog->ModuleLineCount)].PartNo, "");
}

INSTANTIATE_TEST_SUITE_P(Files, GoodFile,
    ::testing::Values(
        Case {"FileOrder",
            kHead + Module("01", "DI16", "16 inputs 24 V", "016") + Module("00", "NODE", "node", "  8", "8  ")
                + Module("02", "DO4", "", "000", "004"),
            "DI16|01|16|0|16 inputs 24 V\nNODE|00|8|8|node\nDO4|02|0|4|\n"},
        Case {"BareLineFeedsAndBytes", "00\n01 Gr\xFCppe\n<STARTMODULES>\n01 001 002 P\xE4 caf\xE9 \tx\r\n",
            "P\xE4|01|1|2|caf\xE9 \tx\n"},
        Case {"NoMarker", "00 root\r\n01 A\r\n", ""},
        Case {"MarkerInModulesSkipped", kHead + Module("01", "A") + "<STARTMODULES>\r\n" + Module("02", "B"),
            "A|01|1|0|d\nB|02|1|0|d\n"},
        Case {"BlankAtPartNoPosition", kHead + "01 001 000  no part number\r\n", "|01|1|0|no part number\n"}),
    CaseName);

TEST(Catalog, GroupsInFileOrderRootFirst)
{
    const auto catalog = ParseCatalog("00 ignored\r\n02 Outputs\r\n01 \r\n");
    ASSERT_TRUE(catalog.Ok());
    ASSERT_EQ(catalog->Groups.size(), 3u);
    EXPECT_EQ(catalog->Groups[0].Code + "/" + catalog->Groups[0].Caption, "00/");
    EXPECT_EQ(catalog->Groups[1].Code + "/" + catalog->Groups[1].Caption, "02/Outputs");
    EXPECT_EQ(catalog->Groups[2].Code + "/" + catalog->Groups[2].Caption, "01/");
}

TEST(Catalog, SearchStopsAtAnEmptyPartNoAndAfterEntry255)
{
    auto text = kHead + Module("01", "A") + Module("00", "N1") + "01 001 000  empty\r\n" + Module("01", "B");
    auto catalog = ParseCatalog(text);
    ASSERT_TRUE(catalog.Ok());
    EXPECT_EQ(catalog->Find("A"), &catalog->Entries[0]);
    EXPECT_EQ(catalog->Find("a"), nullptr);
    EXPECT_EQ(catalog->Find(""), nullptr);
    EXPECT_EQ(catalog->Find("B"), nullptr);
    EXPECT_EQ(catalog->FirstBusNode(), &catalog->Entries[1]);

    text = kHead;
    for (int i = 0; i < CatalogCapacity; ++i)
        text += Module("01", "P" + std::to_string(i));
    catalog = ParseCatalog(text);
    ASSERT_TRUE(catalog.Ok()) << catalog.Error().Describe();
    EXPECT_EQ(catalog->Find("P255"), &catalog->Entries[255]);
    EXPECT_EQ(catalog->FirstBusNode(), nullptr);

    const auto tooMany = ParseCatalog(text + Module("01", "P256"));
    ASSERT_FALSE(tooMany.Ok());
    EXPECT_EQ(tooMany.Error().Line, 4 + CatalogCapacity + 1);
    EXPECT_NE(tooMany.Error().What.find("P256"), std::string::npos);
}

TEST_P(BadFile, FailsNamingLineAndText)
{
    const auto result = ParseCatalog(GetParam().Text, "dir/pn.dat");
    ASSERT_FALSE(result.Ok());
    EXPECT_EQ(result.Error().File, "dir/pn.dat");
    EXPECT_EQ(result.Error().Line, GetParam().Line);
    EXPECT_NE(result.Error().What.find(GetParam().Expected), std::string::npos) << result.Error().What;
}

INSTANTIATE_TEST_SUITE_P(Files, BadFile,
    ::testing::Values(Case {"Empty", "", "empty", 0},
        Case {"EmptyGroupLine", "00\r\n\r\n01 A\r\n", "empty line", 2},
        Case {"TrailingEmptyLine", kHead + Module("01", "A") + "\r\n", "empty line", 6},
        Case {"EndsAtMarker", "00\r\n<STARTMODULES>\r\n", "<STARTMODULES>", 2},
        Case {"EndsAtSecondMarker", kHead + Module("01", "A") + "<STARTMODULES>", "marker", 6},
        Case {"MarkerBehindMarker", kHead + "<STARTMODULES>\r\n", "<STARTMODULES>", 5},
        Case {"ShortGroupLine", "00\r\n01\r\n", "\"01\"", 2}, Case {"OneCharacterRoot", "0\r\n", "\"0\"", 1},
        Case {"GroupBeforeRoot", "01 A\r\n00\r\n", "\"01 A\"", 1},
        Case {"SecondRoot", "00\r\n01 A\r\n00 again\r\n", "\"00 again\"", 3},
        Case {"DuplicateGroup", "00\r\n01 A\r\n01 B\r\n", "\"01 B\"", 3},
        Case {"ModuleShorterThan12", kHead + "01 001 000 \r\n", "position 12", 5},
        Case {"ModuleWithoutBlank", kHead + "01 001 000 KR39DI16\r\n", "\"01 001 000 KR39DI16\"", 5},
        Case {"UnknownTypeCode", kHead + Module("03", "A"), "\"03\"", 5},
        Case {"NumberOutOfRange", kHead + Module("01", "A", "d", "9E9"), "range", 5},
        Case {"ControlCharactersEscaped", "00\r\n0\x01\r\n", "\"0\\x01\"", 2}),
    CaseName);

TEST_P(NumberField, ReadsLikeTheStartOfANumber)
{
    const auto& [field, expected] = GetParam();
    const auto catalog = ParseCatalog(kHead + Module("01", "A", "d", field, field));
    ASSERT_TRUE(catalog.Ok()) << catalog.Error().Describe();
    EXPECT_EQ(catalog->Entries[0].Inputs, expected);
    EXPECT_EQ(catalog->Entries[0].Outputs, expected);
}

INSTANTIATE_TEST_SUITE_P(Fields, NumberField,
    ::testing::Values(std::pair {"  8", 8}, std::pair {"008", 8}, std::pair {"8  ", 8}, std::pair {"   ", 0},
        std::pair {"abc", 0}, std::pair {"-12", -12}, std::pair {"- 5", -5}, std::pair {"1 2", 12},
        std::pair {"12x", 12}, std::pair {"2.5", 2}, std::pair {"3.5", 4}, std::pair {"1E2", 100}));

TEST(Catalog, LoadsPnDatInAnyLetterCase)
{
    const auto dir = fs::temp_directory_path()
        / ("kr39-catalog-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const auto missing = LoadCatalog(dir);
    ASSERT_FALSE(missing.Ok());
    EXPECT_EQ(missing.Error().File, (dir / "pn.dat").string());
    std::ofstream(dir / "PN.DAT", std::ios::binary) << kHead << Module("01", "A");
    const auto loaded = LoadCatalog(dir);
    fs::remove_all(dir);
    ASSERT_TRUE(loaded.Ok()) << loaded.Error().Describe();
    EXPECT_EQ(loaded->Entries[0].PartNo, "A");
}
