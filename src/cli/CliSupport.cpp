#include "cli/CliSupport.h"

#include <iostream>
#include <new>

#include "config/StationFile.h"
#include "util/Paths.h"

namespace kr39 {

std::filesystem::path CliContext::ModulesDir() const
{
    return ModulesOption.empty() ? DefaultModulesDir() : std::filesystem::path(ModulesOption);
}

int ReportFailure(StringId id, const Failure& detail)
{
    std::cerr << ResString(id) << '\n' << detail.Describe() << std::endl;
    return ExitFailure;
}

int ReportOutOfMemory(StringId id)
{
    return ReportFailure(id, Failure {"", 0, "not enough memory"});
}

bool LoadCatalogOrReport(const CliContext& context, Catalog& catalog)
try {
    auto loaded = LoadCatalog(context.ModulesDir());
    if (!loaded) {
        ReportFailure(IdsInitializationError, loaded.Error());
        return false;
    }
    catalog = std::move(loaded.Value());
    return true;
} catch (const std::bad_alloc&) {
    ReportOutOfMemory(IdsInitializationError);
    return false;
}

bool OpenStationOrReport(
    const CliContext& context, const std::string& path, Catalog& catalog, Station& station)
{
    if (!LoadCatalogOrReport(context, catalog))
        return false;
    OpenResult opened;
    try {
        opened = OpenStation(station, catalog, path);
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory(IdsLoadError);
        return false;
    }
    switch (opened.Outcome) {
    case OpenOutcome::Opened:
        return true;
    case OpenOutcome::LoadError:
        ReportFailure(IdsLoadError, opened.Detail);
        return false;
    case OpenOutcome::PartNoNotFound:
        ReportFailure(IdsPartNoNotFound, opened.Detail);
        return false;
    }
    return false;
}

bool LockStationOrReport(const std::string& path, FileLock& lock)
{
    auto locked = FileLock::Acquire(path);
    if (!locked) {
        ReportFailure(IdsLoadError, locked.Error());
        return false;
    }
    lock = std::move(locked.Value());
    return true;
}

bool SaveStationOrReport(Station& station, const std::string& path)
{
    const auto saved = SaveStation(station, path);
    if (!saved) {
        ReportFailure(IdsSaveError, saved.Error());
        return false;
    }
    return true;
}

} // namespace kr39
