#include "eds/EdsRules.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
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

// The text before `keepUntil`, then `value`, then the text from `resumeAt` on. When `resumeAt`
// lies before `keepUntil` (an "=" in front of the word "Param") the text between them appears
// twice; the rule is applied as written rather than guessing at another meaning.
std::string Splice(std::string_view line, std::size_t keepUntil, std::string_view value, std::size_t resumeAt)
{
    std::string out;
    out.reserve(line.size() + value.size());
    out.append(line.substr(0, keepUntil));
    out.append(value);
    out.append(line.substr(resumeAt));
    return out;
}

// Everything from the first `tag` to the end of the last one becomes `value`.
std::string ReplaceTagSpan(std::string_view line, std::string_view tag, std::string_view value)
{
    const auto first = line.find(tag);
    const auto last = line.rfind(tag);
    return Splice(line, first, value, last + tag.size());
}

// Everything after the first `word` and before the last "=" becomes `number`.
std::string Renumber(std::string_view line, std::string_view word, int number)
{
    const auto first = line.find(word);
    const auto lastEq = line.rfind('=');
    return Splice(line, first + word.size(), std::to_string(number), lastEq);
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
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(moduleNumber));
    return buf;
}

std::string BoxNoText(int moduleNumber)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "Box %02d ", moduleNumber);
    return buf;
}

Result<void> ExpandModuleLine(
    std::string_view line, EdsRun& run, bool& blockOpen, std::string_view fileName, int lineNumber)
{
    if (IsParameterLine(line)) {
        if (run.ParameterCounter == INT16_MAX)
            return Failure {std::string(fileName), lineNumber, "the parameter count would pass 32767"};
        ++run.ParameterCounter;
    }

    // Most lines hold no tag and pass through as views; a rewritten line lives in `work`.
    std::string work;
    auto rewrite = [&](std::string text) {
        work = std::move(text);
        line = work;
    };

    if (Contains(line, StartTag)) {
        blockOpen = true;
        line = {};
    } else if (Contains(line, StopTag)) {
        blockOpen = false;
    }

    if (Contains(line, SlotNoTag))
        rewrite(ReplaceTagSpan(line, SlotNoTag, SlotNoText(run.ModuleNumber)));

    if (Contains(line, ParamWord)) {
        if (Contains(line, "=")) {
            rewrite(Renumber(line, ParamWord, run.ParameterCounter));
            if (!Contains(line, BoxNoTag))
                return Failure {std::string(fileName), lineNumber, "a parameter line holds no \"<BOXNO>\""};
            rewrite(ReplaceTagSpan(line, BoxNoTag, BoxNoText(run.ModuleNumber)));
        }
    } else if (Contains(line, EnumWord) && Contains(line, "=")) {
        rewrite(Renumber(line, EnumWord, run.ParameterCounter));
    }

    if (blockOpen)
        run.AppendLine(line);
    return {};
}

void EdsRun::AppendLine(std::string_view line)
{
    Output.append(line);
    Output.append(CrLf);
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
