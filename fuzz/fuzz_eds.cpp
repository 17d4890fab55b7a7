// EDS generation fed with fuzzed files: the input is cut at "#FILE#" into the master template
// and the module description files A.dat, B.dat and C.dat, written into a scratch modules
// folder (a file that the input does not reach is missing). The station holds A, a filler, B,
// C, A and B, so that files are read twice and module numbers run past the branches.
#include "FuzzSupport.h"
#include "eds/EdsGenerator.h"
#include "eds/EdsRules.h"
#include "util/FileIo.h"

#include <array>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class CheckedProgress : public kr39::GenerateProgress {
public:
    void StationProgress(int percent) override { KR39_FUZZ_CHECK(percent >= 0 && percent <= 100); }
    void BoxProgress(int percent) override { KR39_FUZZ_CHECK(percent >= 0 && percent <= 100); }
};

const fs::path& ModulesDir()
{
    static const fs::path dir = [] {
        auto path = kr39::fuzz::ScratchDir() / "modules";
        fs::create_directories(path);
        return path;
    }();
    return dir;
}

void Put(const fs::path& path, const std::string_view* bytes)
{
    std::error_code ec;
    if (bytes == nullptr) {
        fs::remove(path, ec);
        return;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto parts = kr39::fuzz::SplitInput(input, "#FILE#", 4);
    static const std::array<std::string, 4> names {
        std::string(kr39::MasterTemplateName), "A.dat", "B.dat", "C.dat"};
    for (std::size_t i = 0; i < names.size(); ++i)
        Put(ModulesDir() / names[i], i < parts.size() ? &parts[i] : nullptr);

    kr39::GenerateInput run;
    for (auto& slot : run.Slots)
        slot.PartNo = std::string(kr39::EmptyPartNo);
    run.Slots[0].PartNo = "KR39NODE000001";
    run.Slots[1].PartNo = "A";
    run.Slots[2].PartNo = std::string(kr39::FillerPartNo);
    run.Slots[3].PartNo = "B";
    run.Slots[6].PartNo = "C";
    run.Slots[9].PartNo = "A";
    run.Slots[16].PartNo = "B";
    run.TotalInputs = -12;
    run.TotalOutputs = 32767;
    run.CurrentFile = "/stations/Line4.CSE";
    run.ModulesDir = ModulesDir();
    run.DateText = "12/6/2026";

    CheckedProgress progress;
    const auto text = kr39::GenerateEds(run, &progress);
    if (!text) {
        KR39_FUZZ_CHECK(!text.Error().What.empty());
        return 0;
    }
    // Every line written ends in CR LF.
    const auto& eds = text.Value();
    KR39_FUZZ_CHECK(eds.empty() || (eds.size() >= 2 && eds.compare(eds.size() - 2, 2, "\r\n") == 0));

    const auto out = kr39::fuzz::ScratchDir() / "out.EDS";
    KR39_FUZZ_CHECK(kr39::WriteEdsFile(out, eds).Ok());
    const auto back = kr39::ReadFileBytes(out);
    KR39_FUZZ_CHECK(back.Ok() && back.Value() == eds);
    return 0;
}
