#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "station/Station.h"
#include "util/Result.h"

namespace kr39 {

// The longest EDS text made, like the longest file read: a template that repeats its marker
// line could otherwise multiply the module files into gigabytes.
inline constexpr std::size_t MaxEdsBytes = 64u * 1024u * 1024u;

// Everything one generation run reads. Only the PartNo of slots 1..16 is used; slot 0 takes
// part through the master template alone.
struct GenerateInput {
    SlotTable Slots;
    std::int16_t TotalInputs = 0; // as the last redraw computed them
    std::int16_t TotalOutputs = 0;
    std::string CurrentFile; // path of the station file; its base name fills "<FILENAME>"
    std::filesystem::path ModulesDir;
    std::string DateText; // the text for "<DATESTRING>": an EDS date, see TodayEdsDate
    std::string SoftwareName = SoftwareNameText(); // the text for "<SOFTWARENAME>"
    std::size_t MaxBytes = MaxEdsBytes; // a longer text is refused

    // "KR39 Standard EDS Generator V1.0": title, major and minor version, no revision.
    static std::string SoftwareNameText();
};

// The input of a run for `station` (its slots, totals and file name).
GenerateInput MakeGenerateInput(
    const Station& station, const std::filesystem::path& modulesDir, std::string dateText);

// Receives the progress of a run; values are clamped to 0..100. The window drives its two
// progress bars from these; the default does nothing.
class GenerateProgress {
public:
    virtual ~GenerateProgress() = default;
    // After each of the 16 slots of an expansion: slot / 16 * 99.
    virtual void StationProgress(int /*percent*/) { }
    // After each line read: the 1-based position of the next byte to read / file length * 99.
    virtual void BoxProgress(int /*percent*/) { }
};

// The first part of a run: the master template expanded with the module description files of
// the placed modules, "<SOFTWARENAME>", "<DATESTRING>", "<INSTNO>", "<INPUTNO>" and
// "<OUTPUTNO>" replaced in this order. "<FILENAME>" is still in the text. Every line ends in
// CR LF; all other bytes pass through unchanged. `progress` may be null. A text that would be
// longer than `input.MaxBytes` is refused before it is built.
Result<std::string> ExpandStationEds(const GenerateInput& input, GenerateProgress* progress = nullptr);

// The last step: "<FILENAME>" becomes the base name of the station file (`currentFile` as the
// file system spells it), in Windows-1252 by EdsFileNameText. Refused, leaving the text as it
// was, when the text would become longer than `maxBytes`.
Result<void> FillInFileName(
    std::string& text, std::string_view currentFile, std::size_t maxBytes = MaxEdsBytes);

// The whole text of the EDS file: ExpandStationEds, then FillInFileName.
Result<std::string> GenerateEds(const GenerateInput& input, GenerateProgress* progress = nullptr);

// A generated EDS text, kept as pieces of the files it was made from and of its rewritten
// lines until it is written, so that a big template is not copied once more on its way out.
class EdsText {
public:
    struct Parts;
    explicit EdsText(std::unique_ptr<Parts> parts);
    EdsText(EdsText&&) noexcept;
    EdsText& operator=(EdsText&&) noexcept;
    ~EdsText();

    std::size_t Size() const;
    std::string ToString() const;
    // Writes the text atomically, as WriteEdsFile.
    Result<void> WriteTo(const std::filesystem::path& path) const;

private:
    std::unique_ptr<Parts> m_parts;
};

// The text of GenerateEds as pieces.
Result<EdsText> GenerateEdsText(const GenerateInput& input, GenerateProgress* progress = nullptr);

// Writes the EDS text atomically: a failed write leaves the file that was there untouched.
Result<void> WriteEdsFile(const std::filesystem::path& path, std::string_view text);

} // namespace kr39
