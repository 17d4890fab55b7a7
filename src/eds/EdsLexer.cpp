// The lexical layer of the EDS checker: sections, entries and fields.
#include "eds/EdsCheck.h"

#include <algorithm>
#include <cctype>

#include "util/Result.h"

namespace kr39 {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsKeyword(std::string_view text)
{
    if (text.empty() || std::isalpha(static_cast<unsigned char>(text[0])) == 0)
        return false;
    return std::all_of(text.begin(), text.end(),
        [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; });
}

std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

class Lexer {
public:
    Lexer(std::vector<EdsFinding>& findings)
        : m_findings(findings)
    {
    }

    EdsDocument Run(std::string_view text)
    {
        CheckLineEnds(text);
        std::size_t pos = 0;
        int line = 0;
        while (pos < text.size()) {
            auto end = text.find('\n', pos);
            const bool last = end == std::string_view::npos;
            if (last)
                end = text.size();
            auto content = text.substr(pos, end - pos);
            if (!last && !content.empty() && content.back() == '\r')
                content.remove_suffix(1);
            ++line;
            CheckBytes(content, line);
            Line(content, line);
            pos = end + 1;
        }
        if (m_inEntry)
            Error(m_lastTokenLine, "entry " + Quote(m_entry.Keyword) + " is not ended by ';'");
        else
            DropPendingKeyword();
        return std::move(m_doc);
    }

private:
    struct PendingField {
        std::string Text; // unquoted text, blanks inside kept
        std::string LineText; // the part of Text on its last line
        std::string String; // joined strings
        bool HasText = false;
        bool HasString = false;
        int Line = 0; // where the field begins
        int TextLine = 0; // the last line with text
        int SplitLine = 0; // a line whose text follows text of an earlier line without ','
        int TokenLineBefore = 0; // the last token before the text of TextLine
    };

    static std::string Quote(std::string_view text) { return QuoteForMessage(text); }

    void Error(int line, std::string text) { m_findings.push_back({line, Severity::Error, std::move(text)}); }
    void Warning(int line, std::string text)
    {
        m_findings.push_back({line, Severity::Warning, std::move(text)});
    }

