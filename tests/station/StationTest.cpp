#include "station/Station.h"

#include "catalog/Catalog.h"

#include <gtest/gtest.h>

#include <string>

using namespace kr39;

namespace {

// Slots 1..16 written as one character each, spaces between branches for the eye:
// '.' empty ("None"), '#' bus filler ("Bus"), any other letter a module of that part number.
SlotTable Layout(std::string_view pattern)
{
    SlotTable slots;
    slots[0] = SlotRecord {"NODE", "node", 1, 2};
    int slot = 1;
    for (const char c : pattern) {
        if (c == ' ')
            continue;
        auto& record = slots[static_cast<std::size_t>(slot++)];
        record.PartNo = c == '.' ? "None" : c == '#' ? "Bus" : std::string(1, c);
    }
    EXPECT_EQ(slot, SlotCount) << pattern;
    return slots;
}

std::string Pattern(const SlotTable& slots)
{
    std::string pattern;
    for (int slot = 1; slot < SlotCount; ++slot) {
        const auto& partNo = slots[static_cast<std::size_t>(slot)].PartNo;
        pattern += partNo == "None" ? '.' : partNo == "Bus" ? '#' : partNo.size() == 1 ? partNo[0] : '?';
        if (slot % 4 == 0 && slot < 16)
            pattern += ' ';
    }
    return pattern;
}

struct Rule {
    std::string Before;
    std::string After;
};

void PrintTo(const Rule& r, std::ostream* os)
{
    *os << '"' << r.Before << '"';
}

class BranchRule : public ::testing::TestWithParam<Rule> { };

Catalog TestCatalog()
{
    Catalog catalog;
    catalog.Entries[0] = CatalogEntry {"DI", "16 inputs", "01", 16, 0};
    catalog.Entries[1] = CatalogEntry {"NODE1", "first node", "00", 8, 4};
    catalog.Entries[2] = CatalogEntry {"CNT", "Counter C 24 V", "02", 2, 2};
    catalog.Entries[3] = CatalogEntry {"LOW", "Counter c 24 V", "02", 3, 3};
    catalog.Entries[4] = CatalogEntry {"NODE2", "second node", "00", 0, 0};
    catalog.Entries[5] = CatalogEntry {"DO", "4 outputs", "01", 0, 4};
    catalog.ModuleLineCount = 6;
    return catalog;
}

Station NewTestStation(const Catalog& catalog)
{
    Station station;
    NewStation(station, catalog);
    return station;
}

} // namespace

TEST_P(BranchRule, GivesFillersInFrontOfTheLastModule)
{
    auto slots = Layout(GetParam().Before);
    slots[3].Description = "kept";
    slots[3].Inputs = 7;
    const auto node = slots[0];
    NormalizeSlots(slots);
    EXPECT_EQ(Pattern(slots), GetParam().After);
    EXPECT_EQ(slots[0].PartNo, node.PartNo);
    EXPECT_EQ(slots[3].Description, "kept");
    EXPECT_EQ(slots[3].Inputs, 7);
    // Applying the rule again changes nothing.
    NormalizeSlots(slots);
    EXPECT_EQ(Pattern(slots), GetParam().After);
}

INSTANTIATE_TEST_SUITE_P(Layouts, BranchRule,
    ::testing::Values(Rule {".... .... .... ....", ".... .... .... ...."},
        // Branch 2 as it is edited: a module on its third position, removed again, two modules.
        Rule {".... ..M. .... ....", ".... ##M. .... ...."},
        Rule {".... ##.. .... ....", ".... .... .... ...."},
        Rule {".... P..Q .... ....", ".... P##Q .... ...."},
        Rule {"...M .... .... ....", "###M .... .... ...."},
        Rule {"M... .... .... ....", "M... .... .... ...."},
        Rule {"###. #.#. ##.. .#..", ".... .... .... ...."},
        Rule {"..M. #.#M .M.. ...Z", "##M. ###M #M.. ###Z"},
        // A filler that is not needed any more goes; one in the last position of a branch
        // counts as occupied, since only "None" is empty there.
        Rule {"M.#. .... .... ....", "M... .... .... ...."},
        Rule {"...# .... .... ....", "#### .... .... ...."}));

