// The EDS checker: one table of good and bad fragments per group of rules. A fragment takes the
// place of the section of a small valid EDS that it begins with (or is appended to it); a bad
// fragment names the line, counted within the fragment, that the message must carry, and no other
// line may be blamed.
#include "eds/EdsCheck.h"

#include "../TestSupport.h"

#include <cstdlib>

using namespace kr39;

namespace {

const std::string kFile = "[File]\n"
                          "        DescText = \"Test device\";\n"
                          "        CreateDate = 12-06-2026;        $ mm-dd-yyyy\n"
                          "        CreateTime = 08:30:00;\n"
                          "        Revision = 1.0;\n";
const std::string kDevice = "[Device]\n"
                            "        VendCode = 1039;\n"
                            "        VendName = \"KR39 Systems\";\n"
                            "        ProdType = 12;\n"
                            "        ProdTypeStr = \"Communications Adapter\";\n"
                            "        ProdCode = 39;\n"
                            "        MajRev = 1;\n"
                            "        MinRev = 1;\n"
                            "        ProdName = \"Test\";\n";
const std::string kIoInfo = "[IO_Info]\n"
                            "        Default = 0x0001;\n"
                            "        PollInfo = 0x0001, 1, 1;\n"
                            "        Input1 = 4, 0, 0x0001, \"In\", 6, \"20 04 24 64 30 03\", \"\";\n"
                            "        Output1 = 0, 0, 0x0001, \"Out\", 6, \"20 04 24 96 30 03\", \"\";\n";

// A parameter on one line: descriptor, data type, size, minimum, maximum, default.
std::string Param(int n, const std::string& rest)
{
    return "        Param" + std::to_string(n) + " = 0, 6, \"20 64 24 01 30 01\", " + rest
        + ", 1,1,1,0, 0,0,0,0, 0;\n";
}
std::string Param(int n)
{
    return Param(n, "0x0002, 0xC6, 1, \"Mode\", \"\", \"Help\", 0, 2, 1");
}

std::string Params(const std::string& body, int maxInst = 2)
{
    return "[ParamClass]\n        MaxInst = " + std::to_string(maxInst) + ";\n[Params]\n" + body;
}
const std::string kEnum1 = "        Enum1 = 0,\"Off\",1,\"On\",2,\"Auto\";\n";
const std::string kParams
    = Params(Param(1) + kEnum1 + Param(2, "0x0010, 0xC7, 2, \"Count\", \"ms\", \"Help\", 0, 1000, 10"));

struct Row {
    std::string Name;
    std::string Fragment;
    int Line = 0; // 0: the fragment is good, nothing is reported
    std::string Message = {};
    Severity Level = Severity::Error;
    friend void PrintTo(const Row& row, std::ostream* os) { *os << row.Name; }
};

class EdsRule : public ::testing::TestWithParam<Row> { };

TEST_P(EdsRule, ReportsTheDefectOnItsLine)
{
    const auto& row = GetParam();
    std::string text;
    for (const auto& body : {kFile, kDevice, kIoInfo, kParams}) {
        if (!row.Fragment.starts_with(body.substr(0, body.find('\n') + 1)))
            text += body;
    }
    const int line = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + row.Line;
    const auto findings = CheckEds(text + row.Fragment);
    std::string all;
    for (const auto& f : findings)
        all += FormatFinding("t.eds", f) + "\n";
    if (row.Line == 0) {
        EXPECT_TRUE(findings.empty()) << all;
        return;
    }
    bool found = false;
    for (const auto& f : findings) {
        EXPECT_EQ(f.Line, line) << all;
        found |= f.Line == line && f.Level == row.Level && f.Text.find(row.Message) != std::string::npos;
    }
    EXPECT_TRUE(found) << "expected at line " << line << ": " << row.Message << "\n" << all;
}

auto Name = [](const auto& info) { return info.param.Name; };

INSTANTIATE_TEST_SUITE_P(Lexical, EdsRule,
    ::testing::Values(Row {"GoodFieldsStringsComments",
                          "[Extra]\n  A = 1, \"two \" $ joined\n   \"parts\",\n  , 0x10; $ done\nB=;\n"},
        Row {"UnterminatedString", "[Extra]\n  A = \"open;\n  B = 1;\n", 2, "string not ended on its line"},
        Row {"MissingSemicolonBeforeNextEntry", "[Extra]\n  A = 1,\n    2\n  B = 3;\n", 3,
            "entry \"A\" is not ended by ';'"},
        Row {"MissingSemicolonAfterString", "[Extra]\n  A = 1, \"x\"\n  B = 3;\n", 2,
            "entry \"A\" is not ended by ';'"},
        Row {
            "MissingCommaBeforeString", "[Extra]\n  A = 1\n    \"x\";\n", 3, "',' missing before the string"},
        Row {"MissingSemicolonAtEnd", "[Extra]\n  A = 1,\n    2\n", 3, "is not ended by ';'"},
        Row {"MissingSemicolonBeforeSection", "[Extra]\n  A = 1\n[More]\n", 2, "is not ended by ';'"},
        Row {"MissingComma", "[Extra]\n  A = 1\n    2;\n", 3, "',' missing before \"2\""},
        Row {"RepeatedKeyword", "[Extra]\n  A = 1;\n  A = 2;\n", 3,
            "A appears again in [Extra] (first at line"},
        Row {"RepeatedSection", "[Extra]\n[File]\n", 2, "section [File] appears again"},
        Row {"NoEquals", "[Extra]\n  Junk;\n", 2, "\"Junk\" is no entry: '=' missing"},
        Row {"NoKeyword", "[Extra]\n  2A = 1;\n", 2, "\"2A\" is no keyword"},
        Row {"TextAndStringInOneField", "[Extra]\n  A = x \"y\";\n", 2, "text and a string in one field"},
        Row {"HeaderWithoutBracket", "[Extra\n", 1, "section header without ']'"},
        Row {"TextAfterHeader", "[Extra] junk\n", 1, "text after the section header"},
        Row {"NonAsciiInString", "[Extra]\n  A = \"Gr\xFC\xDF\";\n", 2, "outside ASCII", Severity::Warning},
        Row {"ControlCharacter", "[Extra]\n  A = 1;\x1A\n", 2, "control character"},
        Row {"LoneCr", "[Extra]\n  A = 1;\r  B = 2;\n", 2, "CR that is not followed by LF"},
        Row {"MixedLineEnds", "[Extra]\n  A = 1;\r\n", 2, "line ends change", Severity::Warning}),
    Name);

// The section `base` with its first `replace` changed to `by`.
std::string Replace(std::string base, const std::string& replace, const std::string& by)
{
    return base.replace(base.find(replace), replace.size(), by);
}

INSTANTIATE_TEST_SUITE_P(File, EdsRule,
    ::testing::Values(
        Row {"GoodWithModDateAndLeapDay", kFile + "  ModDate = 02-29-2028;\n  ModTime = 23:59:59;\n"},
        Row {"IsoDate", Replace(kFile, "12-06-2026", "2026-12-06"), 3, "is no date"},
        Row {"NoSuchDay", kFile + "  ModDate = 02-29-2026;\n", 6, "ModDate \"02-29-2026\" is no date"},
        Row {"QuotedDate", kFile + "  ModDate = \"12-06-2026\";\n", 6, "takes a value without quotes"},
        Row {"BadTime", kFile + "  ModTime = 24:00:00;\n", 6, "ModTime \"24:00:00\" is no time hh:mm:ss"},
        Row {"BadRevision", Replace(kFile, "1.0", "1"), 5, "Revision \"1\" is no revision"},
        Row {"DescTextUnquoted", Replace(kFile, "\"Test device\"", "x"), 2, "DescText takes a string"},
        Row {"NoCreateDate", Replace(kFile, "        CreateDate = 12-06-2026;        $ mm-dd-yyyy\n", ""), 1,
            "[File] has no CreateDate"}),
    Name);

INSTANTIATE_TEST_SUITE_P(Device, EdsRule,
    ::testing::Values(
        Row {"GoodHexAndCatalog",
            Replace(kDevice, "VendCode = 1039;", "VendCode = 0x040F;") + "  Catalog = \"KR39\";\n"},
        Row {"VendCodeAboveUint", Replace(kDevice, "1039", "65536"), 2, "VendCode 65536 is outside 0..65535"},
        Row {"ProdTypeNoNumber", Replace(kDevice, "ProdType = 12", "ProdType = twelve"), 4,
            "ProdType \"twelve\" is no number"},
        Row {"ProdCodeNegative", Replace(kDevice, "ProdCode = 39", "ProdCode = -1"), 6, "outside 0..65535"},
        Row {"MajRevZero", Replace(kDevice, "MajRev = 1", "MajRev = 0"), 7, "MajRev 0 is outside 1..127"},
        Row {"MajRev128", Replace(kDevice, "MajRev = 1", "MajRev = 128"), 7, "outside 1..127"},
        Row {"MinRev256", Replace(kDevice, "MinRev = 1", "MinRev = 256"), 8, "MinRev 256 is outside 1..255"},
        Row {"ProdNameUnquoted", Replace(kDevice, "\"Test\"", "Test"), 9, "ProdName takes a string"},
        Row {"CatalogTwoFields", kDevice + "  Catalog = \"a\", \"b\";\n", 10,
            "Catalog has 2 fields; it takes 1"},
        Row {"NoVendName", Replace(kDevice, "        VendName = \"KR39 Systems\";\n", ""), 1,
            "[Device] has no VendName"}),
    Name);

INSTANTIATE_TEST_SUITE_P(IoInfo, EdsRule,
    ::testing::Values(Row {"GoodStrobeWithoutOutput", kIoInfo + "  StrobeInfo = 0x000F,\n    1,\n    0;\n"},
        Row {"DefaultNoNumber", Replace(kIoInfo, "0x0001;", "poll;"), 2, "Default \"poll\" is no number"},
        Row {"PollInfoNamesMissingInput", kIoInfo + "  COSInfo = 0x0004,\n    2,\n    1;\n", 7,
            "COSInfo names Input2, which is not defined"},
        Row {"PollInfoNamesMissingOutput", Replace(kIoInfo, "0x0001, 1, 1;", "0x0001, 1, 3;"), 3,
            "PollInfo names Output3"},
        Row {"PollInfoTwoFields", Replace(kIoInfo, "0x0001, 1, 1;", "0x0001, 1;"), 3,
            "PollInfo has 2 fields; it takes 3"},
        Row {"PollInfoMaskAboveWord", Replace(kIoInfo, "0x0001, 1, 1;", "0x10000, 1, 1;"), 3, "mask"},
        Row {"InputSixFields", Replace(kIoInfo, "\"20 04 24 64 30 03\", \"\";", "\"20 04 24 64 30 03\";"), 4,
            "Input1 has 6 fields; it takes 7"},
        Row {"PathShorterThanItsSize", Replace(kIoInfo, "\"20 04 24 64 30 03\"", "\"20 04 24 64 30\""), 4,
            "Input1 path has 5 bytes, its size says 6"},
        Row {"PathNoHex", Replace(kIoInfo, "\"20 04 24 64 30 03\"", "\"20 04 24 6G 30 03\""), 4,
            "\"6G\" is no hex byte"},
        Row {"MoreBitsThanBytes", Replace(kIoInfo, "Input1 = 4, 0,", "Input1 = 4, 33,"), 4,
            "Input1 has 33 bits in 4 bytes"},
        Row {"NameUnquoted", Replace(kIoInfo, "\"Out\"", "Out"), 5, "Output1 field 4 takes a string"}),
    Name);

// The fields of a parameter without the enumerated-strings bit from the descriptor on: data type
// and size, then minimum, maximum and default.
std::string Plain(const std::string& type, const std::string& limits)
{
    return "0x0000, " + type + ", \"A\", \"\", \"\", " + limits;
}
// Param1 with its Enum1, then Param2 of `type` and `limits`; its defects are on line 6.
std::string Second(const std::string& type, const std::string& limits)
{
    return Params(Param(1) + kEnum1 + Param(2, Plain(type, limits)));
}
const std::string kSecond = Second("0xC6, 1", "0, 1, 0");

INSTANTIATE_TEST_SUITE_P(Params, EdsRule,
    ::testing::Values(
        Row {"GoodRealStringAndOpenLimits",
            Params(Param(1, "0x0000, 0xCA, 4, \"Gain\", \"V\", \"Help\", -1.5, 2.5e1, 0.5")
                    + Param(2, "0x0010, 0xDA, 1, \"Text\", \"\", \"Help\", 0, 20, \" \"")
                    + Param(3, "0x0000, 0xC3, 2, \"Open\", \"\", \"Help\", , , ")
                    + "        Param4 = 0, , \"\", 0x0000, 0xC1, 1, \"Flag\", \"\", \"\", 0, 1, 0,\n"
                      "                 ,,,, ,,,, ;\n",
                4)},
        Row {"GoodEnumParSection",
            Params(Param(1) + Param(2, Plain("0xC6, 1", "0, 1, 0")))
                + "[EnumPar]\n  Param1 = \"Off\", \"On\", \"Auto\";\n"},
        Row {"MaxInstDiffers", Params(Param(1) + kEnum1, 2), 2,
            "MaxInst is 2 but [Params] holds 1 ParamN entries"},
        Row {"NumberGap", Params(Param(1) + kEnum1 + Param(3)), 6,
            "Param3 follows Param1; parameters are numbered"},
        Row {"TwentyFields", Replace(kSecond, "Param2 = 0, 6", "Param2 = 0"), 6,
            "Param2 has 20 fields; it takes 21"},
        Row {"ReservedNotZero", Replace(kSecond, "Param2 = 0", "Param2 = 1"), 6,
            "Param2 reserved field is \"1\"; it must be 0"},
        Row {"LinkPathSizeDiffers", Replace(kSecond, "Param2 = 0, 6", "Param2 = 0, 4"), 6,
            "Param2 link path has 6 bytes, its size says 4"},
        Row {"UnknownDataType", Second("0xE0, 1", "0, 1, 0"), 6,
            "Param2 data type 0xE0 is no known data type"},
        Row {"SizeOfTypeDiffers", Second("0xC7, 1", "0, 1, 0"), 6, "Param2 data size is 1, UINT takes 2"},
        Row {"MaxBelowMin", Second("0xC6, 1", "5, 4, 5"), 6, "Param2 maximum 4 is below its minimum 5"},
        Row {"DefaultAboveMax", Second("0xC6, 1", "0, 4, 5"), 6, "Param2 default 5 is above its maximum 4"},
        Row {"MinimumOutsideType", Second("0xC6, 1", "-1, 4, 0"), 6,
            "Param2 minimum -1 is outside the range of USINT"},
        Row {"BoolAboveOne", Second("0xC1, 1", "0, 2, 0"), 6, "maximum 2 is outside the range of BOOL"},
        Row {"EnumWithoutBit", Params(Param(1, Plain("0xC6, 1", "0, 2, 1")) + kEnum1, 1), 5,
            "Enum1 belongs to Param1, whose descriptor lacks the enumerated-strings bit"},
        Row {"BitWithoutEnum", Params(Param(1) + Param(2, Plain("0xC6, 1", "0, 1, 0"))), 4,
            "Param1 has the enumerated-strings bit 0x0002 but no Enum1"},
        Row {"EnumBeforeItsParam",
            Params("        Enum1 = 0,\"Off\";\n" + Param(1, Plain("0xC6, 1", "0, 2, 1")), 1), 4,
            "Enum1 stands before or without its Param1"},
        Row {"EnumValueOutsideRange", Params(Param(1) + "        Enum1 = 0,\"Off\",3,\"Never\";\n", 1), 5,
            "Enum1 value 3 is outside Param1's range 0..2"},
        Row {"EnumValueTwice", Params(Param(1) + "        Enum1 = 0,\"Off\",0,\"Zero\";\n", 1), 5,
            "Enum1 lists the value 0 twice"},
        Row {"EnumOddFields", Params(Param(1) + "        Enum1 = 0,\"Off\",1;\n", 1), 5,
            "odd number of fields"},
        Row {"EnumTextUnquoted", Params(Param(1) + "        Enum1 = 0,Off;\n", 1), 5,
            "Enum1 text \"Off\" is no string"},
        Row {"EnumParForMissingParam", Params(Param(1) + kEnum1, 1) + "[EnumPar]\n  Param7 = \"x\";\n", 7,
            "[EnumPar] Param7 names no parameter"}),
    Name);

} // namespace

