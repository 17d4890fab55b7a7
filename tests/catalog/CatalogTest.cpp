#include "catalog/Catalog.h"

#include "../TestSupport.h"

#include <chrono>

using namespace kr39;
using namespace std::string_literals;
using CatalogFolder = kr39test::TempDir;

namespace {

const std::string kHead = "00 KR39 node\r\n01 Digital inputs\r\n02 Digital outputs\r\n<STARTMODULES>\r\n";

std::string Module(const std::string& code, const std::string& partNo, const std::string& numbers = "001 000")
{
    return code + " " + numbers + " " + partNo + " d\r\n";
}

// The root line and a group for every two-byte code of bytes 14..255 except "00": 58563 groups.
std::string ManyGroupLines()
{
    std::string text = "00 root\r\n";
    for (int first = 14; first < 256; ++first)
        for (int second = 14; second < 256; ++second)
            if (first != '0' || second != '0')
                text += std::string {static_cast<char>(first), static_cast<char>(second)} + " group\r\n";
    return text;
}

struct Case {
    std::string Name;
    std::string Text;
    int Line; // -1: the file loads; else the line its failure names
    // A good file's module lines as "PartNo|TypeCode|Inputs|Outputs|Description"; a part of the
    // failure's text for a bad one.
    std::string Expected;
    friend void PrintTo(const Case& c, std::ostream* os) { *os << c.Name; }
};

class CatalogFile : public ::testing::TestWithParam<Case> { };

} // namespace

