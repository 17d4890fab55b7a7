#include "eds/EdsGenerator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
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
        m_crLf = lf != nullptr && length > 0 && begin[length - 1] == '\r';
        if (m_crLf)
            --length;
        line = std::string_view(begin, length);
        m_lineStart = static_cast<std::size_t>(begin - m_text.data());
        return true;
    }
    // Goes on at `pos`, the start of a line after the current one, as if the lines before it
    // had been read.
    void SkipTo(std::size_t pos)
    {
        m_pos = pos;
        m_lineStart = pos == 0 ? 0 : pos - 1; // the line feeds before it are those before `pos`
    }
    std::size_t Position() const { return m_pos; }
    // The 1-based number of the last line read, counted when asked for.
    int LineNumber()
    {
        m_lineFeeds += static_cast<int>(std::count(m_text.begin() + static_cast<std::ptrdiff_t>(m_counted),
            m_text.begin() + static_cast<std::ptrdiff_t>(m_lineStart), '\n'));
        m_counted = m_lineStart;
        return m_lineFeeds + 1;
    }
    // Whether the last line read ended in CR LF.
    bool EndsInCrLf() const { return m_crLf; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_lineStart = 0;
    std::size_t m_counted = 0; // the line feeds before here are in m_lineFeeds
    int m_lineFeeds = 0;
    bool m_crLf = false;
};

constexpr std::string_view CrLf = "\r\n";

// 16 bytes as one vector (a GCC and Clang extension), so that a block is tested at once.
using Bytes16 = char __attribute__((vector_size(16)));

// A byte that stops the copying of whole lines: a "<" or a line feed without a CR in front.
bool StopsCopying(std::string_view text, std::size_t i)
{
    return text[i] == '<' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'));
}

// Per byte of the 16 at `at`: all ones where StopsCopying.
Bytes16 Stops(const char* at)
{
    Bytes16 bytes;
    Bytes16 before;
    std::memcpy(&bytes, at, sizeof bytes);
    std::memcpy(&before, at - 1, sizeof before);
    return (bytes == '<') | ((bytes == '\n') & ~(before == '\r'));
}

// The two halves of a block of 16 bytes, each of them all ones or all zeros.
std::array<std::uint64_t, 2> Halves(const Bytes16& block)
{
    std::array<std::uint64_t, 2> halves;
    std::memcpy(halves.data(), &block, sizeof halves);
    return halves;
}

// The first of the 16 bytes at `at` that StopsCopying, or 16.
std::size_t FirstStopIn(const char* at)
{
    const auto halves = Halves(Stops(at));
    auto firstByte = [](std::uint64_t word) {
        return static_cast<std::size_t>(std::endian::native == std::endian::little ? std::countr_zero(word)
                                                                                   : std::countl_zero(word))
            / 8;
    };
    return halves[0] != 0 ? firstByte(halves[0]) : halves[1] != 0 ? 8 + firstByte(halves[1]) : 16;
}

// From `from` on, the start of the first block of 64 bytes in which `test` (all ones per byte
// of the 16 at a position where it holds) finds a byte, or the first position not tested when
// none does. A block is tested only while `reach` more bytes follow it in the text.
template <class Test>
std::size_t FirstBusyBlock(std::string_view text, std::size_t from, std::size_t reach, Test test)
{
    const char* bytes = text.data();
    std::size_t i = from;
    for (; i + 64 + reach <= text.size(); i += 64) {
        const auto halves
            = Halves(test(bytes + i) | test(bytes + i + 16) | test(bytes + i + 32) | test(bytes + i + 48));
        if ((halves[0] | halves[1]) != 0)
            break;
    }
    return i;
}

// The first position at or after `from` where StopsCopying, or npos. Blocks of 64 bytes are
// tested whole, so that lines that end in CR LF and hold no tag are passed over at memory speed.
std::size_t FindStop(std::string_view text, std::size_t from)
{
    if (from == 0 && !text.empty() && StopsCopying(text, 0))
        return 0;
    std::size_t i = FirstBusyBlock(text, std::max<std::size_t>(from, 1), 0, Stops);
    for (; i + 16 <= text.size(); i += 16) {
        if (const auto first = FirstStopIn(text.data() + i); first < 16)
            return i + first;
    }
    for (; i < text.size(); ++i) {
        if (StopsCopying(text, i))
            return i;
    }
    return std::string_view::npos;
}

