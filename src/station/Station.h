#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kr39 {

struct Catalog;

inline constexpr std::string_view EmptyPartNo = "None";
inline constexpr std::string_view FillerPartNo = "Bus";
inline constexpr int SlotCount = 17; // slot 0 is the bus node, 1..16 the modules
inline constexpr int BranchCount = 4;
inline constexpr int SlotsPerBranch = 4;

// The content of one slot.
struct SlotRecord {
    std::string PartNo; // a part number, "None" for an empty slot, "Bus" for a bus filler
    std::string Description;
    std::int16_t Inputs = 0;
    std::int16_t Outputs = 0;
};

using SlotTable = std::array<SlotRecord, SlotCount>;

// The one station being edited.
struct Station {
    SlotTable Slots;
    std::string CurrentFile; // path of the station file; empty while it has none
    bool Modified = false;
    // Written by the station view at every redraw (SummarizeStation), read by generation.
    std::int16_t TotalInputs = 0;
    std::int16_t TotalOutputs = 0;
};

enum class SlotKind { Empty, Filler, Module };

// "None" is empty, "Bus" a filler, everything else (the empty string too) a module.
SlotKind KindOf(std::string_view partNo);

// Branch k (1..4) holds slots 4k-3..4k. The branch of a slot 1..16, and its last slot.
int BranchOf(int slot);
int LastSlotOfBranch(int slot);

// The branch rule: in each branch, empty positions in front of the last module become "Bus",
// fillers behind it become "None". Only PartNo changes; slot 0 is never touched. Idempotent.
void NormalizeSlots(SlotTable& slots);

// A new station: the catalog's first bus node in slot 0 (left as it is when the catalog has
// none), 16 empty slots, no file name, not modified. The totals are left to the next redraw.
void NewStation(Station& station, const Catalog& catalog);

// The part number a drop takes from the text of the pressed tree node: the characters before
// the first blank; empty when there is no blank or nothing stands before it.
std::string_view PartNoFromDragText(std::string_view dragText);

enum class DropOutcome {
    Nothing, // no part number in the drag text: no change, no redraw
    RedrawOnly, // part number not in the catalog: slots normalized, redraw, nothing else changes
    Placed, // module placed on TargetSlot, Modified set, slots normalized
};

struct DropResult {
    DropOutcome Outcome = DropOutcome::Nothing;
    int TargetSlot = 0; // where the module went (the branch end for a " C " module)
};

// A drop of the pressed catalog node on slot 1..16.
DropResult DropModule(Station& station, const Catalog& catalog, int slot, std::string_view dragText);

// Double-click removal on slot 0..16. Slot 0: returns false and changes nothing. Otherwise the
// slot is emptied, Modified set and the slots normalized; returns true (redraw needed).
bool RemoveModule(Station& station, int slot);

// What one redraw derives from the slots.
struct StationSummary {
    std::int16_t TotalInputs = 0;
    std::int16_t TotalOutputs = 0;
    int BranchMask = 0; // bit k-1 set when the first slot of branch k is not "None"
    std::array<int, SlotCount> ModuleNumbers {}; // 1, 2, 3... for modules in slot order; 0 elsewhere
    std::array<char, SlotCount> PictureVariant {}; // 'a' or 'b' for modules; 0 elsewhere
};

// Totals (an addition that would leave the 16-bit range is skipped), branch mask, module
// numbers and picture variants, computed as the station view does at every redraw.
StationSummary SummarizeStation(const SlotTable& slots);

// Stores the totals of a redraw into the station.
void UpdateTotals(Station& station);

} // namespace kr39