TEST_P(CatalogFile, LoadsOrNamesLineAndReason)
{
    const auto start = std::chrono::steady_clock::now();
    const auto result = ParseCatalog(GetParam().Text, "dir/pn.dat");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "too slow";
    ASSERT_EQ(result.Ok(), GetParam().Line < 0) << (result ? "loaded" : result.Error().Describe());
    if (result) {
        std::string rows;
        for (int i = 0; i < result->ModuleLineCount; ++i) {
            const auto& e = result->Entries[static_cast<std::size_t>(i)];
            rows += e.PartNo + "|" + e.TypeCode + "|" + std::to_string(e.Inputs) + "|"
                + std::to_string(e.Outputs) + "|" + e.Description + "\n";
        }
        EXPECT_EQ(rows, GetParam().Expected);
        return;
    }
    EXPECT_EQ(result.Error().File, "dir/pn.dat");
    EXPECT_EQ(result.Error().Line, GetParam().Line);
    EXPECT_NE(result.Error().What.find(GetParam().Expected), std::string::npos) << result.Error().What;
    // A failure quotes at most a short piece of the line, on one line.
    EXPECT_LT(result.Error().What.size(), 200u);
    EXPECT_EQ(result.Error().What.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Files, CatalogFile,
    ::testing::Values(
        // Numbers read like the start of a number; a second marker is skipped; a blank at the
        // part number's position gives an empty part number.
        Case {"FileOrder",
            kHead + Module("01", "DI16", "16x 000") + "00   8 8   NODE node\r\n<STARTMODULES>\r\n"
                + "02 000 004 DO4 \r\n01 001 000  no part number\r\n",
            -1, "DI16|01|16|0|d\nNODE|00|8|8|node\nDO4|02|0|4|\n|01|1|0|no part number\n"},
        Case {"BareLineFeedsNulAndHighBytesPassThrough",
            "00\0r\n01\0Gr\xFCppe\n<STARTMODULES>\r\n01\0"
            "016\0"
            "000\0P\0\xFF caf\xE9 \tx\n"s,
            -1, "P\0\xFF|01|16|0|caf\xE9 \tx\n"s},
        Case {"LoneCarriageReturnsDoNotEndLines", "00 root\r01 A\r<STARTMODULES>\r01 001 000 P d\r", -1, ""},
        Case {"MegabyteCaptionAndDescription",
            "00 root\r\n01 " + std::string(1 << 20, 'x') + "\r\n<STARTMODULES>\r\n01 016 000 P "
                + std::string(1 << 20, 'd'),
            -1, "P|01|16|0|" + std::string(1 << 20, 'd') + "\n"},
        Case {"ManyGroups", ManyGroupLines(), -1, ""}, Case {"Empty", "", 0, "empty"},
        Case {"MegabyteOfLineEnds", "00 root\r\n" + std::string(1 << 20, '\n'), 2, "empty line"},
        Case {"EndsAtMarker", "00\r\n<STARTMODULES>\r\n", 2, "<STARTMODULES>"},
        Case {"ShortGroupLine", "00\r\n01\r\n", 2, "\"01\""},
        Case {"GroupBeforeRoot", "01 A\r\n00\r\n", 1, "\"01 A\""},
        Case {"MegabyteSecondRoot", "00 root\r\n" + std::string(1 << 20, '0') + "\r\n", 2, "\"000"},
        Case {"ManyGroupsThenADuplicate", ManyGroupLines() + "\x0E\x0E again\r\n", 242 * 242 + 1, "again"},
        Case {"TruncatedAtPartNo", kHead + "01 001 000 KR39DI16", 5, "\"01 001 000 KR39DI16\""},
        Case {"NumberOutOfRange", kHead + Module("01", "A", "9E9 000"), 5, "range"},
        Case {"OutputsOutOfRange", kHead + Module("01", "A", "000 9E9"), 5, "range"},
        Case {"ControlCharactersEscaped", "00\r\n0\x01\r\n", 2, "\"0\\x01\""}),
    [](const auto& info) { return info.param.Name; });

TEST(Catalog, GroupsInFileOrderAndSearchStopsAtAnEmptyPartNoAndAfterEntry255)
{
    auto catalog = ParseCatalog("00 ignored\r\n02 Outputs\r\n01 \r\n<STARTMODULES>\r\n" + Module("01", "A")
        + Module("00", "N1") + "01 001 000  empty\r\n" + Module("01", "B"));
    ASSERT_TRUE(catalog.Ok());
    ASSERT_EQ(catalog->Groups.size(), 3u);
    EXPECT_EQ(catalog->Groups[1].Code + "/" + catalog->Groups[1].Caption, "02/Outputs");
    EXPECT_EQ(catalog->Groups[2].Code + "/" + catalog->Groups[2].Caption, "01/");
    EXPECT_EQ(catalog->Find("A"), &catalog->Entries[0]);
    EXPECT_EQ(catalog->Find("a"), nullptr);
    EXPECT_EQ(catalog->Find("B"), nullptr);
    EXPECT_EQ(catalog->FirstBusNode(), &catalog->Entries[1]);

    std::string text = kHead;
    for (int i = 0; i < CatalogCapacity; ++i)
        text += Module("01", "P" + std::to_string(i));
    catalog = ParseCatalog(text);
    ASSERT_TRUE(catalog.Ok()) << catalog.Error().Describe();
    EXPECT_EQ(catalog->Find("P255"), &catalog->Entries[255]);
    EXPECT_EQ(catalog->FirstBusNode(), nullptr);
    const auto tooMany = ParseCatalog(text + Module("01", "P256"));
    ASSERT_FALSE(tooMany.Ok());
    EXPECT_EQ(tooMany.Error().Line, 4 + CatalogCapacity + 1);
}

TEST_F(CatalogFolder, LoadsPnDatInAnyLetterCaseAndRefusesAFolder)
{
    EXPECT_FALSE(LoadCatalog(dir / "missing folder").Ok());
    fs::create_directories(dir / "pn.dat");
    EXPECT_FALSE(LoadCatalog(dir).Ok());
    fs::remove(dir / "pn.dat");
    Write("PN.DAT", kHead + Module("01", "A"));
    const auto loaded = LoadCatalog(dir);
    ASSERT_TRUE(loaded.Ok()) << loaded.Error().Describe();
    EXPECT_EQ(loaded->Entries[0].PartNo, "A");
}
