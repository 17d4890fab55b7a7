// End-to-end checks of the module library in modules/: the catalog, the pictures, and EDS
// files generated from every shipped module, checked for their structure.
#include "catalog/Catalog.h"
#include "eds/EdsGenerator.h"
#include "eds/EdsRules.h"
#include "station/Station.h"
#include "util/FileIo.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

namespace fs = std::filesystem;
using namespace kr39;

namespace {

const fs::path kModules = fs::path(KR39_SOURCE_DIR) / "modules";

struct Entry {
    std::string section;
    std::string keyword;
    std::string body; // the text after "=", comments removed
};

// A line that opens an entry: a keyword, then "=".
bool StartsEntry(const std::string& line)
{
    std::size_t i = line.find_first_not_of(" \t");
    const std::size_t begin = i;
    while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '_'))
        ++i;
    if (i == begin || !std::isalpha(static_cast<unsigned char>(line[begin])))
        return false;
    i = line.find_first_not_of(" \t", i);
    return i != std::string::npos && line[i] == '=';
}

// Cuts EDS text into its entries. Comments ($ outside quotes) are dropped; an entry runs from
// its keyword to the ";" that ends it, over as many lines as it takes. Reports text that is no
// entry and an entry that a section header or the end of the file cuts short.
::testing::AssertionResult ParseEds(const std::string& text, std::vector<Entry>& entries)
{
    std::string section;
    std::string pending;
    int pendingLine = 0;
    int lineNo = 0;
    for (auto line : SplitLines(text)) {
        ++lineNo;
        std::string clean;
        bool quoted = false;
        for (char ch : line) {
            if (ch == '"')
                quoted = !quoted;
            if (ch == '$' && !quoted)
                break;
            clean += ch;
        }
        const auto first = clean.find_first_not_of(" \t");
        if (first == std::string::npos)
            continue;
        if (clean[first] == '[' && pending.find_first_not_of(" \t") == std::string::npos) {
            section = clean.substr(first + 1, clean.find(']') - first - 1);
            continue;
        }
        if (clean[first] == '[')
            return ::testing::AssertionFailure() << "line " << pendingLine << ": entry not ended by ';'";
        if (!pending.empty() && StartsEntry(clean))
            return ::testing::AssertionFailure() << "line " << pendingLine << ": entry not ended by ';'";
        if (pending.empty())
            pendingLine = lineNo;
        pending += clean + "\n";
        quoted = false;
        std::size_t start = 0;
        for (std::size_t i = 0; i < pending.size(); ++i) {
            if (pending[i] == '"')
                quoted = !quoted;
            if (pending[i] != ';' || quoted)
                continue;
            const std::string statement = pending.substr(start, i - start);
            const auto eq = statement.find('=');
            if (eq == std::string::npos)
                return ::testing::AssertionFailure()
                    << "line " << pendingLine << ": no keyword: " << statement;
            std::string keyword = statement.substr(0, eq);
            keyword.erase(0, keyword.find_first_not_of(" \t\n"));
            keyword.erase(keyword.find_last_not_of(" \t\n") + 1);
            for (char ch : keyword)
                if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_')
                    return ::testing::AssertionFailure()
                        << "line " << pendingLine << ": bad keyword " << keyword;
            entries.push_back({section, keyword, statement.substr(eq + 1)});
            start = i + 1;
        }
        pending.erase(0, start);
        if (pending.find_first_not_of(" \t\n") == std::string::npos)
            pending.clear();
    }
    if (!pending.empty())
        return ::testing::AssertionFailure()
            << "line " << pendingLine << ": entry not ended by ';' at the end";
    return ::testing::AssertionSuccess();
}

int NumberAfter(const std::string& keyword, std::string_view word)
{
    return keyword.rfind(word, 0) == 0 ? std::atoi(keyword.c_str() + word.size()) : 0;
}

// The EDS structure of a generated file, plus the station's sizes in [IO_Info].
void CheckEds(const std::string& text, int expectInputs, int expectOutputs)
{
    for (auto tag : {MarkerTag, StartTag, StopTag, SlotNoTag, BoxNoTag, SoftwareNameTag, DateStringTag,
             InstNoTag, InputNoTag, OutputNoTag, FileNameTag})
        EXPECT_EQ(text.find(tag), std::string::npos) << tag;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;

    std::vector<Entry> entries;
    ASSERT_TRUE(ParseEds(text, entries));
    int maxInst = -1;
    int lastParam = 0;
    std::string previous;
    std::map<std::string, std::string> ioInfo;
    for (const auto& e : entries) {
        if (e.section == "ParamClass" && e.keyword == "MaxInst")
            maxInst = std::atoi(e.body.c_str());
        if (e.section == "IO_Info")
            ioInfo[e.keyword] = e.body;
        if (e.section == "Params") {
            if (const int n = NumberAfter(e.keyword, "Param"); n > 0) {
                EXPECT_EQ(n, lastParam + 1) << "parameter numbers run without gaps";
                lastParam = n;
            } else if (const int m = NumberAfter(e.keyword, "Enum"); m > 0) {
                EXPECT_EQ(e.keyword, "Enum" + std::to_string(m));
                EXPECT_EQ(previous, "Param" + std::to_string(m)) << e.keyword << " follows its parameter";
            } else {
                ADD_FAILURE() << "unexpected entry " << e.keyword;
            }
        }
        previous = e.keyword;
    }
    EXPECT_EQ(maxInst, lastParam);
    ASSERT_TRUE(ioInfo.count("Input1") && ioInfo.count("Output1"));
    EXPECT_EQ(std::atoi(ioInfo["Input1"].c_str()), expectInputs);
    EXPECT_EQ(std::atoi(ioInfo["Output1"].c_str()), expectOutputs);
}

class ShippedLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto loaded = LoadCatalog(kModules);
        ASSERT_TRUE(loaded.Ok()) << loaded.Error().Describe();
        catalog = std::move(loaded.Value());
        for (int i = 0; i < catalog.ModuleLineCount; ++i)
            if (catalog.Entries[i].TypeCode != BusNodeTypeCode)
                modules.push_back(&catalog.Entries[i]);
    }

    GenerateInput MakeStation(const std::vector<const CatalogEntry*>& placed)
    {
        Station station;
        NewStation(station, catalog);
        for (std::size_t i = 0; i < placed.size(); ++i) {
            auto& slot = station.Slots[i + 1];
            slot.PartNo = placed[i]->PartNo;
            slot.Description = placed[i]->Description;
            slot.Inputs = placed[i]->Inputs;
            slot.Outputs = placed[i]->Outputs;
        }
        station.CurrentFile = "/data/Line4.CSE";
        UpdateTotals(station);
        return MakeGenerateInput(station, kModules, "06.12.2026");
    }

    Catalog catalog;
    std::vector<const CatalogEntry*> modules;
};

} // namespace

TEST_F(ShippedLibrary, CatalogHasTheFamily)
{
    EXPECT_GE(catalog.Groups.size(), 6u); // the root and at least five groups
    EXPECT_GE(modules.size(), 14u);
    ASSERT_NE(catalog.FirstBusNode(), nullptr);
    EXPECT_EQ(catalog.FirstBusNode()->PartNo, RootNodeText);
    int upper = 0, lower = 0;
    for (const auto* m : modules) {
        upper += m->Description.find(" C ") != std::string::npos;
        lower += m->Description.find(" c ") != std::string::npos;
    }
    EXPECT_EQ(upper, 1);
    EXPECT_EQ(lower, 1);
}

TEST_F(ShippedLibrary, PicturesAreUncompressedBitmapsOfTheRightSize)
{
    auto check = [](const fs::path& path, int width, int height) {
        const auto bytes = ReadFileBytes(path);
        ASSERT_TRUE(bytes.Ok()) << path;
        const auto& b = bytes.Value();
        ASSERT_GE(b.size(), 54u) << path;
        auto u32 = [&](std::size_t at) {
            std::uint32_t v;
            std::memcpy(&v, b.data() + at, 4);
            return v;
        };
        EXPECT_EQ(b.substr(0, 2), "BM") << path;
        EXPECT_EQ(u32(2), b.size()) << path;
        EXPECT_EQ(static_cast<int>(u32(18)), width) << path;
        EXPECT_EQ(static_cast<int>(u32(22)), height) << path;
        EXPECT_EQ(u32(30), 0u) << path << " is compressed";
    };
    for (int mask = 0; mask < 16; ++mask) {
        char name[32];
        std::snprintf(name, sizeof name, "KR39NODE000001_%02d.bmp", mask);
        check(kModules / name, 502, 80);
    }
    for (const auto* m : modules) {
        check(kModules / (m->PartNo + "a.bmp"), 70, 80);
        check(kModules / (m->PartNo + "b.bmp"), 70, 80);
    }
}

TEST_F(ShippedLibrary, DataFilesAreCrLfText)
{
    for (const auto& entry : fs::directory_iterator(kModules)) {
        if (entry.path().extension() != ".dat")
            continue;
        const auto bytes = ReadFileBytes(entry.path()).Value();
        EXPECT_LT(bytes.size(), ModuleFileLimit) << entry.path();
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] == '\n')
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << entry.path() << " byte " << i;
    }
}

TEST_F(ShippedLibrary, EachModuleAloneGivesAValidEds)
{
    for (const auto* m : modules) {
        SCOPED_TRACE(m->PartNo);
        const auto input = MakeStation({m});
        auto text = GenerateEds(input);
        ASSERT_TRUE(text.Ok()) << text.Error().Describe();
        CheckEds(text.Value(), input.TotalInputs, input.TotalOutputs);
        EXPECT_NE(text.Value().find("\"Box 01 "), std::string::npos);
        EXPECT_NE(text.Value().find("24 01 30 01"), std::string::npos);
    }
}

TEST_F(ShippedLibrary, FullStationsOfEveryModuleGiveValidEds)
{
    // Sixteen slots at a time, cycling through the family so each module appears.
    for (std::size_t start = 0; start < modules.size(); start += 8) {
        std::vector<const CatalogEntry*> placed;
        for (std::size_t i = 0; i < 16; ++i)
            placed.push_back(modules[(start + i) % modules.size()]);
        const auto input = MakeStation(placed);
        auto text = GenerateEds(input);
        ASSERT_TRUE(text.Ok()) << text.Error().Describe();
        CheckEds(text.Value(), input.TotalInputs, input.TotalOutputs);
        EXPECT_NE(text.Value().find("\"Box 16 "), std::string::npos);
        EXPECT_NE(text.Value().find("24 10 30 01"), std::string::npos); // module 16 in hexadecimal
        EXPECT_NE(text.Value().find("KR39 station Line4"), std::string::npos);
    }
}

TEST_F(ShippedLibrary, EmptyStationHasTheNodeOnly)
{
    const auto input = MakeStation({});
    auto text = GenerateEds(input);
    ASSERT_TRUE(text.Ok());
    CheckEds(text.Value(), catalog.FirstBusNode()->Inputs, 0);
}
