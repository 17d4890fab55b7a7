// End to end over the module library in modules/: EDS files generated from every shipped
// module, checked for their structure.
#include "catalog/Catalog.h"
#include "eds/EdsCheck.h"
#include "eds/EdsGenerator.h"
#include "eds/EdsRules.h"
#include "station/Station.h"
#include "util/FileIo.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <regex>

namespace fs = std::filesystem;
using namespace kr39;

namespace {

const fs::path kModules = fs::path(KR39_SOURCE_DIR) / "modules";

// Cuts EDS text into "section|keyword" -> body entries, in order. Comments ($ outside quotes)
// are dropped; an entry runs from its keyword to the ';' that ends it, over as many lines as it
// takes. Fails on text that is no entry and on an entry that is never ended.
::testing::AssertionResult ParseEds(
    const std::string& text, std::vector<std::pair<std::string, std::string>>& entries)
{
    static const std::regex entry(R"(^\s*([A-Za-z][A-Za-z0-9_]*)\s*=([^=]*)$)");
    std::string section, pending;
    for (auto line : SplitLines(text)) {
        bool quoted = false;
        for (const char ch : line) {
            quoted = ch == '"' ? !quoted : quoted;
            if (ch == '$' && !quoted)
                break;
            if (ch == ';' && !quoted) {
                std::smatch m;
                if (!std::regex_match(pending, m, entry))
                    return ::testing::AssertionFailure() << "not one entry: " << pending;
                entries.emplace_back(section + "|" + m[1].str(), m[2].str());
                pending.clear();
            } else {
                pending += ch == '"' ? '\'' : quoted && ch == '=' ? '_' : ch; // quoted '=' and ';' are text
            }
        }
        const auto first = pending.find_first_not_of(" \t");
        if (first != std::string::npos && pending[first] == '[') {
            section = pending.substr(first + 1, pending.find(']') - first - 1);
            pending.clear();
        }
        pending += pending.find_first_not_of(" \t") == std::string::npos ? "" : "\n";
    }
    if (pending.find_first_not_of(" \t\n") != std::string::npos)
        return ::testing::AssertionFailure() << "entry not ended by ';': " << pending;
    return ::testing::AssertionSuccess();
}

// The EDS structure of a generated file, and the station's sizes in [IO_Info].
void CheckEds(const std::string& text, int inputs, int outputs)
{
    EXPECT_FALSE(std::regex_search(text, std::regex("<[A-Z]+>"))) << "a tag is left";
    EXPECT_FALSE(std::regex_search(text, std::regex("[^\r]\n"))) << "a bare line feed";
    std::vector<std::pair<std::string, std::string>> entries;
    ASSERT_TRUE(ParseEds(text, entries));
    std::map<std::string, std::string> byName(entries.begin(), entries.end());
    int lastParam = 0;
    std::string previous;
    for (const auto& [name, body] : entries) {
        std::smatch m;
        if (std::regex_match(name, m, std::regex(R"(Params\|Param(\d+))"))) {
            EXPECT_EQ(std::stoi(m[1]), ++lastParam) << "parameter numbers run without gaps";
        } else if (std::regex_match(name, m, std::regex(R"(Params\|Enum(\d+))"))) {
            EXPECT_EQ(previous, "Params|Param" + m[1].str()) << name << " follows its parameter";
        } else {
            EXPECT_NE(name.rfind("Params|", 0), 0u) << "unexpected entry " << name;
        }
        previous = name;
    }
    EXPECT_EQ(std::atoi(byName["ParamClass|MaxInst"].c_str()), lastParam);
    EXPECT_EQ(std::atoi(byName["IO_Info|Input1"].c_str()), inputs);
    EXPECT_EQ(std::atoi(byName["IO_Info|Output1"].c_str()), outputs);
}

} // namespace

TEST(ShippedLibrary, EveryModuleAloneAndInFullStationsGivesAValidEds)
{
    const auto loaded = LoadCatalog(kModules);
    ASSERT_TRUE(loaded.Ok()) << loaded.Error().Describe();
    const auto& catalog = loaded.Value();
    ASSERT_NE(catalog.FirstBusNode(), nullptr);
    EXPECT_EQ(catalog.FirstBusNode()->PartNo, RootNodeText);
    std::vector<const CatalogEntry*> modules;
    int upperC = 0;
    for (int i = 0; i < catalog.ModuleLineCount; ++i) {
        const auto& m = catalog.Entries[static_cast<std::size_t>(i)];
        if (m.TypeCode != BusNodeTypeCode)
            modules.push_back(&m);
        upperC += m.Description.find(" C ") != std::string::npos;
    }
    EXPECT_GE(modules.size(), 14u);
    EXPECT_EQ(upperC, 1) << "one counter module goes to the end of its branch";
    // The empty station, each module alone, then sixteen at a time cycling through the family.
    std::vector<std::vector<const CatalogEntry*>> stations {{}};
    for (const auto* m : modules)
        stations.push_back({m});
    for (std::size_t start = 0; start < modules.size(); start += 8) {
        stations.emplace_back();
        for (std::size_t i = 0; i < 16; ++i)
            stations.back().push_back(modules[(start + i) % modules.size()]);
    }
    for (const auto& placed : stations) {
        SCOPED_TRACE(placed.empty()
                ? "empty"
                : placed[0]->PartNo + " and " + std::to_string(placed.size() - 1) + " more");
        Station station;
        NewStation(station, catalog);
        for (std::size_t i = 0; i < placed.size(); ++i)
            station.Slots[i + 1] = SlotRecord {
                placed[i]->PartNo, placed[i]->Description, placed[i]->Inputs, placed[i]->Outputs};
        station.CurrentFile = "/data/Line4.CSE";
        UpdateTotals(station);
        const auto input = MakeGenerateInput(station, kModules, "12-06-2026");
        const auto text = GenerateEds(input);
        ASSERT_TRUE(text.Ok()) << text.Error().Describe();
        CheckEds(text.Value(), station.TotalInputs, station.TotalOutputs);
        EXPECT_NE(text.Value().find("$ Station Line4, generated"), std::string::npos);
        EXPECT_NE(text.Value().find("CreateDate = 12-06-2026;"), std::string::npos);
        // Judged by the EDS rules as well: not even a warning.
        for (const auto& finding : CheckEds(text.Value()))
            ADD_FAILURE() << FormatFinding("generated", finding);
        if (!placed.empty()) {
            const auto last = std::to_string(placed.size());
            EXPECT_NE(text.Value().find("\"Box " + std::string(placed.size() < 10 ? "0" : "") + last + " "),
                std::string::npos);
            EXPECT_NE(text.Value().find("24 " + SlotNoText(static_cast<int>(placed.size())) + " 30 01"),
                std::string::npos);
        }
    }
}
