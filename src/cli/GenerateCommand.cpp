// kr39eds-cli generate: writes the EDS file of a station file.

#include <iostream>
#include <memory>
#include <new>

#include <CLI/CLI.hpp>

#include "cli/CliSupport.h"
#include "eds/EdsGenerator.h"
#include "eds/EdsValues.h"
#include "util/Paths.h"

namespace kr39 {

namespace {

struct GenerateArgs {
    std::string Station;
    std::string Output; // empty: the base name and ".EDS" beside the station file
    std::string Date; // an EDS date "mm-dd-yyyy"; empty: today
};

int RunGenerate(const CliContext& context, const GenerateArgs& args)
{
    Catalog catalog;
    Station station;
    if (!OpenStationOrReport(context, args.Station, catalog, station))
        return ExitFailure;
    UpdateTotals(station); // as the station view computes them at its redraw

    const auto input
        = MakeGenerateInput(station, context.ModulesDir(), args.Date.empty() ? TodayEdsDate() : args.Date);
    const std::filesystem::path stationPath(args.Station);
    const auto output = args.Output.empty()
        ? stationPath.parent_path() / (StationBaseName(args.Station) + ".EDS")
        : std::filesystem::path(args.Output);
    // A station file named *.EDS would otherwise be replaced by its own EDS file.
    if (std::error_code ec; std::filesystem::equivalent(output, stationPath, ec))
        return ReportFailure(IdsGenerateError,
            Failure {output.string(), 0, "this is the station file; the EDS file must be another file"});

    Result<EdsText> text = Failure {};
    try {
        text = GenerateEdsText(input);
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(IdsGenerateError);
    }
    if (!text)
        return ReportFailure(IdsGenerateError, text.Error());
    if (const auto written = text.Value().WriteTo(output); !written)
        return ReportFailure(IdsGenerateError, written.Error());
    std::cout << EscapeControls(output.string()) << '\n';
    return std::cout.flush() ? ExitOk : ExitFailure;
}

} // namespace

void AddGenerateCommand(CLI::App& app, CliContext& context)
{
    auto args = std::make_shared<GenerateArgs>();
    auto* command = app.add_subcommand("generate",
        "write the station's EDS file (default: its base name and .EDS beside it) and print its path");
    command->add_option("STATION", args->Station, "the station file (*.CSE)")->required();
    command->add_option("-o,--output", args->Output, "the EDS file to write")
        ->type_name("OUT")
        ->check([](const std::string& name) {
            return name.empty() ? std::string("an empty file name") : std::string();
        });
    // Either form is taken and written as the EDS date mm-dd-yyyy; anything else is a usage error.
    command
        ->add_option(
            "--date", args->Date, "the date of the EDS file, YYYY-MM-DD or mm-dd-yyyy (default: today)")
        ->type_name("DATE")
        ->transform(CLI::Validator(
            [](std::string& text) {
                const auto date = ParseDateOption(text);
                if (!date)
                    return "not a date YYYY-MM-DD or mm-dd-yyyy: " + text;
                text = *date;
                return std::string();
            },
            "", "DATE"));
    command->callback(
        [&context, args] { context.Run = [&context, args] { return RunGenerate(context, *args); }; });
}

} // namespace kr39
