// Bad catalog files: no crash, no hang, a failure that names the line, and bytes kept as read.
#include "catalog/Catalog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;
using namespace kr39;

namespace {

const std::string kHead = "00 KR39 node\r\n01 Digital inputs\r\n<STARTMODULES>\r\n";

std::string Binary(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (auto& c : bytes)
        c = static_cast<char>(rng() & 0xFF);
    return bytes;
}

// The root line and one group line for every two-byte code made of bytes 14 to 255 (no line
// end inside, "00" left out): 58563 groups.
constexpr int kManyGroups = 242 * 242 - 1;
std::string ManyGroupLines()
{
    std::string text = "00 root\r\n";
    for (int first = 14; first < 256; ++first) {
        for (int second = 14; second < 256; ++second) {
            if (first == '0' && second == '0')
                continue;
            text += static_cast<char>(first);
            text += static_cast<char>(second);
            text += " group\r\n";
        }
    }
    return text;
}

struct Input {
    std::string Name;
    std::string Text;
    bool Loads;
    int Line; // the line a failure names (0: the file as a whole)
};

void PrintTo(const Input& c, std::ostream* os)
{
    *os << c.Name;
}

class CatalogInput : public ::testing::TestWithParam<Input> { };

} // namespace

TEST_P(CatalogInput, LoadsOrNamesTheLine)
{
    const auto start = std::chrono::steady_clock::now();
    const auto result = ParseCatalog(GetParam().Text);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "too slow";
    ASSERT_EQ(result.Ok(), GetParam().Loads) << (result ? "loaded" : result.Error().Describe());
    if (!result) {
        EXPECT_EQ(result.Error().Line, GetParam().Line);
        EXPECT_FALSE(result.Error().What.empty());
        // A failure quotes at most a short piece of the line, on one line.
        EXPECT_LT(result.Error().What.size(), 200u);
        EXPECT_EQ(result.Error().What.find('\n'), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, CatalogInput,
    ::testing::Values(Input {"Binary", Binary(4096, 1), false, 1},
        Input {"BinaryAfterHead", kHead + Binary(4096, 2), false, 4},
        Input {"TruncatedModuleLine", kHead + "01 016 0", false, 4},
        Input {"TruncatedAtPartNo", kHead + "01 016 000 KR39DI1", false, 4},
        Input {"MegabyteCaption", "00 root\r\n01 " + std::string(1 << 20, 'x') + "\r\n", true, 0},
        Input {"MegabyteSecondRoot", "00 root\r\n" + std::string(1 << 20, '0') + "\r\n", false, 2},
        Input {"MegabyteDescription", kHead + "01 016 000 P " + std::string(1 << 20, 'd'), true, 0},
        Input {"MegabyteModuleLineWithoutBlank", kHead + "01 016 000 " + std::string(1 << 20, 'P'), false, 4},
        Input {"MegabyteOfLineEnds", "00 root\r\n" + std::string(1 << 20, '\n'), false, 2},
        Input {"LoneCarriageReturns", "00 root\r01 A\r<STARTMODULES>\r01 001 000 P d\r", true, 0},
        Input {"ManyGroups", ManyGroupLines(), true, 0},
        Input {"ManyGroupsThenADuplicate", ManyGroupLines() + "\x0E\x0E again\r\n", false, kManyGroups + 2},
        Input {"MarkerOnlyOnce", "<STARTMODULES>\r\n", false, 1}),
    [](const auto& info) { return info.param.Name; });

TEST(CatalogRobustness, NulBytesAndHighBytesPassThrough)
{
    using namespace std::string_literals;
    const auto text = "00\0root\r\n01\0Gr\0up\r\n<STARTMODULES>\r\n01\0"
                      "016\0"
                      "000\0P\0\xFF d\0e\r\n"s;
    const auto result = ParseCatalog(text);
    ASSERT_TRUE(result.Ok()) << result.Error().Describe();
    EXPECT_EQ(result->Groups[1].Caption, std::string("Gr\0up", 5));
    EXPECT_EQ(result->Entries[0].PartNo, std::string("P\0\xFF", 3));
    EXPECT_EQ(result->Entries[0].Description, std::string("d\0e", 3));
    EXPECT_EQ(result->Entries[0].Inputs, 16);
}

TEST(CatalogRobustness, LoneCarriageReturnsDoNotEndLines)
{
    // Only CR LF and LF end a line: a file with old Macintosh line ends is one root line.
    const auto result = ParseCatalog("00 root\r01 A\r<STARTMODULES>\r01 001 000 P d\r");
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result->Groups.size(), 1u);
    EXPECT_EQ(result->ModuleLineCount, 0);
}

TEST(CatalogRobustness, WhatIsNoReadableFileFails)
{
    const auto dir = fs::temp_directory_path() / ("kr39-catalog-robust-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    EXPECT_FALSE(LoadCatalog(dir).Ok()) << "no pn.dat";
    EXPECT_FALSE(LoadCatalog(dir / "missing folder").Ok());
    fs::create_directories(dir / "pn.dat");
    const auto folder = LoadCatalog(dir);
    ASSERT_FALSE(folder.Ok());
    EXPECT_FALSE(folder.Error().What.empty());
    fs::remove_all(dir);
}
