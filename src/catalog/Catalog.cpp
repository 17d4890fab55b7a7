#include "catalog/Catalog.h"

#include <algorithm>
#include <optional>
#include <set>

#include "resources/NumberConversion.h"
#include "util/FileIo.h"
#include "util/Paths.h"

namespace kr39 {

namespace {

constexpr std::string_view kStartModules = "<STARTMODULES>";
constexpr std::size_t kPartNoPosition = 11; // position 12, counted from 0

// Reads pn.dat line by line, remembering where it is for the failures it reports.
class CatalogParser {
public:
    CatalogParser(std::string_view text, std::string_view fileName)
        : m_lines(text)
        , m_fileName(fileName)
    {
    }

    Result<Catalog> Parse()
    {
        if (m_lines.AtEnd())
            return Fail(0, "the file is empty");
        Catalog catalog;
        bool inModules = false;
        bool haveRoot = false;
        while (!m_lines.AtEnd()) {
            auto line = ReadLine();
            if (line == kStartModules) {
                // The line behind the marker is handled in this same step, as a module line.
                inModules = true;
                if (m_lines.AtEnd())
                    return Fail(
                        m_next, "the file ends right after the marker " + QuoteForMessage(kStartModules));
                line = ReadLine();
            }
            if (line.empty())
                return Fail(m_next, "empty line");
            const auto failure
                = inModules ? ParseModuleLine(line, catalog) : ParseGroupLine(line, catalog, haveRoot);
            if (failure)
                return *failure;
        }
        return catalog;
    }

private:
    std::string_view ReadLine()
    {
        std::string_view line;
        m_lines.Next(line);
        ++m_next;
        return line;
    }

    Failure Fail(std::size_t line, std::string what) const
    {
        return Failure {std::string(m_fileName), static_cast<int>(line), std::move(what)};
    }

    std::optional<Failure> ParseGroupLine(std::string_view line, Catalog& catalog, bool& haveRoot)
    {
        const auto code = line.substr(0, 2);
        if (code == BusNodeTypeCode) {
            if (haveRoot)
                return Fail(m_next, "a second root line " + QuoteForMessage(line));
            haveRoot = true;
            m_codes.insert(std::string(code));
            catalog.Groups.push_back(CatalogGroup {std::string(code), {}});
            return std::nullopt;
        }
        if (line.size() < 3)
            return Fail(m_next, "group line shorter than 3 characters: " + QuoteForMessage(line));
        if (!haveRoot)
            return Fail(m_next, "group line before the root line (code 00): " + QuoteForMessage(line));
        if (!m_codes.insert(std::string(code)).second)
            return Fail(
                m_next, "group code " + QuoteForMessage(code) + " appears twice: " + QuoteForMessage(line));
        catalog.Groups.push_back(CatalogGroup {std::string(code), std::string(line.substr(3))});
        return std::nullopt;
    }

    std::optional<Failure> ParseModuleLine(std::string_view line, Catalog& catalog)
    {
        if (catalog.ModuleLineCount >= CatalogCapacity)
            return Fail(m_next,
                "more than " + std::to_string(CatalogCapacity) + " module lines: " + QuoteForMessage(line));
        const auto blank = line.find(' ', kPartNoPosition);
        if (line.size() <= kPartNoPosition || blank == std::string_view::npos)
            return Fail(
                m_next, "module line without a blank at or after position 12: " + QuoteForMessage(line));

        CatalogEntry entry;
        entry.TypeCode = std::string(line.substr(0, 2));
        const auto inputs = NumberField(line.substr(3, 3));
        const auto outputs = NumberField(line.substr(7, 3));
        if (!inputs || !outputs)
            return Fail(m_next, "number of inputs or outputs out of range: " + QuoteForMessage(line));
        entry.Inputs = *inputs;
        entry.Outputs = *outputs;
        entry.PartNo = std::string(line.substr(kPartNoPosition, blank - kPartNoPosition));
        entry.Description = std::string(line.substr(blank + 1));

        if (entry.TypeCode != BusNodeTypeCode) {
            if (m_codes.count(entry.TypeCode) == 0)
                return Fail(m_next,
                    "type code " + QuoteForMessage(entry.TypeCode)
                        + " names no group: " + QuoteForMessage(line));
        }
        catalog.Entries[static_cast<std::size_t>(catalog.ModuleLineCount++)] = std::move(entry);
        return std::nullopt;
    }

    // A three-character number field reads like the start of a decimal number; no digits give 0.
    static std::optional<std::int16_t> NumberField(std::string_view field)
    {
        return RoundToInt16(LeadingNumber(field));
    }

    // Lines are taken one at a time: a list of all lines of a large file would cost many
    // times its size.
    LineSplitter m_lines;
    // The codes of the group lines read so far; a set keeps a file of many thousand groups fast.
    std::set<std::string> m_codes;
    std::string_view m_fileName;
    std::size_t m_next = 0; // index of the next line; after a read, the 1-based number of the line read
};

} // namespace

const CatalogEntry* Catalog::Find(std::string_view partNo) const
{
    for (const auto& entry : Entries) {
        if (entry.PartNo.empty())
            return nullptr;
        if (entry.PartNo == partNo)
            return &entry;
    }
    return nullptr;
}

const CatalogEntry* Catalog::FirstBusNode() const
{
    for (const auto& entry : Entries) {
        if (entry.TypeCode == BusNodeTypeCode)
            return &entry;
    }
    return nullptr;
}

Result<Catalog> ParseCatalog(std::string_view text, std::string_view fileName)
{
    return CatalogParser(text, fileName).Parse();
}

Result<Catalog> LoadCatalog(const std::filesystem::path& modulesDir)
{
    const auto path = FindNoCase(modulesDir, "pn.dat");
    const auto bytes = ReadFileBytes(path);
    if (!bytes)
        return bytes.Error();
    return ParseCatalog(bytes.Value(), path.string());
}

} // namespace kr39
