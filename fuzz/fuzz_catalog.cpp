// The catalog file pn.dat.
#include "FuzzSupport.h"
#include "catalog/Catalog.h"

#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto result = kr39::ParseCatalog(text);
    if (!result) {
        // A refused file always says why.
        KR39_FUZZ_CHECK(!result.Error().What.empty());
        KR39_FUZZ_CHECK(result.Error().Line >= 0);
        return 0;
    }
    const auto& catalog = result.Value();
    KR39_FUZZ_CHECK(catalog.ModuleLineCount >= 0 && catalog.ModuleLineCount <= kr39::CatalogCapacity);

    std::set<std::string> codes;
    for (const auto& group : catalog.Groups) {
        KR39_FUZZ_CHECK(group.Code.size() == 2);
        KR39_FUZZ_CHECK(codes.insert(group.Code).second);
    }
    if (!catalog.Groups.empty())
        KR39_FUZZ_CHECK(catalog.Groups.front().Code == kr39::BusNodeTypeCode);

    bool searchEnded = false;
    for (int i = 0; i < kr39::CatalogCapacity; ++i) {
        const auto& entry = catalog.Entries[static_cast<std::size_t>(i)];
        if (i >= catalog.ModuleLineCount) {
            KR39_FUZZ_CHECK(entry.PartNo.empty() && entry.TypeCode.empty());
            continue;
        }
        KR39_FUZZ_CHECK(entry.TypeCode.size() == 2);
        KR39_FUZZ_CHECK(entry.PartNo.find(' ') == std::string::npos);
        if (entry.TypeCode != kr39::BusNodeTypeCode)
            KR39_FUZZ_CHECK(codes.count(entry.TypeCode) == 1);
        // Every search ends at the first entry without a part number.
        searchEnded = searchEnded || entry.PartNo.empty();
        const auto* found = catalog.Find(entry.PartNo);
        if (searchEnded) {
            KR39_FUZZ_CHECK(found == nullptr || found < &entry);
        } else {
            KR39_FUZZ_CHECK(found != nullptr && found->PartNo == entry.PartNo && found <= &entry);
        }
    }
    const auto* bus = catalog.FirstBusNode();
    if (bus != nullptr)
        KR39_FUZZ_CHECK(bus->TypeCode == kr39::BusNodeTypeCode);
    return 0;
}
