#include "resources/StringTable.h"

#include <array>
#include <cstdlib>

namespace kr39 {

namespace {

struct Entry {
    int Id;
    std::string_view English;
    std::string_view German;
};

// The program's texts, English and German, by ID. Texts are UTF-8.
constexpr std::array<Entry, 37> kTable {{
    {1000, "&File", "&Datei"},
    {1001, "&New", "&Neu"},
    {1002, "&Open...", "Ö&ffnen..."},
    {1003, "&Close", "S&chließen"},
    {1004, "&Save", "&Speichern"},
    {1005, "Save &as...", "Speichern &unter..."},
    {1006, "&Generate", "&Generieren"},
    {1007, "Page s&etup", "Seite &einrichten..."},
    {1008, "&Print...", "Dru&cken..."},
    {1009, "&Exit", "&Beenden"},
    {1010, "&Help", "&Hilfe"},
    {1011, "&Contents", "&Inhalt"},
    {1012, "&About", "Inf&o "},
    {1013, "New", "Neu"},
    {1014, "Open", "Öffnen"},
    {1015, "Save", "Speichern"},
    {1016, "Print", "Drucken"},
    {1017, "About KR39 Standard EDS Generator", "Info KR39_EDS"},
    {1018, "&System-Info...", "&System-Info..."},
    {1019, "OK", "OK"},
    {1020, "Warning: ...", "Warnung: ..."},
    {1021, "Version", "Version"},
    {1022, "Anwendungstitel", "Anwendungstitel"},
    {1023, "Anwendungsbeschreibung", "Anwendungsbeschreibung"},
    {1024, "Initialization error!", "Initialisierungsfehler!"},
    {1025, "Error", "Fehler"},
    {1026, "Configuration files (*.CSE)|*.CSE|All files (*.*)|*.*",
        "Konfigurationsdateien (*.CSE)|*.CSE|Alle Dateien (*.*)|*.*"},
    {1027, "Unknown", "Unbenannt"},
    {1028, "Help content could not be found. This application has no help file associated.",
        "Hilfeinhalt konnte nicht angezeigt werden. Dieser Anwendung ist keine Hilfedatei zugeordnet."},
    {1029, "Status: PartNo not found!!!", "Status: Art.Nr. nicht gefunden!!!"},
    {1030, "Error when saving data!!!", "Fehler beim speichern!!!"},
    {1031, "Error when loading data!!!", "Fehler beim laden!!!"},
    {1032, "Error when generating data!!!", "Fehler beim generieren!!!"},
    {1033, "EDS files (*.EDS)|*.EDS|All files (*.*)|*.*", "EDS Dateien (*.EDS)|*.EDS|Alle Dateien (*.*)|*.*"},
    {1034, "Inputs =", "Eingänge ="},
    {1035, "Outputs =", "Ausgänge ="},
    {1036,
        "Standard EDS File Generator for the KR39 Modular System. If you have a DeviceNet Configuration "
        "Software that support modular EDS files  you do NOT need to use this software!",
        "Standard EDS File Generator für KR39 Modularsystem. Wenn Ihre Konfigurationssoftware mit Modular "
        "EDS Dateien arbeiten kann brauchen Sie dieses Software NICHT!"},
}};

constexpr int kFirstId = 1000;

} // namespace

Language LanguageFromLocaleName(std::string_view localeName)
{
    // LANGUAGE may list several languages; the first one is the interface language.
    const auto end = localeName.find_first_of(":.@");
    const auto name = localeName.substr(0, end);
    for (std::string_view german : {"de", "de_DE", "de_CH", "de_AT", "de_LU", "de_LI"}) {
        if (name == german)
            return Language::German;
    }
    return Language::English;
}

Language UserLanguage()
{
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return LanguageFromLocaleName(value);
    }
    return Language::English;
}

std::optional<std::string_view> LookupString(int id, Language language)
{
    const int index = id - kFirstId;
    if (index < 0 || index >= static_cast<int>(kTable.size()))
        return std::nullopt;
    const auto& entry = kTable[static_cast<std::size_t>(index)];
    return language == Language::German ? entry.German : entry.English;
}

std::string ResString(StringId id)
{
    return std::string(LookupString(id, UserLanguage()).value_or(std::string_view {}));
}

} // namespace kr39
