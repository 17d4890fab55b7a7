// End to end over the module library in modules/: EDS files generated from every shipped
// module, judged by the EDS checker.
#include "catalog/Catalog.h"
#include "eds/EdsCheck.h"
#include "eds/EdsGenerator.h"
#include "station/Station.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace fs = std::filesystem;
using namespace kr39;

const fs::path kModules = fs::path(KR39_SOURCE_DIR) / "modules";

TEST(ShippedLibrary, FullStationsOfEveryModuleGiveAValidEds)
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
    // Sixteen at a time, cycling through the family (each module alone is the library check's).
    for (std::size_t start = 0; start < modules.size(); start += 8) {
        SCOPED_TRACE("from " + modules[start]->PartNo);
        Station station;
        NewStation(station, catalog);
        for (std::size_t i = 0; i < 16; ++i) {
            const auto* m = modules[(start + i) % modules.size()];
            station.Slots[i + 1] = SlotRecord {m->PartNo, m->Description, m->Inputs, m->Outputs};
        }
        station.CurrentFile = "/data/Line \"4\".CSE"; // written "Line _4_"
        UpdateTotals(station);
        const auto text = GenerateEds(MakeGenerateInput(station, kModules, "12-06-2026"));
        ASSERT_TRUE(text.Ok()) << text.Error().Describe();
        const auto& eds = text.Value();
        EXPECT_FALSE(std::regex_search(eds, std::regex("<[A-Z]+>"))) << "a tag is left";
        // Sections, entries, parameter numbering and MaxInst: not even a warning.
        for (const auto& finding : CheckEds(eds))
            ADD_FAILURE() << FormatFinding("generated", finding);
        // The sizes of the I/O connection, the first fields of Input1 and Output1, are the totals.
        EXPECT_TRUE(
            std::regex_search(eds, std::regex("Input1 =\\s+" + std::to_string(station.TotalInputs) + ",")));
        EXPECT_TRUE(
            std::regex_search(eds, std::regex("Output1 =\\s+" + std::to_string(station.TotalOutputs) + ",")));
        EXPECT_NE(eds.find("$ Station Line _4_, generated"), std::string::npos);
        EXPECT_NE(eds.find("CreateDate = 12-06-2026;"), std::string::npos);
        EXPECT_NE(eds.find("\"Box 16 "), std::string::npos);
        EXPECT_NE(eds.find("24 10 30 01"), std::string::npos);
    }
}
