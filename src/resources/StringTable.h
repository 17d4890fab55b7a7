#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kr39 {

// IDs of the string table used by the program's code (the window designs carry the others).
enum StringId : std::int16_t {
    IdsInitializationError = 1024,
    IdsErrorTitle = 1025,
    IdsConfigFilter = 1026,
    IdsUnknown = 1027,
    IdsNoHelpFile = 1028,
    IdsPartNoNotFound = 1029,
    IdsSaveError = 1030,
    IdsLoadError = 1031,
    IdsGenerateError = 1032,
    IdsEdsFilter = 1033,
    IdsInputs = 1034,
    IdsOutputs = 1035,
    IdsAboutDescription = 1036,
};

enum class Language { English, German };

// German for a German interface language, English for every other.
// `localeName` is a POSIX locale or language list such as "de_AT.UTF-8" or "de:en".
Language LanguageFromLocaleName(std::string_view localeName);

// The user's interface language: the first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is
// set and not empty decides.
Language UserLanguage();

// The text of `id` in `language` (UTF-8), or nothing when the table has no such entry.
std::optional<std::string_view> LookupString(int id, Language language);

// The text of an ID that is known to be in the table, in the user's language.
std::string ResString(StringId id);

// The application's identity.
inline constexpr std::string_view AppTitle = "KR39 Standard EDS Generator";
inline constexpr int AppVersionMajor = 1;
inline constexpr int AppVersionMinor = 0;
inline constexpr int AppVersionRevision = 6;

} // namespace kr39
