#pragma once

#include <cstdint>
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

// The counters of one generation run and the text built so far.
struct EdsRun {
    std::int16_t ParameterCounter = 0;
    std::int16_t ModuleNumber = 0;
    bool MarkerSeen = false;
    std::string Output;

    // Appends the line and CR LF to the output.
    void AppendLine(std::string_view line);
};

// Rewrites one line of a module description file by the module rules, advancing the run's
// parameter counter, and appends it (with CR LF) to the output while the block is open.
// `blockOpen` carries the block state from line to line; the caller closes it before each file.
// Fails, naming `fileName` and `lineNumber`, on a parameter line without "<BOXNO>" and when
// the parameter counter would pass 32767.
Result<void> ExpandModuleLine(
    std::string_view line, EdsRun& run, bool& blockOpen, std::string_view fileName, int lineNumber);

// Replaces every occurrence of `tag` in `text` by `value`, in one linear pass.
void ReplaceAll(std::string& text, std::string_view tag, std::string_view value);

} // namespace kr39
