#include "eds/EdsCheck.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "eds/EdsValues.h"
#include "util/Result.h"

namespace kr39 {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct DataType {
    unsigned Code;
    const char* Name;
    int Size; // 0: a string, its size is not fixed
    long double Min;
    long double Max;
    bool Real;
};

constexpr DataType DataTypes[] = {
    {0xC1, "BOOL", 1, 0, 1, false},
    {0xC2, "SINT", 1, -128, 127, false},
    {0xC3, "INT", 2, -32768, 32767, false},
    {0xC4, "DINT", 4, -2147483648.0L, 2147483647, false},
    {0xC5, "LINT", 8, -9223372036854775807.0L - 1, 9223372036854775807.0L, false},
    {0xC6, "USINT", 1, 0, 255, false},
    {0xC7, "UINT", 2, 0, 65535, false},
    {0xC8, "UDINT", 4, 0, 4294967295.0L, false},
    {0xC9, "ULINT", 8, 0, 18446744073709551615.0L, false},
    {0xCA, "REAL", 4, -3.402823466e38L, 3.402823466e38L, true},
    {0xCB, "LREAL", 8, -1.7976931348623157e308L, 1.7976931348623157e308L, true},
    {0xCC, "STIME", 4, -2147483648.0L, 2147483647, false},
    {0xCD, "DATE", 2, 0, 65535, false},
    {0xCE, "TIME_OF_DAY", 4, 0, 4294967295.0L, false},
    {0xCF, "DATE_AND_TIME", 6, 0, 0, false},
    {0xD0, "STRING", 0, 0, 0, false},
    {0xD1, "BYTE", 1, 0, 255, false},
    {0xD2, "WORD", 2, 0, 65535, false},
    {0xD3, "DWORD", 4, 0, 4294967295.0L, false},
    {0xD4, "LWORD", 8, 0, 18446744073709551615.0L, false},
    {0xD5, "STRING2", 0, 0, 0, false},
    {0xD6, "FTIME", 4, -2147483648.0L, 2147483647, false},
    {0xD7, "LTIME", 8, -9223372036854775807.0L - 1, 9223372036854775807.0L, false},
    {0xD8, "ITIME", 2, -32768, 32767, false},
    {0xD9, "STRINGN", 0, 0, 0, false},
    {0xDA, "SHORT_STRING", 0, 0, 0, false},
    {0xDB, "TIME", 4, -2147483648.0L, 2147483647, false},
    {0xDC, "EPATH", 0, 0, 0, false},
    {0xDD, "ENGUNIT", 2, 0, 65535, false},
};

const DataType* FindDataType(long long code)
{
    for (const auto& type : DataTypes) {
        if (static_cast<long long>(type.Code) == code)
            return &type;
    }
    return nullptr;
}

bool AllDigits(std::string_view text, bool hex = false)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [hex](char c) {
        return (hex ? std::isxdigit(static_cast<unsigned char>(c))
                    : std::isdigit(static_cast<unsigned char>(c)))
            != 0;
    });
}

