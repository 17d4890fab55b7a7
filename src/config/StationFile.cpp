#include "config/StationFile.h"

#include "catalog/Catalog.h"
#include "util/FileIo.h"

namespace kr39 {

std::string SerializeStation(const SlotTable& slots)
{
    std::string text;
    for (const auto& slot : slots) {
        // Fillers follow from the branch rule again when the file is opened.
        text += KindOf(slot.PartNo) == SlotKind::Filler ? EmptyPartNo : std::string_view(slot.PartNo);
        text += "\r\n";
    }
    return text;
}

Result<void> SaveStation(Station& station, const std::filesystem::path& path)
{
    station.CurrentFile = path.string();
    auto written = WriteFileAtomic(path, SerializeStation(station.Slots));
    if (written)
        station.Modified = false;
    return written;
}

OpenResult OpenStation(Station& station, const Catalog& catalog, const std::filesystem::path& path)
{
    const auto file = path.string();
    station.CurrentFile = file;
    station.Modified = false;

    auto startOver = [&](OpenOutcome outcome, Failure detail) {
        NewStation(station, catalog);
        return OpenResult {outcome, std::move(detail)};
    };

    // Only the 17 lines of the station are read; whatever follows them is never looked at.
    const auto bytes = ReadFileHead(path, StationFileLines);
    if (!bytes)
        return startOver(OpenOutcome::LoadError, bytes.Error());
    const auto lines = SplitLines(bytes.Value());

    // Slot by slot, as the lines are read: a part number missing from the catalog ends the
    // reading before a missing line is noticed.
    for (int slot = 0; slot < SlotCount; ++slot) {
        const int lineNo = slot + 1;
        if (static_cast<std::size_t>(slot) >= lines.size()) {
            return startOver(OpenOutcome::LoadError,
                Failure {file, 0,
                    "the file has " + std::to_string(lines.size()) + " lines; a station file has "
                        + std::to_string(StationFileLines)});
        }
        const auto line = lines[static_cast<std::size_t>(slot)];
        auto& record = station.Slots[static_cast<std::size_t>(slot)];
        record.PartNo = std::string(line);
        if (line == EmptyPartNo) {
            record.Description.clear();
            record.Inputs = 0;
            record.Outputs = 0;
            continue;
        }
        const auto* entry = catalog.Find(line);
        if (entry == nullptr) {
            return startOver(OpenOutcome::PartNoNotFound,
                Failure {file, lineNo, "part number " + QuoteForMessage(line) + " is not in the catalog"});
        }
        record.Description = entry->Description;
        record.Inputs = entry->Inputs;
        record.Outputs = entry->Outputs;
    }
    NormalizeSlots(station.Slots);
    return {OpenOutcome::Opened, {}};
}

} // namespace kr39
