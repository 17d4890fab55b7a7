// ApplyResourceStrings, the filters, and the English and German texts of the windows.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

#include "GuiTest.h"
#include "app/AboutDialog.h"
#include "app/CommandLayer.h"
#include "app/FileCommands.h"
#include "app/ResourceStrings.h"

using namespace kr39;
using namespace kr39::test;

namespace {

class Texts : public GuiTest { };

struct FilterCase {
    const char* Table;
    const char* Qt;
};

class Filters : public ::testing::TestWithParam<FilterCase> { };

TEST_P(Filters, BecomeQtFilters)
{
    EXPECT_EQ(ToQtFilter(QString::fromUtf8(GetParam().Table)), QString::fromUtf8(GetParam().Qt));
}

INSTANTIATE_TEST_SUITE_P(Table, Filters,
    ::testing::Values(FilterCase {"Configuration files (*.CSE)|*.CSE|All files (*.*)|*.*",
                          "Configuration files (*.CSE);;All files (*.*)"},
        FilterCase {
            "EDS Dateien (*.EDS)|*.EDS|Alle Dateien (*.*)|*.*", "EDS Dateien (*.EDS);;Alle Dateien (*.*)"},
        FilterCase {"Pictures|*.bmp;*.png", "Pictures (*.bmp *.png)"}, FilterCase {"", ""},
        FilterCase {"Lonely description", ""}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// A window designed with placeholders, the way the window designs carry them.
struct DesignedForm {
    QWidget Form;
    QLabel* Exact = new QLabel(QStringLiteral("designed"), &Form);
    QLabel* Fraction = new QLabel(QStringLiteral("designed"), &Form);
    QLabel* TrailingLetters = new QLabel(QStringLiteral("designed"), &Form);
    QLabel* NoTag = new QLabel(QStringLiteral("designed"), &Form);
    QPushButton* TrailingLettersButton = new QPushButton(QStringLiteral("designed"), &Form);
    QPushButton* Zero = new QPushButton(QStringLiteral("designed"), &Form);
    QPushButton* Negative = new QPushButton(QStringLiteral("designed"), &Form);
    QPushButton* OutOfRange = new QPushButton(QStringLiteral("designed"), &Form);
    QPushButton* Tooltip = new QPushButton(QStringLiteral("designed"), &Form);

    DesignedForm()
    {
        Form.setProperty(TagProperty, QStringLiteral("1017"));
        Exact->setProperty(TagProperty, QStringLiteral("1034"));
        Fraction->setProperty(TagProperty, QStringLiteral("1034.6"));
        TrailingLetters->setProperty(TagProperty, QStringLiteral("1019abc"));
        TrailingLettersButton->setProperty(TagProperty, QStringLiteral("1019abc"));
        Zero->setProperty(TagProperty, QStringLiteral("0"));
        Negative->setProperty(TagProperty, QStringLiteral("-5"));
        OutOfRange->setProperty(TagProperty, QStringLiteral("99999"));
        Tooltip->setToolTip(QStringLiteral("1014 open"));
        QFont bold = Exact->font();
        bold.setBold(true);
        bold.setPointSize(20);
        Exact->setFont(bold);
    }
};

TEST_F(Texts, PlaceholdersAreReplacedByTheirRules)
{
    DesignedForm d;
    ApplyResourceStrings(&d.Form, Language::English);
    EXPECT_EQ(d.Form.windowTitle(), "About KR39 Standard EDS Generator");
    EXPECT_EQ(d.Exact->text(), "Inputs =");
    EXPECT_EQ(d.Fraction->text(), "Outputs =");
    // Labels need a tag that is exactly a number; other controls take a leading number.
    EXPECT_EQ(d.TrailingLetters->text(), "designed");
    EXPECT_EQ(d.NoTag->text(), "designed");
    EXPECT_EQ(d.TrailingLettersButton->text(), "OK");
    EXPECT_EQ(d.Zero->text(), "designed");
    EXPECT_EQ(d.Negative->text(), "designed");
    EXPECT_EQ(d.OutOfRange->text(), "designed");
    EXPECT_EQ(d.Tooltip->toolTip(), "Open");
    // Every control takes the window's font.
    EXPECT_EQ(d.Exact->font(), d.Form.font());
}

TEST_F(Texts, MainWindowInGerman)
{
    qputenv("LANGUAGE", "de_AT");
    auto window = LoadedWindow();
    const char* menus[][2] = {{"mnuFile", "&Datei"}, {"mnuHelp", "&Hilfe"}};
    for (const auto& m : menus)
        EXPECT_EQ(window->findChild<QMenu*>(m[0])->title(), QString::fromUtf8(m[1])) << m[0];
    const char* entries[][2]
        = {{"mnuFileNew", "&Neu"}, {"mnuFileOpen", "Ö&ffnen..."}, {"mnuFileSave", "&Speichern"},
            {"mnuFileSaveAs", "Speichern &unter..."}, {"mnuFileGenerate", "&Generieren"},
            {"mnuFileExit", "&Beenden"}, {"mnuHelpContents", "&Inhalt"}, {"mnuHelpAbout", "Inf&o "}};
    for (const auto& e : entries)
        EXPECT_EQ(window->findChild<QAction*>(e[0])->text(), QString::fromUtf8(e[1])) << e[0];
    const char* tips[] = {"Neu", "Öffnen", "Speichern", "", "Generieren"};
    for (int i : {1, 2, 3, 5})
        EXPECT_EQ(window->Commands()->ToolbarButton(i)->toolTip(), QString::fromUtf8(tips[i - 1])) << i;
    EXPECT_TRUE(window->Commands()->ToolbarButton(4)->toolTip().isEmpty());
    EXPECT_EQ(window->windowTitle(), "KR39 Standard EDS Generator - Unbenannt");

    window->Files()->SetHelpFile(QString());
    window->findChild<QAction*>("mnuHelpContents")->trigger();
    ASSERT_EQ(MessageBox::History().size(), 1);
    EXPECT_EQ(MessageBox::History()[0].Text,
        "Hilfeinhalt konnte nicht angezeigt werden. Dieser Anwendung ist keine Hilfedatei zugeordnet.");
}

struct AboutCase {
    const char* Language;
    const char* Description;
};

class About : public Texts, public ::testing::WithParamInterface<AboutCase> { };

TEST_P(About, ShowsTitleVersionDescriptionAndClosesWithEnterOrEscape)
{
    qputenv("LANGUAGE", GetParam().Language);
    auto window = LoadedWindow();
    window->show();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        bool checked = false;
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            EXPECT_EQ(about->objectName(), "frmAbout");
            EXPECT_EQ(about->windowTitle(), "KR39 Standard EDS Generator");
            EXPECT_EQ(about->findChild<QLabel*>("lblTitle")->text(), "KR39 Standard EDS Generator");
            EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), "Version 1.0.6");
            EXPECT_EQ(about->findChild<QLabel*>("lblDescription")->text(),
                QString::fromUtf8(GetParam().Description));
            EXPECT_FALSE(about->findChild<QLabel*>("lblDisclaimer")->text().isEmpty());
            EXPECT_EQ(about->findChild<QPushButton*>("cmdOK")->text(), "OK");
            EXPECT_FALSE(about->findChild<QLabel*>("picIcon")->pixmap().isNull());
            // The title label shows the window's font after the texts were applied.
            EXPECT_EQ(about->findChild<QLabel*>("lblTitle")->font(), about->font());
            EXPECT_EQ(about->size(), QSize(391, 242));
            checked = true;
            QTest::keyClick(about, key);
        });
        window->findChild<QAction*>("mnuHelpAbout")->trigger();
        EXPECT_TRUE(checked);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, About,
    ::testing::Values(AboutCase {"en_GB",
                          "Standard EDS File Generator for the KR39 Modular System. If you have a "
                          "DeviceNet Configuration Software that support modular EDS files  you do "
                          "NOT need to use this software!"},
        AboutCase {"de",
            "Standard EDS File Generator für KR39 Modularsystem. Wenn Ihre Konfigurationssoftware mit "
            "Modular EDS Dateien arbeiten kann brauchen Sie dieses Software NICHT!"}));

} // namespace
