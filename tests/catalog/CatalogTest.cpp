#include "catalog/Catalog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace kr39;

namespace {

const std::string kHead = "00 KR39 node\r\n01 Digital inputs\r\n02 Digital outputs\r\n<STARTMODULES>\r\n";

std::string Module(const std::string& code, const std::string& inputs, const std::string& outputs,
    const std::string& partNo, const std::string& description)
{
    return code + " " + inputs + " " + outputs + " " + partNo + " " + description + "\r\n";
}

} // namespace

TEST(Catalog, ReadsGroupsAndModulesInFileOrder)
{
    const auto text = kHead + Module("01", "016", "000", "KR39DI16", "16 digital inputs 24 V")
        + Module("00", "  8", "8  ", "KR39NODE000001", "DeviceNet node")
        + Module("02", "000", "004", "KR39DO4", "");
    const auto catalog = ParseCatalog(text);
    ASSERT_TRUE(catalog.Ok()) << catalog.Error().Describe();
    ASSERT_EQ(catalog->Groups.size(), 3u);
    EXPECT_EQ(catalog->Groups[0].Code, "00");
    EXPECT_EQ(catalog->Groups[0].Caption, "");
    EXPECT_EQ(catalog->Groups[1].Code, "01");
    EXPECT_EQ(catalog->Groups[1].Caption, "Digital inputs");
    EXPECT_EQ(catalog->Groups[2].Caption, "Digital outputs");
    EXPECT_EQ(catalog->ModuleLineCount, 3);

    const auto& di = catalog->Entries[0];
    EXPECT_EQ(di.TypeCode, "01");
    EXPECT_EQ(di.Inputs, 16);
    EXPECT_EQ(di.Outputs, 0);
    EXPECT_EQ(di.PartNo, "KR39DI16");
    EXPECT_EQ(di.Description, "16 digital inputs 24 V");
    EXPECT_EQ(catalog->Entries[1].Inputs, 8);
    EXPECT_EQ(catalog->Entries[1].Outputs, 8);
    EXPECT_EQ(catalog->Entries[2].PartNo, "KR39DO4");
    EXPECT_EQ(catalog->Entries[2].Description, "");
    EXPECT_EQ(catalog->Entries[3].PartNo, "");
    EXPECT_EQ(catalog->Entries[3].TypeCode, "");

    EXPECT_EQ(catalog->FirstBusNode(), &catalog->Entries[1]);
    EXPECT_EQ(catalog->Find("KR39DO4"), &catalog->Entries[2]);
    EXPECT_EQ(catalog->Find("kr39do4"), nullptr);
    EXPECT_EQ(catalog->Find("KR39DO"), nullptr);
    EXPECT_EQ(catalog->Find(""), nullptr);
}

TEST(Catalog, AcceptsBareLineFeedsAndKeepsBytes)
{
    const std::string text = "00\n01 Gr\xFC\x70pe\n<STARTMODULES>\n01 001 002 P\xE4\x31 caf\xE9 \tx\r\n";
    const auto catalog = ParseCatalog(text);
    ASSERT_TRUE(catalog.Ok()) << catalog.Error().Describe();
    EXPECT_EQ(catalog->Groups[1].Caption, "Gr\xFC\x70pe");
    EXPECT_EQ(catalog->Entries[0].PartNo, "P\xE4\x31");
    EXPECT_EQ(catalog->Entries[0].Description, "caf\xE9 \tx");
}

TEST(Catalog, WithoutMarkerHoldsGroupsOnly)
{
    const auto catalog = ParseCatalog("00 root\r\n01 A\r\n");
    ASSERT_TRUE(catalog.Ok());
    EXPECT_EQ(catalog->Groups.size(), 2u);
    EXPECT_EQ(catalog->ModuleLineCount, 0);
    EXPECT_EQ(catalog->FirstBusNode(), nullptr);
}

TEST(Catalog, BlankAtPartNoPositionEndsEverySearch)
{
    const auto text = kHead + Module("01", "001", "000", "A", "first") + "01 001 000  empty part number\r\n"
        + Module("01", "001", "000", "B", "behind");
    const auto catalog = ParseCatalog(text);
    ASSERT_TRUE(catalog.Ok());
    EXPECT_EQ(catalog->ModuleLineCount, 3);
    EXPECT_EQ(catalog->Entries[1].PartNo, "");
    EXPECT_EQ(catalog->Entries[1].Description, "empty part number");
    EXPECT_NE(catalog->Find("A"), nullptr);
    EXPECT_EQ(catalog->Entries[2].PartNo, "B");
    EXPECT_EQ(catalog->Find("B"), nullptr);
}

TEST(Catalog, MarkerInModuleSectionIsSkipped)
{
    const auto text = kHead + Module("01", "001", "000", "A", "a") + "<STARTMODULES>\r\n"
        + Module("02", "000", "001", "B", "b");
    const auto catalog = ParseCatalog(text);
    ASSERT_TRUE(catalog.Ok()) << catalog.Error().Describe();
    EXPECT_EQ(catalog->ModuleLineCount, 2);
    EXPECT_EQ(catalog->Entries[1].PartNo, "B");
}

