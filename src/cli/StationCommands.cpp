#include <iostream>
#include <memory>

#include <CLI/CLI.hpp>

#include "cli/CliSupport.h"
#include "util/Paths.h"

namespace kr39 {

namespace {

struct StationArgs {
    std::string File;
    int Slot = 0;
    std::string PartNo;
};

// Standard output that cannot be written is a failure too (a full disk behind a redirection).
int FinishOutput()
{
    if (std::cout.flush())
        return ExitOk;
    std::cerr << "kr39eds-cli: cannot write to standard output" << std::endl;
    return ExitFailure;
}

int RunCatalog(const CliContext& context)
{
    Catalog catalog;
    if (!LoadCatalogOrReport(context, catalog))
        return ExitFailure;
    for (int i = 0; i < catalog.ModuleLineCount; ++i) {
        const auto& entry = catalog.Entries[static_cast<std::size_t>(i)];
        std::cout << entry.PartNo << '\t' << entry.TypeCode << '\t' << entry.Inputs << '\t' << entry.Outputs
                  << '\t' << entry.Description << '\n';
    }
    return FinishOutput();
}

int RunNew(const CliContext& context, const StationArgs& args)
{
    Catalog catalog;
    if (!LoadCatalogOrReport(context, catalog))
        return ExitFailure;
    // Slot 0 of every station is the first bus node; a catalog without one cannot make a station.
    if (catalog.FirstBusNode() == nullptr) {
        return ReportFailure(IdsInitializationError,
            Failure {FindNoCase(context.ModulesDir(), "pn.dat").string(), 0,
                "the catalog holds no bus node (type code 00)"});
    }
    Station station;
    NewStation(station, catalog);
    FileLock lock;
    if (!LockStationOrReport(args.File, lock))
        return ExitFailure;
    return SaveStationOrReport(station, args.File) ? ExitOk : ExitFailure;
}

int RunPlace(const CliContext& context, const StationArgs& args)
{
    Catalog catalog;
    Station station;
    FileLock lock;
    if (!LockStationOrReport(args.File, lock) || !OpenStationOrReport(context, args.File, catalog, station))
        return ExitFailure;
    // A part number holds no blank, so it is dropped as a tree node text "PartNo Description" is.
    const auto* entry = catalog.Find(args.PartNo);
    if (entry == nullptr) {
        return ReportFailure(IdsPartNoNotFound,
            Failure {FindNoCase(context.ModulesDir(), "pn.dat").string(), 0,
                "part number " + QuoteForMessage(args.PartNo) + " is not in the catalog"});
    }
    // Slots 1 to 16 take modules: the window offers no bus node there, and "None" and "Bus"
    // are no modules even when the catalog lists them.
    if (entry->TypeCode == BusNodeTypeCode || KindOf(args.PartNo) != SlotKind::Module) {
        return ReportFailure(IdsPartNoNotFound,
            Failure {FindNoCase(context.ModulesDir(), "pn.dat").string(), 0,
                "part number " + QuoteForMessage(args.PartNo) + " is no module; slots 1 to 16 take modules"});
    }
    const auto dropped = DropModule(station, catalog, args.Slot, args.PartNo + " ");
    if (dropped.Outcome != DropOutcome::Placed)
        return ReportFailure(IdsPartNoNotFound, Failure {args.File, 0, "the module could not be placed"});
    return SaveStationOrReport(station, args.File) ? ExitOk : ExitFailure;
}

int RunRemove(const CliContext& context, const StationArgs& args)
{
    Catalog catalog;
    Station station;
    FileLock lock;
    if (!LockStationOrReport(args.File, lock) || !OpenStationOrReport(context, args.File, catalog, station))
        return ExitFailure;
    RemoveModule(station, args.Slot);
    return SaveStationOrReport(station, args.File) ? ExitOk : ExitFailure;
}

int RunShow(const CliContext& context, const StationArgs& args)
{
    Catalog catalog;
    Station station;
    if (!OpenStationOrReport(context, args.File, catalog, station))
        return ExitFailure;
    const auto summary = SummarizeStation(station.Slots);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const auto index = static_cast<std::size_t>(slot);
        const auto& record = station.Slots[index];
        std::cout << slot << '\t' << record.PartNo << '\t';
        if (summary.ModuleNumbers[index] > 0)
            std::cout << summary.ModuleNumbers[index];
        else
            std::cout << '-';
        std::cout << '\t' << record.Inputs << '\t' << record.Outputs << '\t' << record.Description << '\n';
    }
    std::cout << "TotalInputs\t" << summary.TotalInputs << "\nTotalOutputs\t" << summary.TotalOutputs << '\n';
    return FinishOutput();
}

// Registers a subcommand whose work runs once the whole command line has been parsed.
template <class Work>
CLI::App* AddCommand(CLI::App& app, CliContext& context, const std::string& name, const std::string& help,
    const std::shared_ptr<StationArgs>& args, Work work)
{
    auto* command = app.add_subcommand(name, help);
    command->callback(
        [&context, args, work] { context.Run = [&context, args, work] { return work(context, *args); }; });
    return command;
}

} // namespace

void AddStationCommands(CLI::App& app, CliContext& context)
{
    auto args = std::make_shared<StationArgs>();
    auto addStation = [&](CLI::App* command) {
        command->add_option("STATION", args->File, "the station file (*.CSE)")->required();
    };
    auto addSlot = [&](CLI::App* command) {
        command->add_option("SLOT", args->Slot, "the slot, 1 to 16")->required()->check(CLI::Range(1, 16));
    };

    AddCommand(app, context, "catalog",
        "list the catalog: PartNo, TypeCode, Inputs, Outputs, Description (tab-separated)", args,
        [](const CliContext& c, const StationArgs&) { return RunCatalog(c); });

    addStation(AddCommand(
        app, context, "new", "write a new station: the first bus node, 16 empty slots", args, RunNew));

    auto* place = AddCommand(
        app, context, "place", "drop a module on a slot by the placement rules and save", args, RunPlace);
    addStation(place);
    addSlot(place);
    place->add_option("PARTNO", args->PartNo, "the part number of a catalog module")->required();

    auto* remove
        = AddCommand(app, context, "remove", "empty a slot by the removal rule and save", args, RunRemove);
    addStation(remove);
    addSlot(remove);

    addStation(AddCommand(app, context, "show",
        "print the 17 slots (Slot, PartNo, ModuleNumber, Inputs, Outputs, Description) and the totals", args,
        RunShow));
}

} // namespace kr39
