#include "station/Station.h"

#include "catalog/Catalog.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace kr39;

namespace {

// Slots 1..16, one character each, blanks between branches for the eye: '.' "None", '#' "Bus",
// 'n' "none", '_' the empty part number, any other character a module of that part number.
const std::vector<std::pair<char, std::string>> kSymbols {
    {'.', "None"}, {'#', "Bus"}, {'n', "none"}, {'_', ""}};

SlotTable Layout(std::string_view pattern)
{
    SlotTable slots;
    slots[0] = SlotRecord {"NODE", "node", 1, 2};
    std::size_t slot = 1;
    for (const char c : pattern) {
        if (c == ' ')
            continue;
        slots[slot].PartNo = std::string(1, c);
        for (const auto& [symbol, partNo] : kSymbols)
            slots[slot].PartNo = c == symbol ? partNo : slots[slot].PartNo;
        ++slot;
    }
    return slots;
}

std::string Pattern(const SlotTable& slots)
{
    std::string pattern;
    for (std::size_t slot = 1; slot < SlotCount; ++slot) {
        char c = slots[slot].PartNo.size() == 1 ? slots[slot].PartNo[0] : '?';
        for (const auto& [symbol, partNo] : kSymbols)
            c = slots[slot].PartNo == partNo ? symbol : c;
        pattern += slot % 4 == 0 && slot < 16 ? std::string {c, ' '} : std::string {c};
    }
    return pattern;
}

Catalog TestCatalog()
{
    Catalog catalog;
    catalog.Entries[0] = CatalogEntry {"D", "16 inputs", "01", 16, 0};
    catalog.Entries[1] = CatalogEntry {"NODE1", "first node", "00", 8, 4};
    catalog.Entries[2] = CatalogEntry {"O", "4 outputs", "01", 0, 4};
    return catalog;
}

struct Rule {
    const char* Name;
    std::string Before, After;
    friend void PrintTo(const Rule& c, std::ostream* os) { *os << c.Name; }
};

class BranchRule : public ::testing::TestWithParam<Rule> { };

// A new station of the test catalog.
class Edit : public ::testing::Test {
protected:
    void SetUp() override { NewStation(station, catalog); }
    const Catalog catalog = TestCatalog();
    Station station;
};

} // namespace

TEST_P(BranchRule, MakesFillersInFrontOfTheLastModuleOfEachBranch)
{
    auto slots = Layout(GetParam().Before);
    slots[2].Description = "kept";
    NormalizeSlots(slots);
    EXPECT_EQ(Pattern(slots), GetParam().After);
    EXPECT_EQ(slots[0].PartNo, "NODE");
    EXPECT_EQ(slots[2].Description, "kept");
    NormalizeSlots(slots);
    EXPECT_EQ(Pattern(slots), GetParam().After);
}