// Per byte of the 16 at `at`: all ones where `tag` (of three bytes or more) may begin.
Bytes16 Starts(const char* at, std::string_view tag)
{
    Bytes16 first;
    Bytes16 second;
    Bytes16 third;
    std::memcpy(&first, at, sizeof first);
    std::memcpy(&second, at + 1, sizeof second);
    std::memcpy(&third, at + 2, sizeof third);
    return (first == tag[0]) & (second == tag[1]) & (third == tag[2]);
}

// The first `tag` (of three bytes or more) at or after `from`, or npos. Blocks of 64 bytes are
// tested for its first three bytes at once, so that the "<" of other tags costs nothing.
std::size_t FindTag(std::string_view text, std::string_view tag, std::size_t from)
{
    for (std::size_t i = from;; i += 64) {
        i = FirstBusyBlock(text, i, 2, [tag](const char* at) { return Starts(at, tag); });
        if (i + 66 > text.size())
            return text.find(tag, i);
        for (std::size_t k = i; k < i + 64; ++k) {
            if (text.substr(k).starts_with(tag))
                return k;
        }
    }
}

// The lines that IsParameterLine, found from one "Param" to the next.
long long CountParameterLines(std::string_view text)
{
    long long count = 0;
    for (auto hit = text.find("Param"); hit != std::string_view::npos;) {
        const auto start = text.rfind('\n', hit) + 1; // 0 when there is none
        const auto end = std::min(text.find('\n', hit), text.size());
        count += IsParameterLine(text.substr(start, end - start)) ? 1 : 0;
        hit = text.find("Param", end);
    }
    return count;
}

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
    // The parameter lines of a readable file; 0 for one that cannot be used.
    long long ParameterLines(const std::string& partNo)
    {
        auto it = m_parameterLines.find(partNo);
        if (it == m_parameterLines.end()) {
            const auto& bytes = Get(partNo);
            it = m_parameterLines.emplace(partNo, bytes ? CountParameterLines(bytes.Value()) : 0).first;
        }
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
    std::map<std::string, long long> m_parameterLines;
};

bool IsModule(const std::string& partNo)
{
    return KindOf(partNo) == SlotKind::Module; // fillers and empty slots take no number
}

std::string TooLongText(std::size_t maxBytes)
{
    return "the EDS file would be more than " + std::to_string(maxBytes) + " bytes long";
}

// Checked as the text grows, so that a template that multiplies its modules is refused before
// it takes the memory.
bool TooLong(const EdsRun& run, const GenerateInput& input)
{
    return run.Output.Size() > input.MaxBytes;
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
    for (int lineNumber = 1; reader.Next(line); ++lineNumber) {
        if (auto ok = ExpandModuleLine(line, run, blockOpen, fileName, lineNumber); !ok)
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
            if (TooLong(run, input))
                return Failure {std::string(templateName), markerLine, TooLongText(input.MaxBytes)};
        }
        progress.Station(slot);
    }
    return {};
}

// The parameter count that a run ends with, known before the text is built so that
// "<INSTNO>" is filled in as each line is appended: the parameter lines of the template up to
// its first marker line, that one included (all of them without a marker), plus those of every
// placed module's file once per marker line. A module file that cannot be used adds nothing;
// the run fails when it comes to that file.
long long ParameterCountOfRun(std::string_view text, const GenerateInput& input, ModuleFiles& files)
{
    auto marker = FindTag(text, MarkerTag, 0);
    if (marker == std::string_view::npos)
        return CountParameterLines(text);
    const long long count = CountParameterLines(text.substr(0, text.find('\n', marker)));
    long long markerLines = 0;
    for (; marker != std::string_view::npos; marker = FindTag(text, MarkerTag, marker)) {
        ++markerLines;
        marker = text.find('\n', marker);
        if (marker == std::string_view::npos)
            break;
    }
    long long perExpansion = 0;
    for (int slot = 1; slot < SlotCount; ++slot) {
        const auto& partNo = input.Slots[static_cast<std::size_t>(slot)].PartNo;
        if (IsModule(partNo))
            perExpansion += files.ParameterLines(partNo);
    }
    return count + markerLines * perExpansion;
}

