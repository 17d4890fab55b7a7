#include "app/ResourceStrings.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMetaProperty>
#include <QStringList>
#include <QToolBar>
#include <QWidget>

#include <optional>

#include "resources/NumberConversion.h"
#include "resources/Windows1252.h"

namespace kr39 {

namespace {

std::optional<QString> Lookup(std::optional<std::int16_t> id, Language language)
{
    if (!id)
        return std::nullopt;
    const auto text = LookupString(*id, language);
    if (!text)
        return std::nullopt;
    return QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size()));
}

std::optional<std::int16_t> Strict(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return StrictToInt16(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// The lenient conversion as the placeholders of "other" controls use it: a failure, zero and
// negative numbers all count as "no ID".
std::optional<std::int16_t> PositiveLenient(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const auto n
        = LenientToInt16(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!n || *n <= 0)
        return std::nullopt;
    return n;
}

// The control's tag, when it has one.
std::optional<QString> TagOf(const QObject* object)
{
    const QVariant tag = object->property(TagProperty);
    if (!tag.isValid())
        return std::nullopt;
    return tag.toString();
}

bool HasProperty(const QObject* object, const char* name)
{
    return object->metaObject()->indexOfProperty(name) >= 0;
}

void ApplyToMenuEntry(QAction* action, Language language)
{
    if (action->isSeparator())
        return;
    if (const auto text = Lookup(Strict(action->text()), language))
        action->setText(*text);
}

void ApplyToToolbar(QToolBar* toolbar, Language language)
{
    for (QAction* button : toolbar->actions()) {
        // Tooltips show no access keys, so "&Generate" is shown as "Generate".
        if (const auto text = Lookup(Strict(button->toolTip()), language))
            button->setToolTip(WithoutAccessKeys(*text));
    }
}

void ApplyToOtherControl(QObject* control, Language language)
{
    if (const auto tag = TagOf(control)) {
        if (const auto text = Lookup(PositiveLenient(*tag), language)) {
            if (HasProperty(control, "text"))
                control->setProperty("text", *text);
            else if (HasProperty(control, "title"))
                control->setProperty("title", *text);
        }
    }
    if (auto* widget = qobject_cast<QWidget*>(control)) {
        if (const auto text = Lookup(PositiveLenient(widget->toolTip()), language))
            widget->setToolTip(*text);
    }
}

} // namespace

QString Res(int id, Language language)
{
    const auto text = LookupString(id, language);
    return text ? QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size())) : QString();
}

QString Res(StringId id)
{
    return Res(id, UserLanguage());
}

QString UiText(const char* english, const char* german)
{
    return QString::fromUtf8(UserLanguage() == Language::German ? german : english);
}

QString AppTitleText()
{
    return QString::fromUtf8(AppTitle.data(), static_cast<qsizetype>(AppTitle.size()));
}

QString VersionText()
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(AppVersionMajor)
        .arg(AppVersionMinor)
        .arg(AppVersionRevision);
}

QString FromCodePage(std::string_view bytes)
{
    return DecodeWindows1252(bytes);
}

QString ToQtFilter(const QString& tableFilter)
{
    const QStringList parts = tableFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns
            = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        if (description.contains(QLatin1Char('(')) && description.endsWith(QLatin1Char(')')))
            filters.append(description);
        else
            filters.append(QStringLiteral("%1 (%2)").arg(description, patterns));
    }
    return filters.join(QStringLiteral(";;"));
}

QString WithoutAccessKeys(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        result.append(text[i]);
    }
    return result;
}

void ApplyResourceStrings(QWidget* form, Language language)
{
    if (!form)
        return;

    // 1. The window caption from the window's tag.
    if (const auto tag = TagOf(form)) {
        if (const auto caption = Lookup(Strict(*tag), language))
            form->setWindowTitle(*caption);
    }

    // 2. The window's font from IDs 20 and 21; the table has neither, so the designed font stays.
    QFont font = form->font();
    const auto face = Lookup(std::int16_t {20}, language);
    const auto size = face ? Lookup(std::int16_t {21}, language) : std::nullopt;
    if (face && size) {
        if (const auto points = Strict(*size); points && *points > 0) {
            font.setFamily(*face);
            font.setPointSize(*points);
            form->setFont(font);
        }
    }

    // 3. Every control, in the order the window holds them.
    const QList<QObject*> controls = form->findChildren<QObject*>();
    for (QObject* control : controls) {
        if (auto* widget = qobject_cast<QWidget*>(control))
            widget->setFont(font);

        if (auto* label = qobject_cast<QLabel*>(control)) {
            if (const auto tag = TagOf(label)) {
                if (const auto text = Lookup(Strict(*tag), language))
                    label->setText(*text);
            }
        } else if (auto* menu = qobject_cast<QMenu*>(control)) {
            if (const auto text = Lookup(Strict(menu->title()), language))
                menu->setTitle(*text);
        } else if (auto* action = qobject_cast<QAction*>(control)) {
            if (!action->menu() && !action->associatedObjects().isEmpty())
                ApplyToMenuEntry(action, language);
        } else if (auto* toolbar = qobject_cast<QToolBar*>(control)) {
            ApplyToToolbar(toolbar, language);
        } else {
            ApplyToOtherControl(control, language);
        }
    }
}

void ApplyResourceStrings(QWidget* form)
{
    ApplyResourceStrings(form, UserLanguage());
}

} // namespace kr39
