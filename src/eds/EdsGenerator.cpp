#include "eds/EdsGenerator.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "eds/EdsRules.h"
#include "eds/EdsValues.h"
#include "resources/StringTable.h"
#include "util/FileIo.h"
#include "util/Paths.h"

namespace kr39 {
namespace fs = std::filesystem;

namespace {

// Passes progress on, clamped to 0..100 and only when a value changes; both bars go back to
// 0 when the run ends, however it ends.
class ProgressReporter {
public:
    explicit ProgressReporter(GenerateProgress* sink)
        : m_sink(sink)
    {
    }
    ~ProgressReporter()
    {
        if (m_sink != nullptr) {
            m_sink->StationProgress(0);
            m_sink->BoxProgress(0);
        }
    }
    ProgressReporter(const ProgressReporter&) = delete;
    ProgressReporter& operator=(const ProgressReporter&) = delete;

    void Station(int slot)
    {
        if (m_sink != nullptr)
            Report(slot * 99 / 16, m_station, &GenerateProgress::StationProgress);
    }
    // `nextByte` is the 0-based offset of the next byte to read.
    void Box(std::size_t nextByte, std::size_t length)
    {
        if (m_sink == nullptr || length == 0)
            return;
        const auto percent = static_cast<long long>((nextByte + 1) * 99 / length);
        Report(static_cast<int>(std::min<long long>(percent, 100)), m_box, &GenerateProgress::BoxProgress);
    }

private:
    void Report(int value, int& last, void (GenerateProgress::*bar)(int))
    {
        value = std::clamp(value, 0, 100);
        if (value != last) {
            last = value;
            (m_sink->*bar)(value);
        }
    }
    GenerateProgress* m_sink;
    int m_station = -1;
    int m_box = -1;
};

// Walks a text line by line: a line ends at LF, a CR in front of it belongs to the terminator,
// and text after the last terminator is one more line.
class LineReader {
public:
    explicit LineReader(std::string_view text)
        : m_text(text)
    {
    }
    bool Next(std::string_view& line)
    {
        if (m_pos >= m_text.size())
            return false;
        const char* begin = m_text.data() + m_pos;
        const auto rest = m_text.size() - m_pos;
        const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', rest));
        std::size_t length = lf != nullptr ? static_cast<std::size_t>(lf - begin) : rest;
        m_pos += lf != nullptr ? length + 1 : length;
        if (lf != nullptr && length > 0 && begin[length - 1] == '\r')
            --length;
        line = std::string_view(begin, length);
        ++m_lineNumber;
        return true;
    }
    std::size_t Position() const { return m_pos; }
    int LineNumber() const { return m_lineNumber; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_lineNumber = 0;
};

// The module description files of one run, each read once, on first use.
class ModuleFiles {
public:
    explicit ModuleFiles(fs::path dir)
        : m_dir(std::move(dir))
    {
    }
    fs::path PathOf(const std::string& partNo) const { return m_dir / (partNo + ".dat"); }
    const Result<std::string>& Get(const std::string& partNo)
    {
        auto it = m_files.find(partNo);
        if (it == m_files.end())
            it = m_files.emplace(partNo, Read(partNo, PathOf(partNo))).first;
        return it->second;
    }

private:
    Result<std::string> Read(const std::string& partNo, const fs::path& path) const
    {
        // A part number names a file in the modules folder; a path in it would lead elsewhere.
        if (partNo.find_first_of("/\\") != std::string::npos || fs::path(partNo).has_root_path())
            return Failure {m_dir.string(), 0,
                "part number " + QuoteForMessage(partNo)
                    + " holds a path separator; it names no module file"};
        // Never more than one byte over the limit is read, whatever the file's size.
        auto bytes = ReadFileBytes(path, ModuleFileLimit);
        if (!bytes)
            return Failure {
                bytes.Error().File, 0, "cannot read the module description file: " + bytes.Error().What};
        if (bytes.Value().size() >= ModuleFileLimit)
            return Failure {path.string(), 0,
                "the module description file is " + std::to_string(bytes.Value().size())
                    + " bytes long; it must be shorter than 32768 bytes"};
        return bytes;
    }
    fs::path m_dir;
    std::map<std::string, Result<std::string>> m_files;
};

bool IsModule(const std::string& partNo)
{
    return KindOf(partNo) == SlotKind::Module; // fillers and empty slots take no number
}

Result<void> ExpandModuleFile(
    const std::string& partNo, ModuleFiles& files, EdsRun& run, ProgressReporter& progress)
{
    const auto& bytes = files.Get(partNo);
    if (!bytes)
        return bytes.Error();
    const std::string& text = bytes.Value();
    const auto fileName = files.PathOf(partNo).string();
    bool blockOpen = false; // closed whenever a file is opened
    LineReader reader(text);
    std::string_view line;
    while (reader.Next(line)) {
        if (auto ok = ExpandModuleLine(line, run, blockOpen, fileName, reader.LineNumber()); !ok)
            return ok;
        progress.Box(reader.Position(), text.size());
    }
    return {};
}

// The marker line: every placed module of slots 1..16 once, in slot order.
Result<void> ExpandModules(const GenerateInput& input, ModuleFiles& files, EdsRun& run,
    ProgressReporter& progress, std::string_view templateName, int markerLine)
{
    for (int slot = 1; slot < SlotCount; ++slot) {
        const auto& partNo = input.Slots[static_cast<std::size_t>(slot)].PartNo;
        if (IsModule(partNo)) {
            if (run.ModuleNumber == INT16_MAX)
                return Failure {std::string(templateName), markerLine, "the module number would pass 32767"};
            ++run.ModuleNumber;
            if (auto ok = ExpandModuleFile(partNo, files, run, progress); !ok)
                return ok;
        }
        progress.Station(slot);
    }
    return {};
}

// One run: the text is built, then its tags are replaced tag by tag over the whole text, in
// their order. `baseName`, when given, fills "<FILENAME>" as the last tag.
Result<std::string> Expand(const GenerateInput& input, GenerateProgress* sink, const std::string* baseName)
{
    ProgressReporter progress(sink);
    const auto templatePath = FindNoCase(input.ModulesDir, MasterTemplateName);
    auto bytes = ReadFileBytes(templatePath);
    if (!bytes)
        return Failure {bytes.Error().File, 0, "cannot read the master template: " + bytes.Error().What};
    const std::string& text = bytes.Value();
    const auto templateName = templatePath.string();
    ModuleFiles files(input.ModulesDir);

    EdsRun run;
    // Room for the template with CR LF line ends and one expansion; the buffer grows
    // geometrically beyond that, so building it stays linear.
    run.Output.reserve(text.size() + text.size() / 16 + 4096);

    // Where the next marker stands, so that lines before it are not searched one by one.
    auto nextMarker = text.find(MarkerTag);
    LineReader reader(text);
    std::string_view line;
    while (reader.Next(line)) {
        const auto lineEnd = static_cast<std::size_t>(line.data() - text.data()) + line.size();
        if (!run.MarkerSeen && IsParameterLine(line)) {
            if (run.ParameterCounter == INT16_MAX)
                return Failure {templateName, reader.LineNumber(), "the parameter count would pass 32767"};
            ++run.ParameterCounter;
        }
        if (nextMarker < lineEnd) {
            run.MarkerSeen = true;
            if (auto ok = ExpandModules(input, files, run, progress, templateName, reader.LineNumber()); !ok)
                return ok.Error();
            line = {};
            nextMarker = text.find(MarkerTag, reader.Position());
        }
        run.AppendLine(line);
        progress.Box(reader.Position(), text.size());
    }

    const TagValues tags {{SoftwareNameTag, input.SoftwareName}, {DateStringTag, input.DateText},
        {InstNoTag, std::to_string(run.ParameterCounter)}, {InputNoTag, std::to_string(input.TotalInputs)},
        {OutputNoTag, std::to_string(input.TotalOutputs)}};
    for (const auto& [tag, value] : tags)
        ReplaceAll(run.Output, tag, value);
    if (baseName != nullptr)
        ReplaceAll(run.Output, FileNameTag, *baseName);
    return std::move(run.Output);
}

} // namespace

std::string GenerateInput::SoftwareNameText()
{
    return std::string(AppTitle) + " V" + std::to_string(AppVersionMajor) + "."
        + std::to_string(AppVersionMinor);
}

GenerateInput MakeGenerateInput(const Station& station, const fs::path& modulesDir, std::string dateText)
{
    GenerateInput input;
    input.Slots = station.Slots;
    input.TotalInputs = station.TotalInputs;
    input.TotalOutputs = station.TotalOutputs;
    input.CurrentFile = station.CurrentFile;
    input.ModulesDir = modulesDir;
    input.DateText = std::move(dateText);
    return input;
}

Result<std::string> ExpandStationEds(const GenerateInput& input, GenerateProgress* progress)
{
    return Expand(input, progress, nullptr);
}

void FillInFileName(std::string& text, std::string_view currentFile)
{
    ReplaceAll(text, FileNameTag, EdsFileNameText(StationBaseName(currentFile)));
}

Result<std::string> GenerateEds(const GenerateInput& input, GenerateProgress* progress)
{
    const auto baseName = EdsFileNameText(StationBaseName(input.CurrentFile));
    return Expand(input, progress, &baseName);
}

Result<void> WriteEdsFile(const fs::path& path, std::string_view text)
{
    return WriteFileAtomic(path, text);
}

} // namespace kr39
