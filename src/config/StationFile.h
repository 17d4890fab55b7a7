#pragma once

#include <filesystem>
#include <string>

#include "station/Station.h"
#include "util/Result.h"

namespace kr39 {

struct Catalog;

inline constexpr int StationFileLines = 17;

// The 17 lines of a station file, each ended by CR LF: slot 0 to 16, "None" for fillers.
std::string SerializeStation(const SlotTable& slots);

// Save: CurrentFile becomes `path`, the file is written atomically, and on success Modified
// is cleared. On failure Modified keeps its value and the file that was there is unchanged.
Result<void> SaveStation(Station& station, const std::filesystem::path& path);

enum class OpenOutcome {
    Opened, // the station holds the file's modules; CurrentFile is set, Modified false
    LoadError, // unreadable or fewer than 17 lines: the station is a new one
    PartNoNotFound, // a line names no catalog entry: the station is a new one
};

struct OpenResult {
    OpenOutcome Outcome = OpenOutcome::Opened;
    Failure Detail; // what and where, unless Opened
};

// Open: reads `path` into the station by the station file rules and normalizes the slots.
// The lines are taken slot by slot, so a part number missing from the catalog is what a short
// file reports when it comes before the missing lines. CurrentFile is set and Modified cleared
// first; every failure then leaves a new station (no file name). The caller redraws
// (SummarizeStation) and updates the command state afterwards.
OpenResult OpenStation(Station& station, const Catalog& catalog, const std::filesystem::path& path);

} // namespace kr39
