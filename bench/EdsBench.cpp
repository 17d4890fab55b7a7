// EDS generation against its floor: reading the same input files and writing the same number
// of bytes. Run with `make bench`; compare each Generate row with the Floor row of the same
// argument. The template rows take the master template's size in MB and should grow linearly;
// the tag-dense template holds a tag on every third line, where the usual one holds tags in
// its head only.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "catalog/Catalog.h"
#include "eds/EdsGenerator.h"
#include "eds/EdsRules.h"
#include "util/FileIo.h"

namespace fs = std::filesystem;
using namespace kr39;

namespace {

const fs::path kShipped = fs::path(KR39_SOURCE_DIR) / "modules";

fs::path WorkDir()
{
    static const fs::path dir = [] {
        auto d = fs::temp_directory_path() / ("kr39eds-bench-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// All 16 slots filled, cycling through the shipped modules.
GenerateInput FullStation(const fs::path& modulesDir)
{
    const auto catalog = LoadCatalog(kShipped);
    if (!catalog)
        throw std::runtime_error(catalog.Error().Describe());
    GenerateInput input;
    input.Slots[0].PartNo = std::string(RootNodeText);
    int next = 0;
    for (int slot = 1; slot < SlotCount; ++slot) {
        const CatalogEntry* entry = nullptr;
        while (entry == nullptr || entry->TypeCode == BusNodeTypeCode)
            entry = &catalog.Value().Entries[next++ % catalog.Value().ModuleLineCount];
        input.Slots[slot].PartNo = entry->PartNo;
        input.TotalInputs = static_cast<std::int16_t>(input.TotalInputs + entry->Inputs);
        input.TotalOutputs = static_cast<std::int16_t>(input.TotalOutputs + entry->Outputs);
    }
    input.ModulesDir = modulesDir;
    input.CurrentFile = "/data/Line4.CSE";
    input.DateText = "06.12.2026";
    return input;
}

// Padding for a big master template: entries as a big device's template carries them after
// the marker, written unchanged. The tag-dense kind holds "<FILENAME>" on every third line.
std::string PaddingEntry(bool tagDense)
{
    if (tagDense)
        return "        Group1 = \"Station data <FILENAME>\", 4, 1, 2, 3, 4; $ a group entry with a tag\r\n"
               "        $ Padding comment line of the big template: channel data, units, help text\r\n"
               "        ProdName = \"KR39 DeviceNet node\";\r\n";
    return "        Assem101 = \"Channel data\", \"20 04 24 65 30 03\", 16, 0x0001,,,\r\n"
           "                16, Param6,                     $ channel value\r\n"
           "                16, Param7;                     $ channel status\r\n"
           "        $ Channel 1: value and status words, as measured, without scaling\r\n";
}

// A copy of the shipped library whose master template is padded to `megabytes`.
fs::path BigLibrary(int megabytes, bool tagDense)
{
    static std::map<std::pair<int, bool>, fs::path> made;
    if (auto it = made.find({megabytes, tagDense}); it != made.end())
        return it->second;
    const auto dir = WorkDir() / ("lib" + std::to_string(megabytes) + (tagDense ? "tags" : ""));
    fs::create_directories(dir);
    for (const auto& e : fs::directory_iterator(kShipped))
        if (e.path().extension() == ".dat")
            fs::copy_file(e.path(), dir / e.path().filename(), fs::copy_options::overwrite_existing);
    std::string text = ReadFileBytes(kShipped / MasterTemplateName).Value();
    const std::string entry = PaddingEntry(tagDense);
    const std::size_t target = static_cast<std::size_t>(megabytes) << 20;
    text.reserve(target + entry.size());
    while (text.size() < target)
        text += entry;
    std::ofstream(dir / MasterTemplateName, std::ios::binary) << text;
    made[{megabytes, tagDense}] = dir;
    return dir;
}

std::size_t OutputSize(const GenerateInput& input)
{
    return GenerateEds(input).Value().size();
}

void RunGenerate(benchmark::State& state, const GenerateInput& input)
{
    const auto out = WorkDir() / "Line4.EDS";
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto text = GenerateEdsText(input); // as the command line generates and writes
        if (!text || !text.Value().WriteTo(out)) {
            state.SkipWithError("generation failed");
            return;
        }
        bytes = text.Value().Size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// Reads the master template and each placed module's file, and writes as many bytes as the
// generated file has, the same way the generator writes it.
void RunFloor(benchmark::State& state, const GenerateInput& input)
{
    const auto out = WorkDir() / "Floor.EDS";
    const std::string output(OutputSize(input), 'x');
    for (auto _ : state) {
        auto master = ReadFileBytes(input.ModulesDir / MasterTemplateName);
        benchmark::DoNotOptimize(master.Value().data());
        for (int slot = 1; slot < SlotCount; ++slot) {
            auto module = ReadFileBytes(input.ModulesDir / (input.Slots[slot].PartNo + ".dat"));
            benchmark::DoNotOptimize(module.Value().data());
        }
        if (!WriteFileAtomic(out, output)) {
            state.SkipWithError("write failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * output.size()));
}

void GenerateFullStation(benchmark::State& state)
{
    RunGenerate(state, FullStation(kShipped));
}
void FloorFullStation(benchmark::State& state)
{
    RunFloor(state, FullStation(kShipped));
}
void GenerateBigTemplate(benchmark::State& state)
{
    RunGenerate(state, FullStation(BigLibrary(static_cast<int>(state.range(0)), false)));
}
void FloorBigTemplate(benchmark::State& state)
{
    RunFloor(state, FullStation(BigLibrary(static_cast<int>(state.range(0)), false)));
}
void GenerateTagDenseTemplate(benchmark::State& state)
{
    RunGenerate(state, FullStation(BigLibrary(static_cast<int>(state.range(0)), true)));
}
void FloorTagDenseTemplate(benchmark::State& state)
{
    RunFloor(state, FullStation(BigLibrary(static_cast<int>(state.range(0)), true)));
}

// The console table, then one line per Generate row: its ratio to the Floor row of the same
// argument, and for the template rows the cost per MB of template, which stays flat when the
// cost grows linearly. Each row is the median of its repetitions, so that a busy machine
// disturbs the ratios less.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median" || run.error_occurred)
                continue;
            auto name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            if (m_times.find(name) == m_times.end())
                m_order.push_back(name);
            auto& t = m_times[name];
            t.Real += run.GetAdjustedRealTime();
            t.Cpu += run.GetAdjustedCPUTime();
            ++t.Count;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& name : m_order) {
            const auto& gen = m_times[name];
            if (name.rfind("Generate", 0) != 0)
                continue;
            const auto floor = m_times.find("Floor" + name.substr(8));
            if (floor == m_times.end())
                continue;
            std::printf("%-28s %.2fx wall clock, %.2fx CPU of the floor", name.c_str(),
                gen.Real / gen.Count / (floor->second.Real / floor->second.Count),
                gen.Cpu / gen.Count / (floor->second.Cpu / floor->second.Count));
            if (const auto slash = name.find('/'); slash != std::string::npos) {
                const double megabytes = std::stod(name.substr(slash + 1));
                std::printf("; %.2f ms CPU per MB (floor %.2f)", gen.Cpu / gen.Count / megabytes,
                    floor->second.Cpu / floor->second.Count / megabytes);
            }
            std::printf("\n");
        }
    }

private:
    struct Times {
        double Real = 0;
        double Cpu = 0;
        int Count = 0;
    };
    std::map<std::string, Times> m_times;
    std::vector<std::string> m_order;
};

} // namespace

// A Generate row and its Floor row with the same arguments, each the median of 5 repetitions.
void AddPair(const std::string& name, void (*generate)(benchmark::State&), void (*floor)(benchmark::State&),
    const std::vector<std::int64_t>& args, benchmark::TimeUnit unit)
{
    for (auto [prefix, run] : {std::pair {"Generate", generate}, std::pair {"Floor", floor}}) {
        auto* bench = benchmark::RegisterBenchmark((prefix + name).c_str(), run);
        for (const auto arg : args)
            bench->Arg(arg);
        bench->Unit(unit)->Repetitions(5)->ReportAggregatesOnly();
    }
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    AddPair("FullStation", GenerateFullStation, FloorFullStation, {}, benchmark::kMicrosecond);
    AddPair("BigTemplate", GenerateBigTemplate, FloorBigTemplate, {5, 10, 20, 40}, benchmark::kMillisecond);
    AddPair(
        "TagDenseTemplate", GenerateTagDenseTemplate, FloorTagDenseTemplate, {20}, benchmark::kMillisecond);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    fs::remove_all(WorkDir());
    return 0;
}