// One run. Every tag value is known before the text is built, so each line's tags are
// replaced as it is appended, in their order; `baseName`, when given, fills "<FILENAME>" as
// the last tag. The text is put together at the end in one buffer of its final size.
} // namespace

// The files a text was made from, which its pieces refer to, and the text.
struct EdsText::Parts {
    explicit Parts(const fs::path& modulesDir)
        : Modules(modulesDir)
    {
    }
    std::string Template;
    ModuleFiles Modules;
    OutputText Output;
};

namespace {

Result<void> Expand(
    const GenerateInput& input, GenerateProgress* sink, const std::string* baseName, EdsText::Parts& parts)
{
    ProgressReporter progress(sink);
    const auto templatePath = FindNoCase(input.ModulesDir, MasterTemplateName);
    auto bytes = ReadFileBytes(templatePath);
    if (!bytes)
        return Failure {bytes.Error().File, 0, "cannot read the master template: " + bytes.Error().What};
    parts.Template = std::move(bytes.Value());
    const std::string& text = parts.Template;
    const auto templateName = templatePath.string();
    ModuleFiles& files = parts.Modules;

    const auto parameterCount = ParameterCountOfRun(text, input, files);
    TagValues tags {{SoftwareNameTag, input.SoftwareName}, {DateStringTag, input.DateText},
        {InstNoTag, std::to_string(parameterCount)}, {InputNoTag, std::to_string(input.TotalInputs)},
        {OutputNoTag, std::to_string(input.TotalOutputs)}};
    if (baseName != nullptr)
        tags.emplace_back(FileNameTag, *baseName);
    EdsRun run;
    run.Tags = &tags;

    // After the first marker line, the text before the next stop is taken as it is, about a
    // hundredth of the template at a time so that the progress moves on; a line with a "<" is
    // read from that "<" on (the text before it holds no tag), a line with a marker whole.
    const std::string_view all(text);
    const auto size = text.size();
    const auto step = size / 100 + 1;
    std::size_t nextStop = 0;
    LineReader reader(text);
    std::string_view line;
    while (reader.Position() < size) {
        const auto pos = reader.Position();
        bool markerLine = false; // after the first marker line: whether the line at the stop is one
        if (run.MarkerSeen) {
            if (nextStop < pos)
                nextStop = FindStop(text, pos);
            const auto stop = std::min(nextStop, size);
            const auto cut = stop > pos + step ? text.find('\n', pos + step) + 1 : 0;
            std::size_t next = 0; // where the lines taken as they are end
            if (cut != 0 && cut <= stop) {
                run.Output.AppendKept(all.substr(pos, cut - pos));
                next = cut;
            } else if (stop == size) {
                run.Output.AppendKept(all.substr(pos));
                if (text.back() != '\n')
                    run.Output.AppendKept(CrLf);
                next = size;
            } else if (text[stop] == '\n') {
                run.Output.AppendKept(all.substr(pos, stop - pos));
                run.Output.AppendKept(CrLf);
                next = stop + 1;
            }
            if (next != 0) {
                reader.SkipTo(next);
                if (TooLong(run, input))
                    return Failure {templateName, reader.LineNumber(), TooLongText(input.MaxBytes)};
                progress.Box(next, size);
                continue;
            }
            const auto lineEnd = std::min(text.find('\n', stop), size);
            // A "<" alone in its line that opens a tag is replaced where it stands; the text
            // after the tag goes on as it is.
            nextStop = FindStop(text, stop + 1);
            if (const auto* tag = nextStop > lineEnd ? LoneTagAt(all.substr(stop), tags) : nullptr) {
                run.Output.AppendKept(all.substr(pos, stop - pos));
                run.Output.Append(tag->second);
                const auto next = stop + tag->first.size();
                if (next == size) // the last line, without a line end
                    run.Output.AppendKept(CrLf);
                reader.SkipTo(next);
                if (TooLong(run, input))
                    return Failure {templateName, reader.LineNumber(), TooLongText(input.MaxBytes)};
                continue;
            }
            markerLine = all.substr(stop, lineEnd - stop).find(MarkerTag) != std::string_view::npos;
            if (markerLine) {
                const auto lineStart = text.rfind('\n', stop) + 1;
                run.Output.AppendKept(all.substr(pos, lineStart - pos));
                reader.SkipTo(lineStart);
            } else {
                run.Output.AppendKept(all.substr(pos, stop - pos));
                reader.SkipTo(stop);
            }
        }
        reader.Next(line);
        if (!run.MarkerSeen && IsParameterLine(line)) {
            if (run.ParameterCounter == INT16_MAX)
                return Failure {templateName, reader.LineNumber(), "the parameter count would pass 32767"};
            ++run.ParameterCounter;
        }
        const bool holdsLt = run.MarkerSeen || line.find('<') != std::string_view::npos;
        if (run.MarkerSeen ? markerLine : holdsLt && line.find(MarkerTag) != std::string_view::npos) {
            run.MarkerSeen = true;
            if (auto ok = ExpandModules(input, files, run, progress, templateName, reader.LineNumber()); !ok)
                return ok.Error();
            run.AppendLine({});
        } else {
            run.AppendKeptLine(line, reader.EndsInCrLf(), holdsLt);
        }
        if (TooLong(run, input))
            return Failure {templateName, reader.LineNumber(), TooLongText(input.MaxBytes)};
        progress.Box(reader.Position(), size);
    }
    assert(run.ParameterCounter == parameterCount);
    parts.Output = std::move(run.Output);
    return {};
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
    EdsText::Parts parts(input.ModulesDir);
    if (auto ok = Expand(input, progress, nullptr, parts); !ok)
        return ok.Error();
    return parts.Output.Build();
}

Result<void> FillInFileName(std::string& text, std::string_view currentFile, std::size_t maxBytes)
{
    const auto baseName = EdsFileNameText(StationBaseName(currentFile));
    if (baseName.size() > FileNameTag.size()) {
        std::size_t size = text.size();
        for (auto hit = text.find(FileNameTag); hit != std::string::npos;
             hit = text.find(FileNameTag, hit + 1))
            size += baseName.size() - FileNameTag.size();
        if (size > maxBytes)
            return Failure {"", 0, TooLongText(maxBytes)};
    }
    ReplaceAll(text, FileNameTag, baseName);
    return {};
}

EdsText::EdsText(std::unique_ptr<Parts> parts)
    : m_parts(std::move(parts))
{
}
EdsText::EdsText(EdsText&&) noexcept = default;
EdsText& EdsText::operator=(EdsText&&) noexcept = default;
EdsText::~EdsText() = default;

std::size_t EdsText::Size() const
{
    return m_parts->Output.Size();
}

std::string EdsText::ToString() const
{
    return m_parts->Output.Build();
}

Result<void> EdsText::WriteTo(const fs::path& path) const
{
    return WriteFileAtomic(path, m_parts->Output.Pieces());
}

Result<EdsText> GenerateEdsText(const GenerateInput& input, GenerateProgress* progress)
{
    const auto baseName = EdsFileNameText(StationBaseName(input.CurrentFile));
    auto parts = std::make_unique<EdsText::Parts>(input.ModulesDir);
    if (auto ok = Expand(input, progress, &baseName, *parts); !ok)
        return ok.Error();
    return EdsText(std::move(parts));
}

Result<std::string> GenerateEds(const GenerateInput& input, GenerateProgress* progress)
{
    auto text = GenerateEdsText(input, progress);
    if (!text)
        return text.Error();
    return text.Value().ToString();
}

Result<void> WriteEdsFile(const fs::path& path, std::string_view text)
{
    return WriteFileAtomic(path, text);
}

} // namespace kr39
