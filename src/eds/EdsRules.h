#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "util/Result.h"

namespace kr39 {

// Texts the generator looks for. All tests are exact substring tests, letter case included.
inline constexpr std::string_view MarkerTag = "<IOMODULEDESCRIPTION>";
inline constexpr std::string_view StartTag = "<START>";
inline constexpr std::string_view StopTag = "<STOP>";
inline constexpr std::string_view SlotNoTag = "<SLOTNO>";
inline constexpr std::string_view BoxNoTag = "<BOXNO>";
inline constexpr std::string_view SoftwareNameTag = "<SOFTWARENAME>";
inline constexpr std::string_view DateStringTag = "<DATESTRING>";
inline constexpr std::string_view InstNoTag = "<INSTNO>";
inline constexpr std::string_view InputNoTag = "<INPUTNO>";
inline constexpr std::string_view OutputNoTag = "<OUTPUTNO>";
inline constexpr std::string_view FileNameTag = "<FILENAME>";

// The master template's name in the modules folder (found whatever its letter case).
inline constexpr std::string_view MasterTemplateName = "KR39NODE000001.dat";
// A module description file must be shorter than this many bytes.
inline constexpr std::size_t ModuleFileLimit = 32768;

// A line that holds both "Param" and "=".
bool IsParameterLine(std::string_view line);
// A line that holds "Enum" and "=" but no "Param".
bool IsEnumerationLine(std::string_view line);

// The module number as the link-path text: upper-case hexadecimal, at least two digits.
std::string SlotNoText(int moduleNumber);
// The module number as the box text: "Box ", at least two decimal digits, one blank.
std::string BoxNoText(int moduleNumber);

// Placeholder tags and their values, in the order in which they are replaced.
using TagValues = std::vector<std::pair<std::string_view, std::string>>;

// Replaces the tags in `line` one after the other in their order, each tag at every place it
// stands (ReplaceAll), so that a tag formed by an earlier value is replaced too. No tag holds a
// line end, so replacing the lines of a text one by one gives the text that replacing tag by
// tag over the whole text gives. Returns whether any tag was there.
bool ReplaceTags(std::string& line, const TagValues& tags);

// The tag that `text` begins with, when replacing it where it stands gives what ReplaceTags
// gives for a line in which it holds the only "<": its value holds no "<" (it cannot form a
// later tag) or it is the last tag. Null otherwise, and when `text` begins with no tag.
const std::pair<std::string_view, std::string>* LoneTagAt(std::string_view text, const TagValues& tags);

// The generated text as pieces: bytes copied into it and views of texts that outlive it (the
// template and module files). It is written piece by piece or built at the end in one buffer
// allocated once; copied bytes never move, so the pieces stay valid when it is moved.
class OutputText {
public:
    void Append(std::string_view bytes); // copied
    void AppendKept(std::string_view bytes); // only referred to: must outlive the pieces
    std::size_t Size() const { return m_size; }
    const std::vector<std::string_view>& Pieces() const { return m_pieces; }
    std::string Build() const;

private:
    void Add(std::string_view bytes);
    std::vector<std::string_view> m_pieces;
    std::vector<std::unique_ptr<char[]>> m_blocks; // the copied bytes
    char* m_free = nullptr; // the room left in the last block
    std::size_t m_room = 0;
    std::size_t m_size = 0;
};

// The counters of one generation run and the text built so far.
struct EdsRun {
    std::int16_t ParameterCounter = 0;
    std::int16_t ModuleNumber = 0;
    bool MarkerSeen = false;
    OutputText Output;
    // The tags replaced in each line as it is appended; none when null.
    const TagValues* Tags = nullptr;

    // Appends the line, its tags replaced, and CR LF to the output.
    void AppendLine(std::string_view line);
    // The same for a line of a text that outlives the run; when `crLfFollows`, the line is
    // followed by CR LF in that text; `holdsLt`: whether it holds a "<". A line that keeps its
    // bytes is only referred to.
    void AppendKeptLine(std::string_view line, bool crLfFollows, bool holdsLt);

    // The text of `line` before `keepUntil`, then `value`, then the text from `resumeAt` on;
    // when `resumeAt` lies before `keepUntil` (an "=" in front of the word "Param"), the text
    // between them appears twice: the rule is applied as written. Made in one of two buffers
    // of the run, so that the result of the call before may be passed in and a line is
    // rewritten without allocating once the buffers have grown.
    std::string_view Splice(
        std::string_view line, std::size_t keepUntil, std::string_view value, std::size_t resumeAt);

private:
    std::string m_scratch;
    std::array<std::string, 2> m_rewrites;
    std::size_t m_nextRewrite = 0;
};

// Rewrites one line of a module description file by the module rules, advancing the run's
// parameter counter, and appends it (with CR LF) to the output while the block is open; an
// unchanged line is only referred to, so `line` must outlive the output. `blockOpen` carries
// the block state from line to line; the caller closes it before each file. Fails, naming
// `fileName` and `lineNumber`, on a parameter line without "<BOXNO>" and when the parameter
// counter would pass 32767.
Result<void> ExpandModuleLine(
    std::string_view line, EdsRun& run, bool& blockOpen, std::string_view fileName, int lineNumber);

// Replaces every occurrence of `tag` in `text` by `value`, in one linear pass.
void ReplaceAll(std::string& text, std::string_view tag, std::string_view value);

} // namespace kr39