TEST(BranchRule, CaseAndBlanksMakeAModule)
{
    SlotTable slots = Layout(".... .... .... ....");
    slots[3].PartNo = "none";
    slots[7].PartNo = " None";
    slots[11].PartNo = "";
    slots[14].PartNo = "bus";
    NormalizeSlots(slots);
    EXPECT_EQ(slots[1].PartNo, "Bus");
    EXPECT_EQ(slots[5].PartNo, "Bus");
    EXPECT_EQ(slots[9].PartNo, "Bus");
    EXPECT_EQ(slots[13].PartNo, "Bus");
    EXPECT_EQ(KindOf(""), SlotKind::Module);
    EXPECT_EQ(KindOf("none"), SlotKind::Module);
    EXPECT_EQ(KindOf("None"), SlotKind::Empty);
    EXPECT_EQ(KindOf("Bus"), SlotKind::Filler);
}

TEST(Branches, OfEverySlot)
{
    for (int slot = 1; slot <= 16; ++slot) {
        EXPECT_EQ(BranchOf(slot), (slot - 1) / 4 + 1) << slot;
        EXPECT_EQ(LastSlotOfBranch(slot), ((slot - 1) / 4 + 1) * 4) << slot;
    }
}

TEST(NewStation, TakesTheFirstBusNodeAndEmptiesEverything)
{
    const auto catalog = TestCatalog();
    Station station;
    station.Slots = Layout("DDDD #..D .... ....");
    station.Slots[4].Description = "old";
    station.Slots[4].Inputs = 5;
    station.CurrentFile = "old.CSE";
    station.Modified = true;
    NewStation(station, catalog);
    EXPECT_EQ(station.Slots[0].PartNo, "NODE1");
    EXPECT_EQ(station.Slots[0].Description, "first node");
    EXPECT_EQ(station.Slots[0].Inputs, 8);
    EXPECT_EQ(station.Slots[0].Outputs, 4);
    for (int slot = 1; slot < SlotCount; ++slot) {
        const auto& record = station.Slots[static_cast<std::size_t>(slot)];
        EXPECT_EQ(record.PartNo, "None");
        EXPECT_EQ(record.Description, "");
        EXPECT_EQ(record.Inputs, 0);
        EXPECT_EQ(record.Outputs, 0);
    }
    EXPECT_EQ(station.CurrentFile, "");
    EXPECT_FALSE(station.Modified);

    Station withoutNode;
    withoutNode.Slots[0].PartNo = "KEPT";
    NewStation(withoutNode, Catalog {});
    EXPECT_EQ(withoutNode.Slots[0].PartNo, "KEPT");
}

TEST(Drop, PartNoIsTheTextBeforeTheFirstBlank)
{
    EXPECT_EQ(PartNoFromDragText("DI 16 inputs"), "DI");
    EXPECT_EQ(PartNoFromDragText("DI "), "DI");
    EXPECT_EQ(PartNoFromDragText("KR39NODE000001"), "");
    EXPECT_EQ(PartNoFromDragText(" DI"), "");
    EXPECT_EQ(PartNoFromDragText(""), "");
}

TEST(Drop, PlacesAndMakesFillersInFront)
{
    const auto catalog = TestCatalog();
    auto station = NewTestStation(catalog);
    const auto result = DropModule(station, catalog, 3, "DI 16 inputs");
    EXPECT_EQ(result.Outcome, DropOutcome::Placed);
    EXPECT_EQ(result.TargetSlot, 3);
    EXPECT_TRUE(station.Modified);
    EXPECT_EQ(Pattern(station.Slots), "##?. .... .... ....");
    EXPECT_EQ(station.Slots[3].PartNo, "DI");
    EXPECT_EQ(station.Slots[3].Description, "16 inputs");
    EXPECT_EQ(station.Slots[3].Inputs, 16);

    // A drop on a filler or on a module replaces what was there.
    ASSERT_EQ(DropModule(station, catalog, 1, "DO x").Outcome, DropOutcome::Placed);
    ASSERT_EQ(DropModule(station, catalog, 3, "DO x").Outcome, DropOutcome::Placed);
    EXPECT_EQ(station.Slots[1].PartNo, "DO");
    EXPECT_EQ(station.Slots[2].PartNo, "Bus");
    EXPECT_EQ(station.Slots[3].PartNo, "DO");
    EXPECT_EQ(station.Slots[3].Description, "4 outputs");
    EXPECT_EQ(station.Slots[3].Inputs, 0);
    EXPECT_EQ(station.Slots[3].Outputs, 4);
}