// The vendor files beside the repository, when they are there: real files pass without errors.
TEST(EdsCheckVendorFiles, PassWithoutErrors)
{
    const char* given = std::getenv("KR39_EDS_EXAMPLES");
    const auto dir
        = given != nullptr ? fs::path(given) : fs::path(KR39_SOURCE_DIR) / ".." / "shared" / "eds-examples";
    const char* const files[]
        = {"476297.eds", "DNS_V5_EXTENDED_CONFIG_DEMO.EDS", "HILSCHER NETX90 DN DNS.EDS"};
    if (!fs::exists(dir / files[0]))
        GTEST_SKIP() << "no vendor EDS files at " << dir << " (set KR39_EDS_EXAMPLES)";
    for (const char* name : files) {
        const auto findings = CheckEds(kr39test::ReadBytes(dir / name));
        for (const auto& f : findings)
            EXPECT_NE(f.Level, Severity::Error) << FormatFinding(name, f);
        if (std::string(name) == "476297.eds") {
            // Its one Windows-1252 byte, an apostrophe in a parameter name.
            ASSERT_EQ(findings.size(), 1u);
            EXPECT_EQ(FormatFinding(name, findings[0]),
                "476297.eds:399: warning: a byte outside ASCII; EDS files are ASCII text");
        }
    }
}

TEST(EdsCheck, FindingsComeInLineOrderInTheCompilerForm)
{
    const auto findings = CheckEds("A = 1;\n[Device]\n  MajRev = 0;\n[File]\n  Revision = 1.0;\n"
                                   "[File]\n  Revision = 1.1;\n");
    ASSERT_GE(findings.size(), 3u);
    EXPECT_EQ(FormatFinding("x.eds", findings.front()),
        "x.eds:1: error: entry \"A\" stands before the first section");
    // A repeated section counts as the first one, so its keywords are compared with the first's.
    EXPECT_EQ(FormatFinding("x.eds", findings.back()),
        "x.eds:7: error: Revision appears again in [File] (first at line 5)");
    EXPECT_TRUE(std::is_sorted(findings.begin(), findings.end(),
        [](const EdsFinding& a, const EdsFinding& b) { return a.Line < b.Line; }));
}
