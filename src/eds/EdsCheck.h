#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kr39 {

// The checker of DeviceNet EDS files: a lexical layer that cuts the text into sections,
// entries and fields, and the rules of the sections [File], [Device], [IO_Info],
// [ParamClass], [Params] and [EnumPar] on top of it. It reads any vendor's file, not only ours.

enum class Severity { Warning, Error };

struct EdsFinding {
    int Line = 0; // 1-based
    Severity Level = Severity::Error;
    std::string Text;
};

// One field of an entry. Adjacent strings are joined into one field; an unquoted field is
// its text without the blanks around it, and may be empty.
struct EdsField {
    std::string Text;
    bool Quoted = false;
    int Line = 0;
};

// "Keyword = field, field, ... ;"
struct EdsEntry {
    std::string Keyword;
    int Line = 0;
    std::vector<EdsField> Fields;
};

struct EdsSection {
    std::string Name;
    int Line = 0;
    std::vector<EdsEntry> Entries; // in file order, each keyword once
    std::map<std::string, std::size_t, std::less<>> Index; // keyword -> position in Entries

    // The entry with this keyword; nullptr when there is none.
    const EdsEntry* Find(std::string_view keyword) const;
    // Adds the entry unless its keyword is there already; returns whether it was added.
    bool Add(EdsEntry entry);
};

struct EdsDocument {
    std::vector<EdsSection> Sections; // each name once; a repeated header adds to the first
    std::map<std::string, std::size_t, std::less<>> Index; // name -> position in Sections

    const EdsSection* Find(std::string_view name) const;
};

// The lexical layer: sections and entries, "$" comments, strings joined across lines. Adds a
// finding for each lexical defect (unterminated string, missing ';' or ',', text that is no
// entry, a repeated section or keyword, control characters, non-ASCII bytes, line ends) and
// keeps every entry that it could read completely.
EdsDocument ParseEds(std::string_view text, std::vector<EdsFinding>& findings);

// The lexical layer and the section rules; the findings in line order.
std::vector<EdsFinding> CheckEds(std::string_view text);

// "FILE:LINE: error: TEXT" or "FILE:LINE: warning: TEXT", the form compilers use.
std::string FormatFinding(std::string_view file, const EdsFinding& finding);

// How many findings have this severity.
int CountFindings(const std::vector<EdsFinding>& findings, Severity level);

} // namespace kr39
