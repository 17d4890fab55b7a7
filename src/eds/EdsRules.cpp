#include "eds/EdsRules.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kr39 {

namespace {

constexpr std::string_view ParamWord = "Param";
constexpr std::string_view EnumWord = "Enum";
constexpr std::string_view CrLf = "\r\n";

bool Contains(std::string_view line, std::string_view what)
{
    return line.find(what) != std::string_view::npos;
}

// Everything from the first `tag` to the end of the last one becomes `value`.
std::string_view ReplaceTagSpan(
    EdsRun& run, std::string_view line, std::string_view tag, std::string_view value)
{
    const auto first = line.find(tag);
    auto last = first; // found forward: most lines hold the tag once
    for (auto next = line.find(tag, first + 1); next != std::string_view::npos;
         next = line.find(tag, next + 1))
        last = next;
    return run.Splice(line, first, value, last + tag.size());
}

// Everything after the first `word` and before the last "=" becomes `number`.
std::string_view Renumber(EdsRun& run, std::string_view line, std::string_view word, int number)
{
    const auto first = line.find(word);
    const auto lastEq = line.rfind('=');
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    return run.Splice(line, first + word.size(), std::string_view(digits, end), lastEq);
}

} // namespace

bool IsParameterLine(std::string_view line)
{
    return Contains(line, ParamWord) && Contains(line, "=");
}

bool IsEnumerationLine(std::string_view line)
{
    return Contains(line, EnumWord) && Contains(line, "=") && !Contains(line, ParamWord);
}

std::string SlotNoText(int moduleNumber)
{
    char digits[16];
    const auto end
        = std::to_chars(digits, digits + sizeof digits, static_cast<unsigned>(moduleNumber), 16).ptr;
    std::string text(digits, end);
    std::transform(
        text.begin(), text.end(), text.begin(), [](char c) { return c >= 'a' ? c - 'a' + 'A' : c; });
    return text.size() < 2 ? "0" + text : text;
}

std::string BoxNoText(int moduleNumber)
{
    return (moduleNumber >= 0 && moduleNumber < 10 ? "Box 0" : "Box ") + std::to_string(moduleNumber) + " ";
}

Result<void> ExpandModuleLine(
    std::string_view line, EdsRun& run, bool& blockOpen, std::string_view fileName, int lineNumber)
{
    if (IsParameterLine(line)) {
        if (run.ParameterCounter == INT16_MAX)
            return Failure {std::string(fileName), lineNumber, "the parameter count would pass 32767"};
        ++run.ParameterCounter;
    }

    // Most lines hold no tag and pass through as views; a rewritten line lives in the run.
    bool rewritten = false;
    auto rewrite = [&](std::string_view text) {
        line = text;
        rewritten = true;
    };

    // The block and slot tags are looked for only in a line that holds a "<".
    const bool holdsLt = Contains(line, "<");
    if (holdsLt && Contains(line, StartTag)) {
        blockOpen = true;
        line = {};
    } else if (holdsLt && Contains(line, StopTag)) {
        blockOpen = false;
    }

    if (holdsLt && Contains(line, SlotNoTag))
        rewrite(ReplaceTagSpan(run, line, SlotNoTag, SlotNoText(run.ModuleNumber)));

    if (Contains(line, ParamWord)) {
        if (Contains(line, "=")) {
            rewrite(Renumber(run, line, ParamWord, run.ParameterCounter));
            if (!Contains(line, BoxNoTag))
                return Failure {std::string(fileName), lineNumber, "a parameter line holds no \"<BOXNO>\""};
            rewrite(ReplaceTagSpan(run, line, BoxNoTag, BoxNoText(run.ModuleNumber)));
        }
    } else if (Contains(line, EnumWord) && Contains(line, "=")) {
        rewrite(Renumber(run, line, EnumWord, run.ParameterCounter));
    }

    if (blockOpen) {
        if (rewritten)
            run.AppendLine(line);
        else
            run.AppendKeptLine(line, false, holdsLt && !line.empty());
    }
    return {};
}

std::string_view EdsRun::Splice(
    std::string_view line, std::size_t keepUntil, std::string_view value, std::size_t resumeAt)
{
    std::string& out = m_rewrites[m_nextRewrite];
    m_nextRewrite = 1 - m_nextRewrite;
    out.assign(line.substr(0, keepUntil));
    out.append(value);
    out.append(line.substr(resumeAt));
    return out;
}

void EdsRun::AppendLine(std::string_view line)
{
    if (Tags != nullptr && Contains(line, "<")) {
        m_scratch.assign(line);
        ReplaceTags(m_scratch, *Tags);
        line = m_scratch;
    }
    Output.Append(line);
    Output.Append(CrLf);
}

const std::pair<std::string_view, std::string>* LoneTagAt(std::string_view text, const TagValues& tags)
{
    for (std::size_t k = 0; k < tags.size(); ++k) {
        const auto tag = tags[k].first; // its second letter tells most tags apart
        if ((tag.size() < 2 || (text.size() > 1 && text[1] == tag[1])) && text.starts_with(tag))
            return k + 1 == tags.size() || tags[k].second.find('<') == std::string::npos ? &tags[k] : nullptr;
    }
    return nullptr;
}

