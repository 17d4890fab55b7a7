#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "util/Result.h"

namespace kr39 {

// One module of the catalog, filled from one module line of pn.dat.
struct CatalogEntry {
    std::string PartNo; // no blank; empty in an entry that no module line filled
    std::string Description;
    std::string TypeCode; // two characters; "00" is a bus node
    std::int16_t Inputs = 0;
    std::int16_t Outputs = 0;
};

// One line of the group section: "00" is the root line, every other code a module group.
struct CatalogGroup {
    std::string Code;
    std::string Caption; // from position 4 on; empty for the root line
};

inline constexpr int CatalogCapacity = 256;
inline constexpr std::string_view BusNodeTypeCode = "00";
inline constexpr std::string_view RootNodeText = "KR39NODE000001";

struct Catalog {
    std::array<CatalogEntry, CatalogCapacity> Entries; // filled from index 0 without gaps
    int ModuleLineCount = 0; // entries that a module line filled
    std::vector<CatalogGroup> Groups; // group lines in file order, root first

    // The first entry whose PartNo equals partNo exactly. The search ends at the first entry
    // with an empty PartNo, or after the last entry.
    const CatalogEntry* Find(std::string_view partNo) const;

    // The first entry, by index, whose TypeCode is "00"; nullptr when there is none.
    const CatalogEntry* FirstBusNode() const;
};

// Parses the text of pn.dat. `fileName` only names the file in failures.
// Every failure names the 1-based line and says what is wrong with it.
Result<Catalog> ParseCatalog(std::string_view text, std::string_view fileName = "pn.dat");

// Reads modulesDir/pn.dat (the file name in any letter case) and parses it.
Result<Catalog> LoadCatalog(const std::filesystem::path& modulesDir);

} // namespace kr39