    // The file's line ends: CR LF or LF, one of them throughout; a CR alone ends no line.
    void CheckLineEnds(std::string_view text)
    {
        int line = 1;
        int crlf = 0, lf = 0, firstOther = 0;
        bool loneCr = false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) {
                if (!loneCr)
                    Error(line, "a CR that is not followed by LF; lines end with CR LF");
                loneCr = true;
            } else if (text[i] == '\n') {
                const bool isCrLf = i > 0 && text[i - 1] == '\r';
                (isCrLf ? crlf : lf) += 1;
                if (firstOther == 0 && crlf > 0 && lf > 0)
                    firstOther = line;
                ++line;
            }
        }
        if (firstOther != 0)
            Warning(firstOther, "the line ends change between CR LF and LF here");
    }

    void CheckBytes(std::string_view content, int line)
    {
        bool control = false, high = false;
        for (const char c : content) {
            const auto byte = static_cast<unsigned char>(c);
            control |= (byte < 0x20 && c != '\t' && c != '\r') || byte == 0x7F;
            high |= byte >= 0x80;
        }
        if (control)
            Error(line, "a control character; an EDS file is text");
        if (high)
            Warning(line, "a byte outside ASCII; EDS files are ASCII text");
    }

    void Line(std::string_view content, int line)
    {
        const auto first = content.find_first_not_of(" \t");
        if (first != std::string_view::npos && content[first] == '[') {
            SectionHeader(content.substr(first), line);
            return;
        }
        std::size_t i = 0;
        while (i < content.size()) {
            const char c = content[i];
            if (c == '$')
                return;
            if (c == '"') {
                if (!String(content, i, line))
                    return;
                continue;
            }
            if (c == '=')
                Equals(line);
            else if (c == ',')
                Comma(line);
            else if (c == ';')
                Semicolon(line);
            else
                Char(c, line);
            ++i;
        }
        if (!m_inEntry && !m_pendingKeyword.empty())
            m_pendingKeyword += ' '; // a keyword does not go on on the next line
    }

    void SectionHeader(std::string_view text, int line)
    {
        if (m_inEntry) {
            Error(m_lastTokenLine, "entry " + Quote(m_entry.Keyword) + " is not ended by ';'");
            m_inEntry = false;
        }
        DropPendingKeyword();
        const auto close = text.find(']');
        if (close == std::string_view::npos) {
            Error(line, "section header without ']'");
            return;
        }
        const auto rest = Trimmed(text.substr(close + 1));
        if (!rest.empty() && rest[0] != '$')
            Error(line, "text after the section header: " + Quote(rest));
        const auto name = Trimmed(text.substr(1, close - 1));
        if (name.empty()) {
            Error(line, "section header without a name");
            return;
        }
        if (const auto it = m_doc.Index.find(name); it != m_doc.Index.end()) {
            // Its entries count as the first one's, so that a keyword in both is found.
            Error(line,
                "section [" + name + "] appears again (first at line "
                    + std::to_string(m_doc.Sections[it->second].Line) + ")");
            m_section = static_cast<int>(it->second);
            return;
        }
        m_doc.Index.emplace(name, m_doc.Sections.size());
        m_doc.Sections.push_back({name, line, {}, {}});
        m_section = static_cast<int>(m_doc.Sections.size()) - 1;
    }

    // A string runs to the next '"' on its line; a backslash takes the next character as it is.
    // Returns false when the string is not ended on its line.
    bool String(std::string_view content, std::size_t& i, int line)
    {
        std::string value;
        std::size_t j = i + 1;
        for (; j < content.size() && content[j] != '"'; ++j) {
            if (content[j] == '\\' && j + 1 < content.size())
                ++j;
            value += content[j];
        }
        const bool ended = j < content.size();
        if (!ended) {
            // The rest of the entry cannot be told apart from the string: the entry is dropped
            // and reading goes on with the next line.
            Error(line, "string not ended on its line: " + Quote(content.substr(i)));
            m_inEntry = false;
            m_pendingKeyword.clear();
            return false;
        }
        if (!m_inEntry) {
            Error(line, "a string outside an entry");
            DropPendingKeyword();
        } else {
            if (m_field.HasText && m_field.TextLine != line)
                Error(line, "',' missing before the string");
            else if (m_field.HasText)
                Error(line, "text and a string in one field: " + Quote(Trimmed(m_field.Text)));
            if (!m_field.HasString && !m_field.HasText)
                m_field.Line = line;
            m_field.String += value;
            m_field.HasString = true;
            m_lastTokenLine = line;
        }
        i = j + 1;
        return true;
    }

    void Char(char c, int line)
    {
        if (!m_inEntry) {
            if (IsBlank(c) && m_pendingKeyword.empty())
                return;
            if (m_pendingKeyword.empty())
                m_pendingLine = line;
            m_pendingKeyword += c;
            return;
        }
        if (IsBlank(c)) {
            if (m_field.HasText && m_field.TextLine == line) {
                m_field.Text += c;
                m_field.LineText += c;
            }
            return;
        }
        // Text on a new line after a field's text or string, with no ',' between, is either
        // a missing ',' or, when '=' follows, the keyword of the next entry.
        const bool newLine = (m_field.HasText || m_field.HasString) && m_lastTokenLine != line;
        if (m_field.HasString && !m_field.HasText && !newLine)
            Error(line, "text and a string in one field");
        if (!m_field.HasText || m_field.TextLine != line) {
            if (newLine) {
                m_field.SplitLine = line;
                m_field.TokenLineBefore = m_lastTokenLine;
                m_field.Text += ' ';
            } else if (!m_field.HasText) {
                m_field.Line = m_field.HasString ? m_field.Line : line;
                m_field.TokenLineBefore = m_lastTokenLine;
            }
            m_field.LineText.clear();
            m_field.TextLine = line;
        }
        m_field.HasText = true;
        m_field.Text += c;
        m_field.LineText += c;
        m_lastTokenLine = line;
    }

    void Equals(int line)
    {
        if (m_inEntry) {
            // The text in front of '=' was the keyword of a new entry: the entry before it
            // never got its ';'.
            Error(m_field.HasText ? m_field.TokenLineBefore : m_lastTokenLine,
                "entry " + Quote(m_entry.Keyword) + " is not ended by ';'");
            m_pendingKeyword = m_field.HasText ? Trimmed(m_field.LineText) : std::string();
            m_pendingLine = m_field.HasText ? m_field.TextLine : line;
            m_inEntry = false;
        }
        const auto keyword = Trimmed(m_pendingKeyword);
        m_pendingKeyword.clear();
        if (keyword.empty()) {
            Error(line, "'=' without a keyword");
        } else if (!IsKeyword(keyword)) {
            Error(m_pendingLine, Quote(keyword) + " is no keyword");
        }
        m_entry = EdsEntry {keyword, keyword.empty() ? line : m_pendingLine, {}};
        m_field = PendingField {};
        m_field.Line = line;
        m_inEntry = true;
        m_lastTokenLine = line;
    }

    void PushField(int line)
    {
        if (m_field.SplitLine != 0)
            Error(m_field.SplitLine, "',' missing before " + Quote(Trimmed(m_field.LineText)));
        EdsField field;
        field.Quoted = m_field.HasString;
        field.Text = m_field.HasString ? m_field.String : Trimmed(m_field.Text);
        field.Line = m_field.HasText || m_field.HasString ? m_field.Line : line;
        m_entry.Fields.push_back(std::move(field));
        m_field = PendingField {};
        m_field.Line = line;
    }

    void Comma(int line)
    {
        if (!m_inEntry) {
            Error(line, "',' outside an entry");
            DropPendingKeyword();
            return;
        }
        PushField(line);
        m_lastTokenLine = line;
    }

    void Semicolon(int line)
    {
        if (!m_inEntry) {
            if (!Trimmed(m_pendingKeyword).empty())
                Error(m_pendingLine, Quote(Trimmed(m_pendingKeyword)) + " is no entry: '=' missing");
            else
                Error(line, "';' outside an entry");
            m_pendingKeyword.clear();
            return;
        }
        PushField(line);
        m_inEntry = false;
        AddEntry();
    }

    void AddEntry()
    {
        if (m_entry.Keyword.empty() || !IsKeyword(m_entry.Keyword))
            return;
        if (m_section < 0) {
            Error(m_entry.Line, "entry " + Quote(m_entry.Keyword) + " stands before the first section");
            return;
        }
        auto& section = m_doc.Sections[static_cast<std::size_t>(m_section)];
        if (const auto* before = section.Find(m_entry.Keyword)) {
            Error(m_entry.Line,
                m_entry.Keyword + " appears again in [" + section.Name + "] (first at line "
                    + std::to_string(before->Line) + ")");
            return;
        }
        section.Add(std::move(m_entry));
    }

    void DropPendingKeyword()
    {
        const auto text = Trimmed(m_pendingKeyword);
        if (!text.empty())
            Error(m_pendingLine, Quote(text) + " is no entry: '=' missing");
        m_pendingKeyword.clear();
    }

    std::vector<EdsFinding>& m_findings;
    EdsDocument m_doc;
    int m_section = -1;
    bool m_inEntry = false;
    EdsEntry m_entry;
    PendingField m_field;
    std::string m_pendingKeyword;
    int m_pendingLine = 0;
    int m_lastTokenLine = 0;
};

} // namespace

const EdsEntry* EdsSection::Find(std::string_view keyword) const
{
    const auto it = Index.find(keyword);
    return it == Index.end() ? nullptr : &Entries[it->second];
}

bool EdsSection::Add(EdsEntry entry)
{
    if (!Index.emplace(entry.Keyword, Entries.size()).second)
        return false;
    Entries.push_back(std::move(entry));
    return true;
}

const EdsSection* EdsDocument::Find(std::string_view name) const
{
    const auto it = Index.find(name);
    return it == Index.end() ? nullptr : &Sections[it->second];
}

EdsDocument ParseEds(std::string_view text, std::vector<EdsFinding>& findings)
{
    return Lexer(findings).Run(text);
}

} // namespace kr39
