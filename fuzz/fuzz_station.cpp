// The station file (*.CSE): opened against a small catalog, saved and opened again.
#include "FuzzSupport.h"
#include "catalog/Catalog.h"
#include "config/StationFile.h"
#include "station/Station.h"
#include "util/FileIo.h"

#include <fstream>
#include <string>

namespace {

const kr39::Catalog& TestCatalog()
{
    static const kr39::Catalog catalog = [] {
        const auto parsed = kr39::ParseCatalog("00 KR39 node\r\n"
                                               "01 Digital inputs\r\n"
                                               "02 Digital outputs\r\n"
                                               "<STARTMODULES>\r\n"
                                               "00 000 000 KR39NODE000001 DeviceNet node\r\n"
                                               "01 016 000 KR39DI16 16 digital inputs\r\n"
                                               "01 008 000 KR39DI8 8 digital inputs\r\n"
                                               "02 000 016 KR39DO16 16 digital outputs\r\n"
                                               "02 000 004 KR39DO4 C 4 relay outputs\r\n");
        KR39_FUZZ_CHECK(parsed.Ok());
        return parsed.Value();
    }();
    return catalog;
}

void FillEverySlot(kr39::Station& station)
{
    for (auto& slot : station.Slots)
        slot = kr39::SlotRecord {"KR39DI16", "16 digital inputs", 16, 0};
    station.CurrentFile = "previous.CSE";
    station.Modified = true;
}

bool SamePartNumbers(const kr39::SlotTable& a, const kr39::SlotTable& b)
{
    for (int i = 0; i < kr39::SlotCount; ++i) {
        if (a[static_cast<std::size_t>(i)].PartNo != b[static_cast<std::size_t>(i)].PartNo)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& catalog = TestCatalog();
    const auto path = kr39::fuzz::ScratchDir() / "station.CSE";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    kr39::Station station;
    FillEverySlot(station);
    const auto opened = kr39::OpenStation(station, catalog, path);
    if (opened.Outcome != kr39::OpenOutcome::Opened) {
        // A refused file leaves a new station.
        kr39::Station fresh;
        kr39::NewStation(fresh, catalog);
        KR39_FUZZ_CHECK(SamePartNumbers(station.Slots, fresh.Slots));
        KR39_FUZZ_CHECK(station.CurrentFile.empty());
        KR39_FUZZ_CHECK(!station.Modified);
        KR39_FUZZ_CHECK(!opened.Detail.What.empty());
        return 0;
    }

    KR39_FUZZ_CHECK(station.CurrentFile == path.string());
    KR39_FUZZ_CHECK(!station.Modified);
    for (const auto& slot : station.Slots) {
        switch (kr39::KindOf(slot.PartNo)) {
        case kr39::SlotKind::Empty:
        case kr39::SlotKind::Filler:
            KR39_FUZZ_CHECK(slot.Description.empty() && slot.Inputs == 0 && slot.Outputs == 0);
            break;
        case kr39::SlotKind::Module: {
            const auto* entry = catalog.Find(slot.PartNo);
            KR39_FUZZ_CHECK(entry != nullptr);
            KR39_FUZZ_CHECK(slot.Description == entry->Description);
            KR39_FUZZ_CHECK(slot.Inputs == entry->Inputs && slot.Outputs == entry->Outputs);
            break;
        }
        }
    }
    // The branch rule has been applied: applying it again changes nothing.
    auto normalized = station.Slots;
    kr39::NormalizeSlots(normalized);
    KR39_FUZZ_CHECK(SamePartNumbers(normalized, station.Slots));

    // Saved and opened again, the station has the same part numbers in every slot.
    const auto copy = kr39::fuzz::ScratchDir() / "copy.CSE";
    auto saved = station;
    const auto written = kr39::SaveStation(saved, copy);
    KR39_FUZZ_CHECK(written.Ok());
    KR39_FUZZ_CHECK(!saved.Modified);
    kr39::Station reopened;
    const auto again = kr39::OpenStation(reopened, catalog, copy);
    KR39_FUZZ_CHECK(again.Outcome == kr39::OpenOutcome::Opened);
    KR39_FUZZ_CHECK(SamePartNumbers(reopened.Slots, station.Slots));
    return 0;
}
