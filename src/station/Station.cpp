#include "station/Station.h"

#include <limits>

#include "catalog/Catalog.h"

namespace kr39 {

namespace {

constexpr int kFirstModuleSlot = 1;
constexpr int kLastModuleSlot = SlotCount - 1;

bool IsModuleSlot(int slot)
{
    return slot >= kFirstModuleSlot && slot <= kLastModuleSlot;
}

void ClearSlot(SlotRecord& slot)
{
    slot.PartNo = std::string(EmptyPartNo);
    slot.Description.clear();
    slot.Inputs = 0;
    slot.Outputs = 0;
}

// Adds `value` to a 16-bit total; an addition that would leave the 16-bit range is skipped.
void AddSkippingOverflow(std::int16_t& total, std::int16_t value)
{
    const int sum = total + value;
    if (sum >= std::numeric_limits<std::int16_t>::min() && sum <= std::numeric_limits<std::int16_t>::max())
        total = static_cast<std::int16_t>(sum);
}

} // namespace

SlotKind KindOf(std::string_view partNo)
{
    if (partNo == EmptyPartNo)
        return SlotKind::Empty;
    if (partNo == FillerPartNo)
        return SlotKind::Filler;
    return SlotKind::Module;
}

int BranchOf(int slot)
{
    return (slot + SlotsPerBranch - 1) / SlotsPerBranch;
}

int LastSlotOfBranch(int slot)
{
    return BranchOf(slot) * SlotsPerBranch;
}

void NormalizeSlots(SlotTable& slots)
{
    // Walk each branch from its far end towards the bus node: once a module has been seen,
    // every empty position closer to the node carries the bus; without one, fillers go.
    bool moduleFurtherOn = false;
    for (int slot = kLastModuleSlot; slot >= kFirstModuleSlot; --slot) {
        auto& partNo = slots[static_cast<std::size_t>(slot)].PartNo;
        if (slot % SlotsPerBranch == 0) {
            // The last slot of a branch is never made a filler.
            moduleFurtherOn = partNo != EmptyPartNo;
            continue;
        }
        switch (KindOf(partNo)) {
        case SlotKind::Empty:
            if (moduleFurtherOn)
                partNo = std::string(FillerPartNo);
            break;
        case SlotKind::Module:
            moduleFurtherOn = true;
            break;
        case SlotKind::Filler:
            if (!moduleFurtherOn)
                partNo = std::string(EmptyPartNo);
            break;
        }
    }
}

void NewStation(Station& station, const Catalog& catalog)
{
    if (const auto* node = catalog.FirstBusNode()) {
        auto& slot0 = station.Slots[0];
        slot0.PartNo = node->PartNo;
        slot0.Description = node->Description;
        slot0.Inputs = node->Inputs;
        slot0.Outputs = node->Outputs;
    }
    for (int slot = kFirstModuleSlot; slot <= kLastModuleSlot; ++slot)
        ClearSlot(station.Slots[static_cast<std::size_t>(slot)]);
    station.CurrentFile.clear();
    station.Modified = false;
}

std::string_view PartNoFromDragText(std::string_view dragText)
{
    const auto blank = dragText.find(' ');
    if (blank == std::string_view::npos)
        return {};
    return dragText.substr(0, blank);
}

DropResult DropModule(Station& station, const Catalog& catalog, int slot, std::string_view dragText)
{
    const auto partNo = PartNoFromDragText(dragText);
    if (partNo.empty() || !IsModuleSlot(slot))
        return {};
    const auto* entry = catalog.Find(partNo);
    if (entry == nullptr) {
        NormalizeSlots(station.Slots);
        return {DropOutcome::RedrawOnly, 0};
    }
    // A module whose description holds " C " always goes to the last slot of its branch.
    const int target = entry->Description.find(" C ") != std::string::npos ? LastSlotOfBranch(slot) : slot;
    auto& record = station.Slots[static_cast<std::size_t>(target)];
    record.PartNo = entry->PartNo;
    record.Description = entry->Description;
    record.Inputs = entry->Inputs;
    record.Outputs = entry->Outputs;
    station.Modified = true;
    NormalizeSlots(station.Slots);
    return {DropOutcome::Placed, target};
}

bool RemoveModule(Station& station, int slot)
{
    if (!IsModuleSlot(slot))
        return false;
    station.Modified = true;
    ClearSlot(station.Slots[static_cast<std::size_t>(slot)]);
    NormalizeSlots(station.Slots);
    return true;
}

StationSummary SummarizeStation(const SlotTable& slots)
{
    StationSummary summary;
    summary.TotalInputs = slots[0].Inputs;
    summary.TotalOutputs = slots[0].Outputs;
    for (int branch = 0; branch < BranchCount; ++branch) {
        const int first = branch * SlotsPerBranch + 1;
        if (slots[static_cast<std::size_t>(first)].PartNo != EmptyPartNo)
            summary.BranchMask |= 1 << branch;
    }
    int moduleNumber = 0;
    for (int slot = kFirstModuleSlot; slot <= kLastModuleSlot; ++slot) {
        const auto index = static_cast<std::size_t>(slot);
        if (KindOf(slots[index].PartNo) == SlotKind::Module) {
            // The "a" picture ends a branch's bus line; "b" carries it on to the next position.
            // The next position is looked at only within the same branch.
            const bool lastOfBranch = slot % SlotsPerBranch == 0;
            const bool nextEmpty = lastOfBranch || slots[index + 1].PartNo == EmptyPartNo;
            summary.PictureVariant[index] = nextEmpty ? 'a' : 'b';
            summary.ModuleNumbers[index] = ++moduleNumber;
        }
        AddSkippingOverflow(summary.TotalInputs, slots[index].Inputs);
        AddSkippingOverflow(summary.TotalOutputs, slots[index].Outputs);
    }
    return summary;
}

void UpdateTotals(Station& station)
{
    const auto summary = SummarizeStation(station.Slots);
    station.TotalInputs = summary.TotalInputs;
    station.TotalOutputs = summary.TotalOutputs;
}

} // namespace kr39
