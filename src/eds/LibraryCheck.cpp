#include "eds/LibraryCheck.h"

#include <cstdio>
#include <set>

#include "catalog/Catalog.h"
#include "eds/EdsGenerator.h"
#include "eds/EdsRules.h"
#include "eds/EdsValues.h"
#include "station/Station.h"
#include "util/FileIo.h"
#include "util/Paths.h"

namespace kr39 {
namespace fs = std::filesystem;

namespace {

class LibraryChecker {
public:
    explicit LibraryChecker(fs::path dir)
        : m_dir(std::move(dir))
    {
    }

    std::vector<LibraryFinding> Run()
    {
        const auto catalogPath = FindNoCase(m_dir, "pn.dat");
        const auto loaded = LoadCatalog(m_dir);
        if (!loaded) {
            Error(loaded.Error().File, loaded.Error().Line, loaded.Error().What);
            return std::move(m_findings);
        }
        const Catalog& catalog = loaded.Value();
        TextFile(catalogPath);
        TextFile(FindNoCase(m_dir, MasterTemplateName));

        std::vector<const CatalogEntry*> modules;
        std::set<std::string> seen;
        for (int i = 0; i < catalog.ModuleLineCount; ++i) {
            const auto& entry = catalog.Entries[static_cast<std::size_t>(i)];
            if (!seen.insert(entry.PartNo).second)
                continue;
            if (entry.TypeCode == BusNodeTypeCode) {
                for (int mask = 0; mask < 16; ++mask) {
                    char suffix[8];
                    std::snprintf(suffix, sizeof suffix, "_%02d", mask);
                    Picture(entry.PartNo + suffix + ".bmp");
                }
            } else {
                modules.push_back(&entry);
                ModuleFile(entry.PartNo);
                Picture(entry.PartNo + "a.bmp");
                Picture(entry.PartNo + "b.bmp");
            }
        }
        if (catalog.FirstBusNode() == nullptr) {
            Error(catalogPath.string(), 0, "the catalog holds no bus node (type code 00)");
            return std::move(m_findings);
        }
        Station(catalog, {});
        for (const auto* module : modules)
            Station(catalog, {module});
        for (std::size_t start = 0; start < modules.size(); start += SlotCount - 1) {
            const auto end = std::min(modules.size(), start + SlotCount - 1);
            Station(catalog,
                std::vector<const CatalogEntry*>(
                    modules.begin() + static_cast<long>(start), modules.begin() + static_cast<long>(end)));
        }
        return std::move(m_findings);
    }

private:
    void Error(const std::string& file, int line, std::string text)
    {
        m_findings.push_back({file, {line, Severity::Error, std::move(text)}});
    }

    void Picture(const std::string& name)
    {
        const auto path = FindNoCase(m_dir, name);
        std::error_code ec;
        if (!fs::is_regular_file(path, ec))
            Error(path.string(), 0, "the picture is missing");
    }

    // ASCII text with CR LF line ends; returns the text, empty when it cannot be read.
    std::string TextFile(const fs::path& path)
    {
        const auto bytes = ReadFileBytes(path);
        if (!bytes) {
            Error(bytes.Error().File, 0, "cannot read the file: " + bytes.Error().What);
            return {};
        }
        const std::string& text = bytes.Value();
        int line = 1;
        bool reportedLine = false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            std::string defect;
            if (byte >= 0x80)
                defect = "a byte outside ASCII";
            else if (byte == '\n' && (i == 0 || text[i - 1] != '\r'))
                defect = "a line that ends in LF alone; lines end with CR LF";
            else if (byte == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))
                defect = "a CR that is not followed by LF";
            else if ((byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F)
                defect = "a control character";
            if (!defect.empty() && !reportedLine) {
                Error(path.string(), line, defect);
                reportedLine = true;
            }
            if (byte == '\n') {
                ++line;
                reportedLine = false;
            }
        }
        return text;
    }

    void ModuleFile(const std::string& partNo)
    {
        const auto path = m_dir / (partNo + ".dat");
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) {
            Error(path.string(), 0, "the module description file is missing");
            return;
        }
        const auto text = TextFile(path);
        if (text.size() >= ModuleFileLimit)
            Error(path.string(), 0,
                "the file is " + std::to_string(text.size())
                    + " bytes long; it must be shorter than 32768 bytes");
        int line = 0;
        for (const auto content : SplitLines(text)) {
            ++line;
            if (IsParameterLine(content) && content.find(BoxNoTag) == std::string_view::npos)
                Error(path.string(), line, "a parameter line holds no \"<BOXNO>\"");
        }
    }

    // Generates the EDS of a station with `placed` in slots 1, 2, ... and checks it.
    void Station(const Catalog& catalog, const std::vector<const CatalogEntry*>& placed)
    {
        const std::string name = placed.empty() ? "no modules"
            : placed.size() == 1                ? placed[0]->PartNo
                                                : placed.front()->PartNo + ".." + placed.back()->PartNo;
        const std::string label = "station[" + name + "].EDS";
        kr39::Station station;
        NewStation(station, catalog);
        for (std::size_t i = 0; i < placed.size(); ++i)
            station.Slots[i + 1] = SlotRecord {
                placed[i]->PartNo, placed[i]->Description, placed[i]->Inputs, placed[i]->Outputs};
        station.CurrentFile = "Library.CSE";
        UpdateTotals(station);
        const auto text = GenerateEds(MakeGenerateInput(station, m_dir, TodayEdsDate()));
        if (!text) {
            Error(text.Error().File.empty() ? label : text.Error().File, text.Error().Line,
                "generating " + label + " fails: " + text.Error().What);
            return;
        }
        for (auto& finding : CheckEds(text.Value()))
            m_findings.push_back({label, std::move(finding)});
    }

    fs::path m_dir;
    std::vector<LibraryFinding> m_findings;
};

} // namespace

std::vector<LibraryFinding> CheckModuleLibrary(const fs::path& modulesDir)
{
    return LibraryChecker(modulesDir).Run();
}

} // namespace kr39