namespace {

struct CRule {
    std::string Description;
    int Slot;
    int Target;
};

void PrintTo(const CRule& r, std::ostream* os)
{
    *os << '"' << r.Description << "\" on " << r.Slot;
}

class CounterRule : public ::testing::TestWithParam<CRule> { };

} // namespace

TEST_P(CounterRule, BlankCapitalCBlankGoesToTheEndOfTheBranch)
{
    auto catalog = TestCatalog();
    catalog.Entries[0].Description = GetParam().Description;
    auto station = NewTestStation(catalog);
    const auto result = DropModule(station, catalog, GetParam().Slot, "DI x");
    EXPECT_EQ(result.Outcome, DropOutcome::Placed);
    EXPECT_EQ(result.TargetSlot, GetParam().Target);
    EXPECT_EQ(station.Slots[static_cast<std::size_t>(GetParam().Target)].PartNo, "DI");
    for (int slot = BranchOf(GetParam().Target) * 4 - 3; slot < GetParam().Target; ++slot)
        EXPECT_EQ(station.Slots[static_cast<std::size_t>(slot)].PartNo, "Bus") << slot;
}

INSTANTIATE_TEST_SUITE_P(Descriptions, CounterRule,
    ::testing::Values(CRule {"Counter C 24 V", 6, 8}, CRule {"Counter C 24 V", 1, 4},
        CRule {"Counter C 24 V", 4, 4}, CRule {"Counter C 24 V", 9, 12}, CRule {"Counter C 24 V", 13, 16},
        CRule {" C ", 5, 8}, CRule {"Counter c 24 V", 6, 6}, CRule {"Counter C", 6, 6},
        CRule {"C counter", 6, 6}, CRule {"Counter\tC 24 V", 6, 6}, CRule {"Counter  C  24 V", 10, 12},
        CRule {"CC C", 6, 6}));

TEST(Drop, WithoutPartNoDoesNothing)
{
    const auto catalog = TestCatalog();
    auto station = NewTestStation(catalog);
    station.Slots[2].PartNo = "Bus"; // not normalized on purpose: nothing may run
    for (const char* text : {"", "KR39NODE000001", " DI", "DI"}) {
        const auto result = DropModule(station, catalog, 2, text);
        EXPECT_EQ(result.Outcome, DropOutcome::Nothing) << text;
        EXPECT_EQ(station.Slots[2].PartNo, "Bus") << text;
        EXPECT_FALSE(station.Modified) << text;
    }
}

TEST(Drop, UnknownPartNoOnlyNormalizes)
{
    const auto catalog = TestCatalog();
    auto station = NewTestStation(catalog);
    station.Slots[2].PartNo = "Bus";
    const auto result = DropModule(station, catalog, 5, "Digital inputs");
    EXPECT_EQ(result.Outcome, DropOutcome::RedrawOnly);
    EXPECT_EQ(Pattern(station.Slots), ".... .... .... ....");
    EXPECT_FALSE(station.Modified);
    // Letter case counts.
    EXPECT_EQ(DropModule(station, catalog, 5, "di x").Outcome, DropOutcome::RedrawOnly);
}

TEST(Remove, EmptiesTheSlotAndFreesItsFillers)
{
    const auto catalog = TestCatalog();
    auto station = NewTestStation(catalog);
    ASSERT_EQ(DropModule(station, catalog, 7, "DI x").Outcome, DropOutcome::Placed);
    ASSERT_EQ(DropModule(station, catalog, 5, "DO x").Outcome, DropOutcome::Placed);
    station.Modified = false;

    EXPECT_FALSE(RemoveModule(station, 0));
    EXPECT_EQ(station.Slots[0].PartNo, "NODE1");
    EXPECT_FALSE(station.Modified);

    // A filler that is still needed comes back; an empty slot stays empty; both count as edits.
    EXPECT_TRUE(RemoveModule(station, 6));
    EXPECT_EQ(Pattern(station.Slots), ".... ?#?. .... ....");
    EXPECT_TRUE(station.Modified);
    station.Modified = false;
    EXPECT_TRUE(RemoveModule(station, 16));
    EXPECT_TRUE(station.Modified);

    EXPECT_TRUE(RemoveModule(station, 7));
    EXPECT_EQ(Pattern(station.Slots), ".... ?... .... ....");
    EXPECT_EQ(station.Slots[7].Description, "");
    EXPECT_EQ(station.Slots[7].Inputs, 0);
    EXPECT_TRUE(RemoveModule(station, 5));
    EXPECT_EQ(Pattern(station.Slots), ".... .... .... ....");
    EXPECT_EQ(station.Slots[5].Outputs, 0);
}

