#pragma once

// Shared pieces of kr39eds-cli. Each command file offers one Add...Command(app, context)
// function that main() calls; a command registers itself as a CLI11 subcommand and, when the
// user chose it, stores its work in `context.Run`, which main() runs once parsing succeeded.

#include <filesystem>
#include <functional>
#include <string>

#include "catalog/Catalog.h"
#include "resources/StringTable.h"
#include "station/Station.h"
#include "util/FileIo.h"
#include "util/Result.h"

namespace CLI {
class App;
} // namespace CLI

namespace kr39 {

inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1; // the string table's message, then what and where
inline constexpr int ExitUsage = 2; // the usage text

struct CliContext {
    std::string ModulesOption; // --modules; empty for the modules folder beside the program
    std::function<int()> Run; // the chosen command

    std::filesystem::path ModulesDir() const;
};

// Writes the message `id` in the user's language as the first line on stderr and
// `detail.Describe()` (file, line, offending text) as the second. Returns ExitFailure.
int ReportFailure(StringId id, const Failure& detail);
// The message `id` with the detail "not enough memory", for an allocation that failed.
int ReportOutOfMemory(StringId id);

// Each of these reports its failure by ReportFailure and returns false:
// the catalog of the modules folder ("Initialization error!"),
bool LoadCatalogOrReport(const CliContext& context, Catalog& catalog);
// the catalog, then a station file by the station file rules ("Error when loading data!!!" or
// "Status: PartNo not found!!!"),
bool OpenStationOrReport(
    const CliContext& context, const std::string& path, Catalog& catalog, Station& station);
// an exclusive lock on a station file that a command reads, changes and saves, held until the
// save is done, so that commands run at once on one file never lose a change ("Error when
// loading data!!!" when another program holds it too long),
bool LockStationOrReport(const std::string& path, FileLock& lock);
// an atomic save ("Error when saving data!!!"); the file that was there stays as it was.
bool SaveStationOrReport(Station& station, const std::string& path);

// The station commands: catalog, new, place, remove, show.
void AddStationCommands(CLI::App& app, CliContext& context);

// The generate command: a station file's EDS ("Error when generating data!!!").
void AddGenerateCommand(CLI::App& app, CliContext& context);

// The check and check-library commands: EDS files and the module library by the EDS rules.
void AddCheckCommands(CLI::App& app, CliContext& context);

} // namespace kr39
