// One redraw of a full station (17 picture files read from disk) against the floor of only
// loading the same 17 files with QImage. The last line prints the ratio of the two.
//   make bench   or   build/bench/bin/kr39eds-view-bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalog/Catalog.h"
#include "station/Station.h"
#include "station/StationView.h"

namespace fs = std::filesystem;
using namespace kr39;

namespace {

const fs::path kShipped = fs::path(KR39_SOURCE_DIR) / "modules";

// Every slot holds a module, cycling through the I/O modules of the shipped catalog.
Station FullStation()
{
    const auto catalog = LoadCatalog(kShipped);
    if (!catalog)
        throw std::runtime_error(catalog.Error().Describe());
    Station station;
    NewStation(station, catalog.Value());
    std::vector<const CatalogEntry*> modules;
    for (int i = 0; i < catalog->ModuleLineCount; ++i)
        if (catalog->Entries[static_cast<std::size_t>(i)].TypeCode != BusNodeTypeCode)
            modules.push_back(&catalog->Entries[static_cast<std::size_t>(i)]);
    for (int slot = 1; slot < SlotCount; ++slot) {
        const CatalogEntry& entry = *modules[static_cast<std::size_t>(slot - 1) % modules.size()];
        station.Slots[static_cast<std::size_t>(slot)]
            = {entry.PartNo, entry.Description, entry.Inputs, entry.Outputs};
    }
    return station;
}

// The 17 files a redraw of the station reads.
std::vector<QString> PictureFiles(const Station& station)
{
    const StationSummary summary = SummarizeStation(station.Slots);
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "_%02d", summary.BranchMask);
    std::vector<QString> files {
        QString::fromStdString((kShipped / (station.Slots[0].PartNo + suffix + ".bmp")).string())};
    for (int slot = 1; slot < SlotCount; ++slot) {
        const auto i = static_cast<std::size_t>(slot);
        files.push_back(QString::fromStdString(
            (kShipped / (station.Slots[i].PartNo + summary.PictureVariant[i] + ".bmp")).string()));
    }
    return files;
}

void BM_DrawStation(benchmark::State& state)
{
    Station station = FullStation();
    StationView view;
    for (auto _ : state) {
        view.DrawStation(station, kShipped);
        benchmark::DoNotOptimize(station.TotalInputs);
    }
}
BENCHMARK(BM_DrawStation);

void BM_LoadPicturesOnly(benchmark::State& state)
{
    const std::vector<QString> files = PictureFiles(FullStation());
    for (const QString& file : files)
        if (QImage(file).isNull())
            state.SkipWithError("a picture of the shipped library does not load");
    for (auto _ : state) {
        for (const QString& file : files) {
            QImage image(file);
            benchmark::DoNotOptimize(image);
        }
    }
}
BENCHMARK(BM_LoadPicturesOnly);

// Redraw and repaint of a shown station whose 16 descriptions are 2 MB each: the labels and
// tooltips take a few hundred characters of them, so this stays near the cost of a normal one.
void BM_DrawStationHugeDescriptions(benchmark::State& state)
{
    Station station = FullStation();
    for (int slot = 1; slot < SlotCount; ++slot)
        station.Slots[static_cast<std::size_t>(slot)].Description = std::string(2 << 20, 'x');
    StationView view;
    view.show();
    for (auto _ : state) {
        view.DrawStation(station, kShipped);
        view.repaint();
    }
}
BENCHMARK(BM_DrawStationHugeDescriptions)->Unit(benchmark::kMillisecond);

// Prints the rows as usual and, at the end, the time of a redraw over the time of the loads
// (wall clock and CPU, each the mean over all repetitions).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // The mean over the repetitions when there are several, else the single run.
            const bool mean = run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean";
            if ((run.run_type != Run::RT_Iteration && !mean) || run.error_occurred)
                continue;
            Times& times = m_times[run.run_name.function_name];
            if (mean && !times.FromMean)
                times = Times {0, 0, 0, true};
            else if (!mean && times.FromMean)
                continue;
            times.Real += run.GetAdjustedRealTime();
            times.Cpu += run.GetAdjustedCPUTime();
            ++times.Count;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto draw = m_times.find("BM_DrawStation");
        const auto load = m_times.find("BM_LoadPicturesOnly");
        if (draw == m_times.end() || load == m_times.end() || load->second.Real <= 0 || load->second.Cpu <= 0)
            return;
        const double drawReal = draw->second.Real / draw->second.Count;
        const double drawCpu = draw->second.Cpu / draw->second.Count;
        const double loadReal = load->second.Real / load->second.Count;
        const double loadCpu = load->second.Cpu / load->second.Count;
        std::printf("DrawStation / loading the 17 pictures alone: %.2fx wall clock, %.2fx CPU\n",
            drawReal / loadReal, drawCpu / loadCpu);
    }

private:
    struct Times {
        double Real = 0;
        double Cpu = 0;
        int Count = 0;
        bool FromMean = false;
    };
    std::map<std::string, Times> m_times;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