namespace {

struct View {
    std::string Layout;
    int BranchMask;
    std::string Numbers; // module numbers of slots 1..16, '-' where there is none
    std::string Variants; // picture variants of slots 1..16, '-' where there is none
};

void PrintTo(const View& v, std::ostream* os)
{
    *os << '"' << v.Layout << '"';
}

class Summary : public ::testing::TestWithParam<View> { };

} // namespace

TEST_P(Summary, NumbersMaskAndPictures)
{
    const auto summary = SummarizeStation(Layout(GetParam().Layout));
    EXPECT_EQ(summary.BranchMask, GetParam().BranchMask);
    std::string numbers;
    std::string variants;
    for (int slot = 1; slot < SlotCount; ++slot) {
        const auto n = summary.ModuleNumbers[static_cast<std::size_t>(slot)];
        numbers += n == 0 ? '-' : static_cast<char>(n < 10 ? '0' + n : 'a' + n - 10);
        const auto v = summary.PictureVariant[static_cast<std::size_t>(slot)];
        variants += v == 0 ? '-' : v;
    }
    EXPECT_EQ(summary.ModuleNumbers[0], 0);
    EXPECT_EQ(summary.PictureVariant[0], 0);
    EXPECT_EQ(numbers, GetParam().Numbers);
    EXPECT_EQ(variants, GetParam().Variants);
}

INSTANTIATE_TEST_SUITE_P(Stations, Summary,
    ::testing::Values(View {".... .... .... ....", 0, "----------------", "----------------"},
        View {"##M. .... .... ....", 1, "--1-------------", "--a-------------"},
        View {"##MM .... .... ....", 1, "--12------------", "--ba------------"},
        View {"###M M... .... ....", 3, "---12-----------", "---aa-----------"},
        View {"#M#M .... .... ....", 1, "-1-2------------", "-b-a------------"},
        View {"#M.. #M.. .... M...", 11, "-1---2------3---", "-a---a------a---"},
        View {"M... M... M... M...", 15, "1---2---3---4---", "a---a---a---a---"},
        View {"MMMM MMMM MMMM MMMM", 15, "123456789abcdefg", "bbbabbbabbbabbba"}));

TEST(Summary, TotalsSkipAnAdditionThatLeavesSixteenBits)
{
    auto slots = Layout("MMM. .... .... ....");
    slots[0].Inputs = 32760;
    slots[0].Outputs = -32760;
    slots[1].Inputs = 5; // 32765
    slots[2].Inputs = 10; // would be 32775: skipped
    slots[3].Inputs = -1; // 32764
    slots[1].Outputs = -10; // skipped
    slots[2].Outputs = -8; // -32768
    slots[3].Outputs = 3; // -32765
    // Every slot counts, whatever it holds.
    slots[16].Inputs = 1;
    const auto summary = SummarizeStation(slots);
    EXPECT_EQ(summary.TotalInputs, 32765);
    EXPECT_EQ(summary.TotalOutputs, -32765);

    Station station;
    station.Slots = slots;
    UpdateTotals(station);
    EXPECT_EQ(station.TotalInputs, 32765);
    EXPECT_EQ(station.TotalOutputs, -32765);
}

TEST(Summary, ModulesOfOddNamesAreNumbered)
{
    auto slots = Layout(".... .... .... ....");
    slots[1].PartNo = "none";
    slots[2].PartNo = "bus";
    slots[3].PartNo = "";
    const auto summary = SummarizeStation(slots);
    EXPECT_EQ(summary.ModuleNumbers[1], 1);
    EXPECT_EQ(summary.ModuleNumbers[2], 2);
    EXPECT_EQ(summary.ModuleNumbers[3], 3);
    EXPECT_EQ(summary.PictureVariant[1], 'b');
    EXPECT_EQ(summary.PictureVariant[3], 'a');
    EXPECT_EQ(summary.BranchMask, 1);
}
