// kr39eds-cli generate: writes the EDS file of a station file.

#include <clocale>
#include <ctime>
#include <iostream>
#include <memory>

#include <CLI/CLI.hpp>

#include "cli/CliSupport.h"
#include "eds/EdsGenerator.h"
#include "util/Paths.h"

namespace kr39 {

namespace {

struct GenerateArgs {
    std::string Station;
    std::string Output; // empty: the base name and ".EDS" beside the station file
    std::string Date; // empty: today in the user's short date format
    bool DateGiven = false;
};

// Today's date in the short date format of the user's locale (LC_TIME), without a time.
std::string TodayShortDate()
{
    std::setlocale(LC_TIME, "");
    const std::time_t now = std::time(nullptr);
    std::tm local {};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[64];
    const auto length = std::strftime(text, sizeof text, "%x", &local);
    return std::string(text, length);
}

int RunGenerate(const CliContext& context, const GenerateArgs& args)
{
    Catalog catalog;
    Station station;
    if (!OpenStationOrReport(context, args.Station, catalog, station))
        return ExitFailure;
    UpdateTotals(station); // as the station view computes them at its redraw

    const auto input
        = MakeGenerateInput(station, context.ModulesDir(), args.DateGiven ? args.Date : TodayShortDate());
    const auto text = GenerateEds(input);
    if (!text)
        return ReportFailure(IdsGenerateError, text.Error());

    const std::filesystem::path stationPath(args.Station);
    const auto output = args.Output.empty()
        ? stationPath.parent_path() / (StationBaseName(args.Station) + ".EDS")
        : std::filesystem::path(args.Output);
    if (const auto written = WriteEdsFile(output, text.Value()); !written)
        return ReportFailure(IdsGenerateError, written.Error());
    std::cout << output.string() << '\n';
    return std::cout.flush() ? ExitOk : ExitFailure;
}

} // namespace

void AddGenerateCommand(CLI::App& app, CliContext& context)
{
    auto args = std::make_shared<GenerateArgs>();
    auto* command = app.add_subcommand("generate",
        "write the station's EDS file (default: its base name and .EDS beside it) and print its path");
    command->add_option("STATION", args->Station, "the station file (*.CSE)")->required();
    command->add_option("-o,--output", args->Output, "the EDS file to write")->type_name("OUT");
    command->add_option("--date", args->Date, "the text for the date (default: today, short date format)")
        ->type_name("TEXT");
    command->callback([&context, args, command] {
        args->DateGiven = command->count("--date") > 0;
        context.Run = [&context, args] { return RunGenerate(context, *args); };
    });
}

} // namespace kr39