INSTANTIATE_TEST_SUITE_P(Layouts, BranchRule,
    ::testing::Values(Rule {"EmptyStaysEmpty", ".... .... .... ....", ".... .... .... ...."},
        // Branch 2 as it is edited: a module on its third position, removed again, two modules.
        Rule {"ModuleThirdInItsBranch", ".... ..M. .... ....", ".... ##M. .... ...."},
        Rule {"FillersWithoutAModuleGo", ".... ##.. .... ....", ".... .... .... ...."},
        Rule {"TwoModules", ".... P..Q .... ....", ".... P##Q .... ...."},
        Rule {"ModuleLastInItsBranch", "...M .... .... ....", "###M .... .... ...."},
        Rule {"ModuleFirstInItsBranch", "M... .... .... ....", "M... .... .... ...."},
        Rule {"FillerBehindTheLastModuleGoes", "M.#. .... .... ....", "M... .... .... ...."},
        Rule {"AllBranches", "..M. #.#M .M.. ...Z", "##M. ###M #M.. ###Z"},
        // Only "None" is empty: other spellings are modules, and so is a filler in a last slot.
        Rule {"OnlyNoneIsEmpty", ".n.. ..._ .... ...#", "#n.. ###_ .... ####"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(NewStation, TakesTheFirstBusNodeAndEmptiesEverything)
{
    Station station;
    station.Slots = Layout("DDDD #..D .... ....");
    station.Slots[4] = SlotRecord {"D", "old", 5, 5};
    station.CurrentFile = "old.CSE";
    station.Modified = true;
    NewStation(station, TestCatalog());
    EXPECT_EQ(station.Slots[0].PartNo + "|" + station.Slots[0].Description, "NODE1|first node");
    EXPECT_EQ(station.Slots[0].Inputs * 100 + station.Slots[0].Outputs, 804);
    EXPECT_EQ(Pattern(station.Slots), ".... .... .... ....");
    EXPECT_EQ(station.Slots[4].Description, "");
    EXPECT_EQ(station.Slots[4].Inputs + station.Slots[4].Outputs, 0);
    EXPECT_EQ(station.CurrentFile, "");
    EXPECT_FALSE(station.Modified);
}

TEST_F(Edit, DropPlacesReplacesAndMakesFillersButWithoutAPartNoDoesNothing)
{
    station.Slots[2].PartNo = "Bus"; // left unnormalized on purpose
    for (const char* text : {"", "KR39NODE000001", " D", "D"})
        EXPECT_EQ(DropModule(station, catalog, 2, text).Outcome, DropOutcome::Nothing) << text;
    EXPECT_EQ(Pattern(station.Slots), ".#.. .... .... ....");
    // An unknown part number only normalizes.
    EXPECT_EQ(DropModule(station, catalog, 5, "d x").Outcome, DropOutcome::RedrawOnly);
    EXPECT_EQ(Pattern(station.Slots), ".... .... .... ....");
    EXPECT_FALSE(station.Modified);

    auto result = DropModule(station, catalog, 3, "D 16 inputs");
    EXPECT_EQ(result.Outcome, DropOutcome::Placed);
    EXPECT_EQ(result.TargetSlot, 3);
    EXPECT_TRUE(station.Modified);
    EXPECT_EQ(Pattern(station.Slots), "##D. .... .... ....");
    EXPECT_EQ(station.Slots[3].Description + "|" + std::to_string(station.Slots[3].Inputs), "16 inputs|16");
    // On a filler and on a module: what was there goes.
    DropModule(station, catalog, 1, "O x");
    DropModule(station, catalog, 3, "O x");
    EXPECT_EQ(Pattern(station.Slots), "O#O. .... .... ....");
    EXPECT_EQ(station.Slots[3].Description + "|" + std::to_string(station.Slots[3].Inputs), "4 outputs|0");
}

TEST(Drop, BlankCapitalCBlankGoesToTheEndOfTheBranchBehindFillers)
{
    // The description, the slot dropped on, the slot the module goes to and the station after.
    const std::tuple<std::string, int, int, std::string> cases[]
        = {{"Counter C 24 V", 6, 8, ".... ###D .... ...."}, {"Counter C 24 V", 1, 4, "###D .... .... ...."},
            {"Counter C 24 V", 4, 4, "###D .... .... ...."},
            {"Counter C 24 V", 13, 16, ".... .... .... ###D"}, {"x  C  y", 10, 12, ".... .... ###D ...."},
            {"Counter c 24 V", 6, 6, ".... #D.. .... ...."}, {"Counter C", 6, 6, ".... #D.. .... ...."},
            {"C counter", 6, 6, ".... #D.. .... ...."}, {"Counter\tC 24 V", 6, 6, ".... #D.. .... ...."}};
    for (const auto& [description, slot, target, after] : cases) {
        SCOPED_TRACE(description + " dropped on " + std::to_string(slot));
        auto catalog = TestCatalog();
        catalog.Entries[0].Description = description;
        Station station;
        NewStation(station, catalog);
        EXPECT_EQ(DropModule(station, catalog, slot, "D x").TargetSlot, target);
        EXPECT_EQ(Pattern(station.Slots), after);
    }
}

TEST_F(Edit, RemoveEmptiesTheSlotAndFreesItsFillers)
{
    DropModule(station, catalog, 7, "D x");
    DropModule(station, catalog, 5, "O x");
    station.Modified = false;
    EXPECT_FALSE(RemoveModule(station, 0));
    EXPECT_EQ(station.Slots[0].PartNo, "NODE1");
    EXPECT_FALSE(station.Modified);

    // A filler that is still needed comes back, but the removal counts as an edit.
    EXPECT_TRUE(RemoveModule(station, 6));
    EXPECT_EQ(Pattern(station.Slots), ".... O#D. .... ....");
    EXPECT_TRUE(station.Modified);

    EXPECT_TRUE(RemoveModule(station, 7));
    EXPECT_EQ(Pattern(station.Slots), ".... O... .... ....");
    EXPECT_EQ(station.Slots[7].Description + std::to_string(station.Slots[7].Inputs), "0");

    // An empty slot stays empty, and the removal still counts as an edit.
    station.Modified = false;
    EXPECT_TRUE(RemoveModule(station, 12));
    EXPECT_TRUE(station.Modified);
}

namespace {

struct View {
    const char* Name;
    std::string Layout;
    int BranchMask;
    std::string Numbers; // module numbers of slots 1..16 in base 36, '-' where there is none
    std::string Variants; // picture variants of slots 1..16, '-' where there is none
    friend void PrintTo(const View& c, std::ostream* os) { *os << c.Name; }
};

class Summary : public ::testing::TestWithParam<View> { };

} // namespace

TEST_P(Summary, NumbersMaskAndPictures)
{
    const auto summary = SummarizeStation(Layout(GetParam().Layout));
    std::string numbers;
    std::string variants;
    for (std::size_t slot = 0; slot < SlotCount; ++slot) {
        const auto n = summary.ModuleNumbers[slot];
        numbers += n == 0 ? '-' : "0123456789abcdefg"[n];
        variants += summary.PictureVariant[slot] == 0 ? '-' : summary.PictureVariant[slot];
    }
    EXPECT_EQ(summary.BranchMask, GetParam().BranchMask);
    EXPECT_EQ(numbers, "-" + GetParam().Numbers);
    EXPECT_EQ(variants, "-" + GetParam().Variants);
}

INSTANTIATE_TEST_SUITE_P(Stations, Summary,
    ::testing::Values(
        View {"FillerCountsAsOccupied", "#M#M .... .... ....", 1, "-1-2------------", "-b-a------------"},
        View {"OtherSpellingsAreModules", "n#_. .... M... .M..", 5, "1-2-----3----4--", "b-a-----a----a--"},
        View {"Full", "MMMM MMMM MMMM MMMM", 15, "123456789abcdefg", "bbbabbbabbbabbba"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Summary, TotalsCountEverySlotAndSkipAnAdditionThatLeavesSixteenBits)
{
    auto slots = Layout("MMM. .... .... ...#");
    slots[0].Inputs = 32760;
    slots[0].Outputs = -32760;
    slots[1].Inputs = 5; // 32765
    slots[2].Inputs = 10; // would be 32775: skipped
    slots[3].Inputs = 2; // exactly 32767
    slots[16].Inputs = -1; // a filler counts too: 32766
    slots[1].Outputs = -10; // skipped
    slots[2].Outputs = -8; // -32768
    slots[3].Outputs = 3; // -32765
    Station station;
    station.Slots = slots;
    UpdateTotals(station);
    EXPECT_EQ(station.TotalInputs, 32766);
    EXPECT_EQ(station.TotalOutputs, -32765);
}
