#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "resources/StringTable.h"

class QWidget;

namespace kr39 {

// Name of the dynamic property that holds a control's tag (the string ID placeholder).
inline constexpr char TagProperty[] = "Tag";

// The text of an ID that is in the table, in the user's language.
QString Res(StringId id);
QString Res(int id, Language language);

// A text of the window that the string table does not hold, in the user's language.
QString UiText(const char* english, const char* german);

// The application title as a QString.
QString AppTitleText();
// "Version 1.0.6".
QString VersionText();

// Data files are single-byte Windows-1252 text: decoding for display.
QString FromCodePage(std::string_view bytes);

// A filter of the string table ("Text (*.CSE)|*.CSE|All files (*.*)|*.*") in Qt's form
// ("Text (*.CSE);;All files (*.*)"). A description without its pattern in brackets gets it.
QString ToQtFilter(const QString& tableFilter);

// The text with its access-key marks removed ("&Generate" gives "Generate", "&&" gives "&").
QString WithoutAccessKeys(const QString& text);

// Replaces the string ID placeholders of a window by the table's texts in `language`:
// the window caption from its tag, then for each control (the window's font first) labels
// from their tag, menus and menu entries from their text, toolbar buttons' tooltips from their
// tooltip, and any other control's text and tooltip from the number their tag and tooltip
// start with. Every step is guarded; what cannot be replaced stays as it is.
void ApplyResourceStrings(QWidget* form, Language language);
void ApplyResourceStrings(QWidget* form);

} // namespace kr39