TEST(Catalog, FullCatalogAndSearchLimit)
{
    std::string text = kHead;
    for (int i = 0; i < CatalogCapacity; ++i)
        text += Module(i == 3 ? "00" : "01", "001", "002", "P" + std::to_string(i), "module");
    const auto full = ParseCatalog(text);
    ASSERT_TRUE(full.Ok()) << full.Error().Describe();
    EXPECT_EQ(full->ModuleLineCount, CatalogCapacity);
    EXPECT_EQ(full->Find("P255"), &full->Entries[255]);
    EXPECT_EQ(full->Find("P256"), nullptr);
    EXPECT_EQ(full->FirstBusNode(), &full->Entries[3]);

    const auto tooMany = ParseCatalog(text + Module("01", "001", "002", "P256", "one too many"));
    ASSERT_FALSE(tooMany.Ok());
    EXPECT_EQ(tooMany.Error().Line, 4 + CatalogCapacity + 1);
    EXPECT_NE(tooMany.Error().What.find("P256"), std::string::npos);
}

namespace {

struct BadFile {
    std::string Name;
    std::string Text;
    int Line; // the line that the failure names
    std::string Mentions; // a part of the failure's text
};

void PrintTo(const BadFile& c, std::ostream* os)
{
    *os << c.Name;
}

class CatalogFailure : public ::testing::TestWithParam<BadFile> { };

} // namespace

TEST_P(CatalogFailure, NamesFileLineAndText)
{
    const auto result = ParseCatalog(GetParam().Text, "dir/pn.dat");
    ASSERT_FALSE(result.Ok());
    EXPECT_EQ(result.Error().File, "dir/pn.dat");
    EXPECT_EQ(result.Error().Line, GetParam().Line);
    EXPECT_NE(result.Error().What.find(GetParam().Mentions), std::string::npos) << result.Error().What;
}

INSTANTIATE_TEST_SUITE_P(Files, CatalogFailure,
    ::testing::Values(BadFile {"Empty", "", 0, "empty"},
        BadFile {"EmptyLineInGroups", "00\r\n\r\n01 A\r\n", 2, "empty line"},
        BadFile {"EmptyLineInModules", kHead + "\r\n", 5, "empty line"},
        BadFile {"TrailingEmptyLine", kHead + Module("01", "001", "000", "A", "a") + "\r\n", 6, "empty line"},
        BadFile {"EndsAtMarker", "00\r\n<STARTMODULES>\r\n", 2, "<STARTMODULES>"},
        BadFile {"EndsAtMarkerInModules", kHead + Module("01", "001", "000", "A", "a") + "<STARTMODULES>", 6,
            "marker"},
        BadFile {"ShortGroupLine", "00\r\n01\r\n", 2, "\"01\""},
        BadFile {"OneCharacterRoot", "0\r\n", 1, "\"0\""},
        BadFile {"GroupBeforeRoot", "01 A\r\n00\r\n", 1, "\"01 A\""},
        BadFile {"SecondRoot", "00\r\n01 A\r\n00 again\r\n", 3, "\"00 again\""},
        BadFile {"DuplicateGroup", "00\r\n01 A\r\n01 B\r\n", 3, "\"01 B\""},
        BadFile {"ModuleShorterThan12", kHead + "01 001 000 \r\n", 5, "position 12"},
        BadFile {"ModuleWithoutBlank", kHead + "01 001 000 KR39DI16\r\n", 5, "KR39DI16"},
        BadFile {"UnknownTypeCode", kHead + Module("03", "001", "000", "A", "a"), 5, "\"03\""},
        BadFile {"MarkerBehindMarker", kHead + "<STARTMODULES>\r\n", 5, "<STARTMODULES>"},
        BadFile {"NumberOutOfRange", kHead + Module("01", "9E9", "000", "A", "a"), 5, "range"},
        BadFile {"ControlCharactersEscaped", "00\r\n0\x01\r\n", 2, "\"0\\x01\""}),
    [](const auto& info) { return info.param.Name; });

namespace {

struct Field {
    std::string Text;
    int Expected;
};

void PrintTo(const Field& c, std::ostream* os)
{
    *os << '"' << c.Text << '"';
}

class NumberField : public ::testing::TestWithParam<Field> { };

} // namespace

TEST_P(NumberField, ReadsLikeTheStartOfANumber)
{
    const auto& field = GetParam().Text;
    ASSERT_EQ(field.size(), 3u);
    const auto catalog = ParseCatalog(kHead + Module("01", field, field, "A", "a"));
    ASSERT_TRUE(catalog.Ok()) << catalog.Error().Describe();
    EXPECT_EQ(catalog->Entries[0].Inputs, GetParam().Expected);
    EXPECT_EQ(catalog->Entries[0].Outputs, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Fields, NumberField,
    ::testing::Values(Field {"  8", 8}, Field {"008", 8}, Field {"8  ", 8}, Field {"   ", 0},
        Field {"abc", 0}, Field {"-12", -12}, Field {"- 5", -5}, Field {"1 2", 12}, Field {"12x", 12},
        Field {"2.5", 2}, Field {"3.5", 4}, Field {".5 ", 0}, Field {"1E2", 100}, Field {"999", 999}));

TEST(Catalog, LoadsPnDatInAnyLetterCase)
{
    const auto dir = fs::temp_directory_path() / ("kr39-catalog-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const auto missing = LoadCatalog(dir);
    ASSERT_FALSE(missing.Ok());
    EXPECT_NE(missing.Error().File.find("pn.dat"), std::string::npos);

    std::ofstream(dir / "PN.DAT", std::ios::binary) << kHead << Module("01", "001", "000", "A", "a");
    const auto loaded = LoadCatalog(dir);
    ASSERT_TRUE(loaded.Ok()) << loaded.Error().Describe();
    EXPECT_EQ(loaded->Entries[0].PartNo, "A");
    fs::remove_all(dir);
}