void EdsRun::AppendKeptLine(std::string_view line, bool crLfFollows, bool holdsLt)
{
    const auto lt = Tags != nullptr && holdsLt ? line.find('<') : std::string_view::npos;
    if (lt != std::string_view::npos) {
        const auto* tag
            = line.find('<', lt + 1) == std::string_view::npos ? LoneTagAt(line.substr(lt), *Tags) : nullptr;
        if (tag != nullptr) {
            // Only the value is copied; the text around it is referred to.
            Output.AppendKept(line.substr(0, lt));
            Output.Append(tag->second);
            line.remove_prefix(lt + tag->first.size());
        } else {
            m_scratch.assign(line);
            if (ReplaceTags(m_scratch, *Tags)) {
                Output.Append(m_scratch);
                Output.Append(CrLf);
                return;
            }
        }
    }
    if (crLfFollows) {
        Output.AppendKept(std::string_view(line.data(), line.size() + CrLf.size()));
    } else {
        Output.AppendKept(line);
        Output.AppendKept(CrLf);
    }
}

void OutputText::Add(std::string_view bytes)
{
    if (!m_pieces.empty() && m_pieces.back().data() + m_pieces.back().size() == bytes.data())
        m_pieces.back() = std::string_view(m_pieces.back().data(), m_pieces.back().size() + bytes.size());
    else
        m_pieces.push_back(bytes);
    m_size += bytes.size();
}

void OutputText::Append(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (bytes.size() > m_room) {
        constexpr std::size_t blockSize = 64 * 1024;
        m_room = std::max(blockSize, bytes.size());
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(m_room));
        m_free = m_blocks.back().get();
    }
    std::memcpy(m_free, bytes.data(), bytes.size());
    Add(std::string_view(m_free, bytes.size()));
    m_free += bytes.size();
    m_room -= bytes.size();
}

void OutputText::AppendKept(std::string_view bytes)
{
    if (!bytes.empty())
        Add(bytes);
}

std::string OutputText::Build() const
{
    std::string text;
    text.reserve(m_size);
    for (const auto piece : m_pieces)
        text.append(piece);
    return text;
}

namespace {

// The index of the first of tags[from...] that `line` holds, or tags.size() when it holds none
// of them. Every tag begins with '<' and holds no other.
std::size_t FirstTagIn(std::string_view line, const TagValues& tags, std::size_t from)
{
    std::size_t first = tags.size();
    if (from >= first)
        return first;
    for (auto lt = line.find('<'); lt != std::string_view::npos && first > from;
         lt = line.find('<', lt + 1)) {
        const auto rest = line.substr(lt);
        for (std::size_t k = from; k < first; ++k) {
            const auto tag = tags[k].first;
            if ((tag.size() < 2 || (rest.size() > 1 && rest[1] == tag[1])) && rest.starts_with(tag)) {
                first = k;
                break;
            }
        }
    }
    return first;
}

} // namespace

bool ReplaceTags(std::string& line, const TagValues& tags)
{
    bool any = false;
    for (auto k = FirstTagIn(line, tags, 0); k < tags.size(); k = FirstTagIn(line, tags, k + 1)) {
        ReplaceAll(line, tags[k].first, tags[k].second);
        any = true;
    }
    return any;
}

void ReplaceAll(std::string& text, std::string_view tag, std::string_view value)
{
    if (tag.empty())
        return;
    auto hit = text.find(tag);
    if (hit == std::string::npos)
        return;

    // In place, without a second copy of a text that may be many megabytes long.
    const std::size_t oldSize = text.size();
    char* data = text.data();
    if (value.size() <= tag.size()) {
        // The text between the hits moves to the left, front to back; what is still to be
        // searched lies behind the write position and is intact.
        std::size_t to = hit;
        while (hit != std::string::npos) {
            std::memcpy(data + to, value.data(), value.size());
            to += value.size();
            const std::size_t from = hit + tag.size();
            hit = text.find(tag, from);
            const std::size_t until = hit != std::string::npos ? hit : oldSize;
            std::memmove(data + to, data + from, until - from);
            to += until - from;
        }
        text.resize(to);
        return;
    }
    // A longer value: the text grows once and moves to the right, back to front.
    std::vector<std::size_t> hits;
    for (; hit != std::string::npos; hit = text.find(tag, hit + tag.size()))
        hits.push_back(hit);
    const std::size_t growth = value.size() - tag.size();
    text.resize(oldSize + growth * hits.size());
    data = text.data();
    std::size_t end = text.size();
    std::size_t until = oldSize;
    for (std::size_t i = hits.size(); i-- > 0;) {
        const std::size_t from = hits[i] + tag.size();
        end -= until - from;
        std::memmove(data + end, data + from, until - from);
        end -= value.size();
        std::memcpy(data + end, value.data(), value.size());
        until = hits[i];
    }
}

} // namespace kr39