// A number in decimal with an optional sign or in hexadecimal "0x..", integers exact up to
// 2^64 - 1; with `real` also a finite number with a fraction or an exponent.
std::optional<long double> ParseNumber(std::string_view text, bool real = false)
{
    if (text.empty() || text.size() > 40)
        return std::nullopt;
    const std::string s(text);
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    const std::size_t from = hex ? 2 : (s[0] == '-' || s[0] == '+') ? 1 : 0;
    errno = 0;
    if (AllDigits(text.substr(from), hex)) {
        const auto magnitude
            = static_cast<long double>(std::strtoull(s.c_str() + from, nullptr, hex ? 16 : 10));
        if (errno != 0)
            return std::nullopt;
        return s[0] == '-' ? -magnitude : magnitude;
    }
    if (!real)
        return std::nullopt;
    char* end = nullptr;
    const long double value = std::strtold(s.c_str(), &end);
    if (end != s.c_str() + s.size() || errno != 0 || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string NumberText(long double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.0Lf", value);
    return text;
}

// The bytes of a path such as "20 04 24 64 30 03"; nothing when an element is no hex byte.
// A parameter reference ("[Param3]") leaves the size open.
struct PathBytes {
    bool Valid = true;
    bool Fixed = true;
    int Count = 0;
    std::string Bad;
};

PathBytes CountPathBytes(std::string_view path)
{
    PathBytes result;
    std::size_t i = 0;
    while (i < path.size()) {
        if (IsBlank(path[i])) {
            ++i;
            continue;
        }
        auto end = path.find_first_of(" \t", i);
        if (end == std::string_view::npos)
            end = path.size();
        const auto word = path.substr(i, end - i);
        i = end;
        if (word.size() == 2 && std::isxdigit(static_cast<unsigned char>(word[0])) != 0
            && std::isxdigit(static_cast<unsigned char>(word[1])) != 0) {
            ++result.Count;
        } else if (word.find("Param") != std::string_view::npos) {
            result.Fixed = false;
        } else {
            result.Valid = false;
            result.Bad = std::string(word);
            return result;
        }
    }
    return result;
}

class Rules {
public:
    Rules(const EdsDocument& doc, std::vector<EdsFinding>& findings)
        : m_doc(doc)
        , m_findings(findings)
    {
    }

    void Run()
    {
        FileSection();
        DeviceSection();
        IoInfoSection();
        ParamSections();
    }

private:
    void Error(int line, std::string text) { m_findings.push_back({line, Severity::Error, std::move(text)}); }

    static std::string Quote(std::string_view text) { return QuoteForMessage(text); }

    const EdsSection* Required(std::string_view name)
    {
        const auto* section = m_doc.Find(name);
        if (section == nullptr)
            Error(1, "the section [" + std::string(name) + "] is missing");
        return section;
    }

    // The entry, reported when missing and `required`.
    const EdsEntry* Entry(const EdsSection& section, std::string_view keyword, bool required)
    {
        const auto* entry = section.Find(keyword);
        if (entry == nullptr && required)
            Error(section.Line, "[" + section.Name + "] has no " + std::string(keyword));
        return entry;
    }

    bool FieldCount(const EdsEntry& entry, std::size_t count)
    {
        if (entry.Fields.size() == count)
            return true;
        Error(entry.Line,
            entry.Keyword + " has " + std::to_string(entry.Fields.size()) + " field"
                + (entry.Fields.size() == 1 ? "" : "s") + "; it takes " + std::to_string(count));
        return false;
    }

    // A single unquoted field.
    const EdsField* Value(const EdsEntry* entry)
    {
        if (entry == nullptr || !FieldCount(*entry, 1))
            return nullptr;
        const auto& field = entry->Fields[0];
        if (field.Quoted) {
            Error(field.Line, entry->Keyword + " is a string; it takes a value without quotes");
            return nullptr;
        }
        return &field;
    }

    void StringEntry(const EdsSection& section, std::string_view keyword, bool required)
    {
        const auto* entry = Entry(section, keyword, required);
        if (entry == nullptr || !FieldCount(*entry, 1))
            return;
        if (!entry->Fields[0].Quoted)
            Error(entry->Fields[0].Line, entry->Keyword + " takes a string in double quotes");
    }

    std::optional<long long> Integer(
        const EdsField& field, const std::string& what, long long low, long long high)
    {
        if (field.Quoted) {
            Error(field.Line, what + " is a string; it takes a number");
            return std::nullopt;
        }
        const auto value = ParseNumber(field.Text);
        if (!value) {
            Error(field.Line, what + " " + Quote(field.Text) + " is no number");
            return std::nullopt;
        }
        if (*value < static_cast<long double>(low) || *value > static_cast<long double>(high)) {
            Error(field.Line,
                what + " " + field.Text + " is outside " + std::to_string(low) + ".." + std::to_string(high));
            return std::nullopt;
        }
        return static_cast<long long>(*value);
    }

    void IntegerEntry(const EdsSection& section, std::string_view keyword, long long low, long long high)
    {
        if (const auto* field = Value(Entry(section, keyword, true)))
            Integer(*field, std::string(keyword), low, high);
    }

    // ----- [File]
    void FileSection()
    {
        const auto* file = Required("File");
        if (file == nullptr)
            return;
        StringEntry(*file, "DescText", true);
        for (const char* keyword : {"CreateDate", "ModDate"}) {
            if (const auto* field = Value(Entry(*file, keyword, keyword[0] == 'C')))
                DateField(keyword, *field);
        }
        for (const char* keyword : {"CreateTime", "ModTime"}) {
            if (const auto* field = Value(Entry(*file, keyword, keyword[0] == 'C')))
                TimeField(keyword, *field);
        }
        if (const auto* field = Value(Entry(*file, "Revision", true))) {
            const auto& t = field->Text;
            const auto dot = std::min(t.find('.'), t.size());
            auto part
                = [](const std::string& p) { return AllDigits(p) && p.size() <= 3 ? std::stoi(p) : -1; };
            const int major = part(t.substr(0, dot));
            const int minor = dot < t.size() ? part(t.substr(dot + 1)) : -1;
            if (major < 1 || major > 255 || minor < 0 || minor > 255)
                Error(field->Line, "Revision " + Quote(t) + " is no revision major.minor (1..255.0..255)");
        }
    }

    void DateField(const std::string& keyword, const EdsField& field)
    {
        const auto& t = field.Text;
        if (t.size() != 10 || t[2] != '-' || t[5] != '-' || !ParseDateOption(t) || *ParseDateOption(t) != t)
            Error(field.Line, keyword + " " + Quote(t) + " is no date mm-dd-yyyy");
    }

    void TimeField(const std::string& keyword, const EdsField& field)
    {
        const auto& t = field.Text;
        auto two = [&](std::size_t pos) {
            return std::isdigit(static_cast<unsigned char>(t[pos])) != 0
                    && std::isdigit(static_cast<unsigned char>(t[pos + 1])) != 0
                ? (t[pos] - '0') * 10 + (t[pos + 1] - '0')
                : 99;
        };
        if (t.size() != 8 || t[2] != ':' || t[5] != ':' || two(0) > 23 || two(3) > 59 || two(6) > 59)
            Error(field.Line, keyword + " " + Quote(t) + " is no time hh:mm:ss");
    }

    // ----- [Device]
    void DeviceSection()
    {
        const auto* device = Required("Device");
        if (device == nullptr)
            return;
        IntegerEntry(*device, "VendCode", 0, 65535);
        IntegerEntry(*device, "ProdType", 0, 65535);
        IntegerEntry(*device, "ProdCode", 0, 65535);
        IntegerEntry(*device, "MajRev", 1, 127);
        IntegerEntry(*device, "MinRev", 1, 255);
        StringEntry(*device, "VendName", true);
        StringEntry(*device, "ProdTypeStr", true);
        StringEntry(*device, "ProdName", true);
        StringEntry(*device, "Catalog", false);
    }

    // ----- [IO_Info]
    void IoInfoSection()
    {
        const auto* io = m_doc.Find("IO_Info");
        if (io == nullptr)
            return;
        if (const auto* field = Value(Entry(*io, "Default", true)))
            Integer(*field, "Default", 0, 0xFFFF);
        for (const auto& entry : io->Entries) {
            const auto& k = entry.Keyword;
            if (k.size() > 4 && k.compare(k.size() - 4, 4, "Info") == 0)
                ConnectionInfo(*io, entry);
            else if (NumberedKeyword(k, "Input") || NumberedKeyword(k, "Output"))
                Connection(entry);
        }
    }

    static std::optional<int> NumberedKeyword(std::string_view keyword, std::string_view word)
    {
        if (keyword.size() <= word.size() || keyword.compare(0, word.size(), word) != 0)
            return std::nullopt;
        const auto digits = keyword.substr(word.size());
        if (digits.size() > 5 || digits[0] == '0'
            || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        return std::stoi(std::string(digits));
    }

    void ConnectionInfo(const EdsSection& io, const EdsEntry& entry)
    {
        if (!FieldCount(entry, 3))
            return;
        Integer(entry.Fields[0], entry.Keyword + " mask", 0, 0xFFFF);
        const char* words[] = {"Input", "Output"};
        for (std::size_t i = 1; i <= 2; ++i) {
            const auto& field = entry.Fields[i];
            const auto number = Integer(field, entry.Keyword + " default " + words[i - 1], 0, 65535);
            if (number && *number != 0 && io.Find(words[i - 1] + std::to_string(*number)) == nullptr)
                Error(field.Line,
                    entry.Keyword + " names " + words[i - 1] + std::to_string(*number)
                        + ", which is not defined");
        }
    }

    void Connection(const EdsEntry& entry)
    {
        if (!FieldCount(entry, 7))
            return;
        const auto& f = entry.Fields;
        const auto size = Integer(f[0], entry.Keyword + " size", 0, 65535);
        const auto bits = Integer(f[1], entry.Keyword + " bits", 0, 65535 * 8);
        if (size && bits && *bits > *size * 8)
            Error(f[1].Line,
                entry.Keyword + " has " + std::to_string(*bits) + " bits in " + std::to_string(*size)
                    + " bytes");
        Integer(f[2], entry.Keyword + " trigger mask", 0, 0xFFFF);
        for (std::size_t i : {3u, 5u, 6u}) {
            if (!f[i].Quoted)
                Error(f[i].Line, entry.Keyword + " field " + std::to_string(i + 1) + " takes a string");
        }
        const auto pathSize = Integer(f[4], entry.Keyword + " path size", 0, 255);
        if (f[5].Quoted)
            PathSize(f[5], pathSize, entry.Keyword);
    }

    void PathSize(const EdsField& path, std::optional<long long> size, const std::string& keyword)
    {
        const auto bytes = CountPathBytes(path.Text);
        if (!bytes.Valid) {
            Error(path.Line, keyword + " path: " + Quote(bytes.Bad) + " is no hex byte");
        } else if (size && bytes.Fixed && bytes.Count != *size) {
            Error(path.Line,
                keyword + " path has " + std::to_string(bytes.Count) + " bytes, its size says "
                    + std::to_string(*size));
        }
    }

    // ----- [ParamClass], [Params], [EnumPar]
    struct ParamInfo {
        const EdsEntry* Entry = nullptr;
        long long Descriptor = 0;
        const DataType* Type = nullptr;
        std::optional<long double> Min, Max;
        bool HasEnum = false;
    };

    void ParamSections()
    {
        const auto* params = m_doc.Find("Params");
        std::map<long long, ParamInfo> infos;
        int count = 0;
        if (params != nullptr) {
            int expected = 1;
            for (const auto& entry : params->Entries) {
                if (const auto n = NumberedKeyword(entry.Keyword, "Param")) {
                    ++count;
                    if (*n != expected)
                        Error(entry.Line,
                            entry.Keyword + " follows Param" + std::to_string(expected - 1)
                                + "; parameters are numbered 1, 2, 3, ... without gaps");
                    expected = *n + 1;
                    infos[*n] = Param(entry);
                } else if (const auto e = NumberedKeyword(entry.Keyword, "Enum")) {
                    auto it = infos.find(*e);
                    if (it == infos.end()) {
                        Error(entry.Line,
                            entry.Keyword + " stands before or without its Param" + std::to_string(*e));
                        continue;
                    }
                    it->second.HasEnum = true;
                    Enumeration(entry, it->second);
                } else {
                    m_findings.push_back({entry.Line, Severity::Warning,
                        "[Params] holds " + entry.Keyword + ", which is no ParamN or EnumN entry"});
                }
            }
        }
        if (const auto* enumPar = m_doc.Find("EnumPar")) {
            for (const auto& entry : enumPar->Entries) {
                const auto n = NumberedKeyword(entry.Keyword, "Param");
                auto it = n ? infos.find(*n) : infos.end();
                if (it == infos.end()) {
                    Error(entry.Line, "[EnumPar] " + entry.Keyword + " names no parameter of [Params]");
                    continue;
                }
                it->second.HasEnum = true;
                for (const auto& field : entry.Fields) {
                    if (!field.Quoted)
                        Error(field.Line,
                            "[EnumPar] " + entry.Keyword + " lists strings; " + Quote(field.Text)
                                + " is none");
                }
            }
        }
        for (const auto& [number, info] : infos) {
            if (info.Entry != nullptr && (info.Descriptor & 0x02) != 0 && !info.HasEnum)
                Error(info.Entry->Line,
                    info.Entry->Keyword + " has the enumerated-strings bit 0x0002 but no Enum"
                        + std::to_string(number));
        }
        if (const auto* paramClass = m_doc.Find("ParamClass")) {
            if (const auto* field = Value(Entry(*paramClass, "MaxInst", true))) {
                const auto maxInst = Integer(*field, "MaxInst", 0, 65535);
                if (maxInst && *maxInst != count)
                    Error(field->Line,
                        "MaxInst is " + std::to_string(*maxInst) + " but [Params] holds "
                            + std::to_string(count) + " ParamN entries");
            }
            if (const auto* field = Value(Entry(*paramClass, "Descriptor", false)))
                Integer(*field, "Descriptor", 0, 0xFFFF);
            if (const auto* field = Value(Entry(*paramClass, "CfgAssembly", false)))
                Integer(*field, "CfgAssembly", 0, 0xFFFF);
        }
    }

    ParamInfo Param(const EdsEntry& entry)
    {
        ParamInfo info;
        if (!FieldCount(entry, 21))
            return info;
        info.Entry = &entry;
        const auto& f = entry.Fields;
        const auto& k = entry.Keyword;
        if (f[0].Quoted || f[0].Text != "0")
            Error(f[0].Line, k + " reserved field is " + Quote(f[0].Text) + "; it must be 0");
        std::optional<long long> pathSize;
        if (!f[1].Text.empty() || f[1].Quoted)
            pathSize = Integer(f[1], k + " link path size", 0, 255);
        if (!f[2].Quoted && !f[2].Text.empty())
            Error(f[2].Line, k + " link path takes a string");
        else
            PathSize(f[2], pathSize, k + " link");
        if (const auto descriptor = Integer(f[3], k + " descriptor", 0, 0xFFFF))
            info.Descriptor = *descriptor;
        const auto code = Integer(f[4], k + " data type", 0, 0xFF);
        if (code) {
            info.Type = FindDataType(*code);
            if (info.Type == nullptr)
                Error(f[4].Line, k + " data type " + f[4].Text + " is no known data type");
        }
        const auto size = Integer(f[5], k + " data size", 0, 65535);
        if (info.Type != nullptr && info.Type->Size != 0 && size && *size != info.Type->Size)
            Error(f[5].Line,
                k + " data size is " + std::to_string(*size) + ", " + info.Type->Name + " takes "
                    + std::to_string(info.Type->Size));
        for (std::size_t i : {6u, 7u, 8u}) {
            if (!f[i].Quoted)
                Error(f[i].Line,
                    k
                        + (i == 6        ? " name"
                                : i == 7 ? " units"
                                         : " help string")
                        + " takes a string");
        }
        if (info.Type != nullptr && info.Type->Size != 0 && info.Type->Max > info.Type->Min)
            Limits(entry, info);
        return info;
    }

    // Minimum, maximum and default inside the data type, and min <= default <= max.
    void Limits(const EdsEntry& entry, ParamInfo& info)
    {
        const char* names[] = {"minimum", "maximum", "default"};
        std::optional<long double> values[3];
        for (std::size_t i = 0; i < 3; ++i) {
            const auto& field = entry.Fields[9 + i];
            if (field.Text.empty() && !field.Quoted)
                continue; // left open
            const auto value = field.Quoted ? std::nullopt : ParseNumber(field.Text, info.Type->Real);
            if (!value) {
                Error(field.Line, entry.Keyword + " " + names[i] + " " + Quote(field.Text) + " is no number");
                continue;
            }
            if (*value < info.Type->Min || *value > info.Type->Max) {
                Error(field.Line,
                    entry.Keyword + " " + names[i] + " " + field.Text + " is outside the range of "
                        + info.Type->Name);
                continue;
            }
            values[i] = value;
        }
        const auto& f = entry.Fields;
        if (values[0] && values[1] && *values[0] > *values[1])
            Error(
                f[10].Line, entry.Keyword + " maximum " + f[10].Text + " is below its minimum " + f[9].Text);
        else if (values[2] && values[0] && *values[2] < *values[0])
            Error(
                f[11].Line, entry.Keyword + " default " + f[11].Text + " is below its minimum " + f[9].Text);
        else if (values[2] && values[1] && *values[2] > *values[1])
            Error(
                f[11].Line, entry.Keyword + " default " + f[11].Text + " is above its maximum " + f[10].Text);
        info.Min = values[0] ? values[0] : std::optional<long double>(info.Type->Min);
        info.Max = values[1] ? values[1] : std::optional<long double>(info.Type->Max);
    }

    void Enumeration(const EdsEntry& entry, const ParamInfo& param)
    {
        if (param.Entry != nullptr && (param.Descriptor & 0x02) == 0)
            Error(entry.Line,
                entry.Keyword + " belongs to " + param.Entry->Keyword
                    + ", whose descriptor lacks the enumerated-strings bit 0x0002");
        if (entry.Fields.size() % 2 != 0 || entry.Fields.empty()) {
            Error(entry.Line, entry.Keyword + " lists value,\"text\" pairs; it has an odd number of fields");
            return;
        }
        std::set<long double> seen;
        for (std::size_t i = 0; i < entry.Fields.size(); i += 2) {
            const auto& value = entry.Fields[i];
            const auto& text = entry.Fields[i + 1];
            if (!text.Quoted)
                Error(text.Line, entry.Keyword + " text " + Quote(text.Text) + " is no string");
            const auto number = value.Quoted ? std::nullopt : ParseNumber(value.Text);
            if (!number) {
                Error(value.Line, entry.Keyword + " value " + Quote(value.Text) + " is no number");
                continue;
            }
            if (!seen.insert(*number).second)
                Error(value.Line, entry.Keyword + " lists the value " + value.Text + " twice");
            if (param.Min && param.Max && (*number < *param.Min || *number > *param.Max))
                Error(value.Line,
                    entry.Keyword + " value " + value.Text + " is outside " + param.Entry->Keyword
                        + "'s range " + NumberText(*param.Min) + ".." + NumberText(*param.Max));
        }
    }

    const EdsDocument& m_doc;
    std::vector<EdsFinding>& m_findings;
};

} // namespace

std::vector<EdsFinding> CheckEds(std::string_view text)
{
    std::vector<EdsFinding> findings;
    const auto doc = ParseEds(text, findings);
    Rules(doc, findings).Run();
    std::stable_sort(findings.begin(), findings.end(),
        [](const EdsFinding& a, const EdsFinding& b) { return a.Line < b.Line; });
    return findings;
}

std::string FormatFinding(std::string_view file, const EdsFinding& finding)
{
    return std::string(file) + ":" + std::to_string(finding.Line) + ": "
        + (finding.Level == Severity::Error ? "error: " : "warning: ") + finding.Text;
}

int CountFindings(const std::vector<EdsFinding>& findings, Severity level)
{
    return static_cast<int>(std::count_if(
        findings.begin(), findings.end(), [level](const EdsFinding& f) { return f.Level == level; }));
}

} // namespace kr39
