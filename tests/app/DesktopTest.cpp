// The window as a user meets it: the question before unsaved work is replaced, names and folders
// of the file dialogs, full texts as tooltips, keys, German texts of Qt's own dialogs and the help
// file.
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QTranslator>
#include <QTreeWidget>
#include <QUrl>

#include "GuiTest.h"
#include "app/FileCommands.h"
#include "resources/Windows1252.h"
#include "station/StationView.h"

// Records the URLs handed to the desktop's viewer (Qt's own seam for QDesktopServices).
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void Open(const QUrl& url) { Urls.append(url); }
};

namespace fs = std::filesystem;
using namespace kr39;
using namespace kr39::test;
using Answer = MessageBox::Answer;

namespace {

using Desktop = WindowTest;

// --- The question before a modified station is replaced ------------------------------------

struct QuestionCase {
    const char* Name;
    const char* Command; // the action, or "" for closing the window
    bool Modified;
    Answer Reply;
    const char* SaveAsName; // nullptr: the station has a file; "": the name dialog is cancelled
    bool GoesOn;
    bool Written;
    friend void PrintTo(const QuestionCase& c, std::ostream* os) { *os << c.Name; }
};

class Question : public Desktop, public ::testing::WithParamInterface<QuestionCase> { };

TEST_P(Question, SaveDiscardOrCancel)
{
    const QuestionCase& c = GetParam();
    const fs::path other = Temp() / "other.CSE";
    WriteBytes(other, "KR39NODE000001\r\nKR39DO08DC24\r\n" + Repeat(15, "None"));
    Place(2, "KR39DI08DC24");
    const fs::path named = Temp() / "named.CSE";
    if (!c.SaveAsName)
        window->m_station.CurrentFile = named.string();
    window->m_station.Modified = c.Modified;
    window->UpdateCommandState();
    MessageBox::SetNextAnswer(c.Reply);
    if (c.SaveAsName)
        FileDialog::SetNextFileName(*c.SaveAsName ? Q(Temp() / c.SaveAsName) : QString());
    int unloaded = -1;
    QObject::connect(window.get(), &MainWindow::Unloaded, [&](int status) { unloaded = status; });

    if (std::string_view(c.Command) == "mnuFileOpen") // its dialog comes after the question's
        FileDialog::SetNextFileName(Q(other));
    if (*c.Command)
        Trigger(c.Command);
    else
        window->close();

    ASSERT_EQ(!MessageBox::History().isEmpty(), c.Modified);
    if (c.Modified) {
        EXPECT_EQ(MessageBox::History()[0].Text, "Save changes to the station?");
        EXPECT_EQ(MessageBox::History()[0].Kind, MessageBox::Icon::Question);
    }
    // Going on unloads the window or replaces the station (that of other.CSE has slot 1 only).
    EXPECT_EQ(unloaded == 0 || window->m_station.Slots[2].PartNo != "KR39DI08DC24", c.GoesOn);
    const fs::path target = c.SaveAsName && *c.SaveAsName ? Temp() / c.SaveAsName : named;
    EXPECT_EQ(fs::exists(target), c.Written);
}

INSTANTIATE_TEST_SUITE_P(Table, Question,
    ::testing::Values(QuestionCase {"ExitSaves", "mnuFileExit", true, Answer::Save, nullptr, true, true},
        QuestionCase {"ExitDiscards", "mnuFileExit", true, Answer::Discard, nullptr, true, false},
        QuestionCase {"ExitCancelled", "mnuFileExit", true, Answer::Cancel, nullptr, false, false},
        QuestionCase {"CloseSavesUnnamedUnderANewName", "", true, Answer::Save, "new.CSE", true, true},
        QuestionCase {"CloseWhenTheNameIsCancelled", "", true, Answer::Save, "", false, false},
        QuestionCase {"CloseWhenTheSaveFails", "", true, Answer::Save, "missing/x.CSE", false, false},
        QuestionCase {"NewCancelled", "mnuFileNew", true, Answer::Cancel, nullptr, false, false},
        QuestionCase {"OpenCancelled", "mnuFileOpen", true, Answer::Cancel, nullptr, false, false},
        QuestionCase {
            "OpenUnmodifiedAsksNothing", "mnuFileOpen", false, Answer::Cancel, nullptr, true, false}),
    [](const auto& info) { return std::string(info.param.Name); });

// --- Names and folders of the file dialogs ---------------------------------------------------

TEST(Extension, AddedOnlyWhenTheNameHasNone)
{
    const char* const cases[][3] = {{"/d/Line4", "Configuration files (*.CSE)", "/d/Line4.CSE"},
        {"/d.x/Line4", "EDS Dateien (*.EDS)", "/d.x/Line4.EDS"},
        {"/d/Line4.cse", "Configuration files (*.CSE)", "/d/Line4.cse"},
        {"/d/Line4.v2", "EDS files (*.EDS)", "/d/Line4.v2"}, {"/d/Line4", "All files (*.*)", "/d/Line4"},
        {"/d/Line4", "All files (*)", "/d/Line4"}, {"", "EDS files (*.EDS)", ""}};
    for (const auto& [name, filter, result] : cases)
        EXPECT_EQ(WithFilterExtension(QLatin1String(name), QLatin1String(filter)), QLatin1String(result))
            << name << " " << filter;
}

TEST_F(Desktop, DialogsStartInTheStationsFolderElseTheLastOneUsed)
{
    fs::create_directories(Temp() / "a");
    fs::create_directories(Temp() / "b");
    Place(1, "KR39DI08DC24");
    Trigger("mnuFileSaveAs", Temp() / "a" / "one"); // typed names get the file type's extension
    EXPECT_EQ(window->windowTitle().section(" - ", 1), Q(Temp() / "a" / "one.CSE"));
    Trigger("mnuFileGenerate", Temp() / "b" / "x"); // the last folder used becomes b
    EXPECT_TRUE(fs::exists(Temp() / "b" / "x.EDS"));
    Trigger("mnuFileSaveAs"); // cancelled
    Trigger("mnuFileNew");
    Trigger("mnuFileOpen"); // cancelled
    const auto& requests = FileDialog::History();
    ASSERT_EQ(requests.size(), 4);
    EXPECT_EQ(requests[0].Folder, QDir::homePath()); // nothing used yet
    EXPECT_EQ(requests[1].Folder, Q(Temp() / "a")); // the station's folder
    EXPECT_EQ(requests[1].ProposedName, "one");
    EXPECT_EQ(requests[2].Folder, Q(Temp() / "a"));
    EXPECT_EQ(requests[3].Folder, Q(Temp() / "b")); // no station file: the last folder
}

// --- Texts: tooltips, huge descriptions ---------------------------------------------------------

TEST_F(Desktop, TextsAreShownInFullAsTooltipAndHugeOnesCutAfterAFewHundredCharacters)
{
    // A catalog whose module has a description of 1 MB, with " C " at its very end.
    fs::copy(ShippedModules(), Temp() / "modules");
    std::string catalog = ReadBytes(Temp() / "modules" / "pn.dat");
    const std::string huge = std::string(1 << 20, 'x') + " C end";
    const std::size_t at = catalog.find("KR39DI08DC24 ") + 13;
    catalog.replace(at, catalog.find('\r', at) - at, huge);
    WriteBytes(Temp() / "modules" / "pn.dat", catalog);
    window = LoadedWindow(Temp() / "modules");

    const QTreeWidgetItem* group = window->tvCatalog()->FindNode(QStringLiteral("r05"));
    ASSERT_TRUE(group && group->childCount() > 0);
    for (int i = 0; i < group->childCount(); ++i)
        EXPECT_EQ(group->child(i)->toolTip(0), group->child(i)->text(0));
    EXPECT_EQ(window->tvCatalog()->textElideMode(), Qt::ElideNone);
    const QTreeWidgetItem* cut = window->tvCatalog()->FindNode(QStringLiteral("r01"))->child(0);
    const QString entry = cut->text(0);
    EXPECT_EQ(entry.size(), static_cast<qsizetype>(DisplayTextLimit) + 1);
    EXPECT_TRUE(entry.endsWith(QChar(0x2026)));
    EXPECT_LE(cut->toolTip(0).size(), entry.size() + entry.size() / 40);

    Place(3, "KR39SER01"); // a " C " module: it goes to the branch's end
    auto* description = window->picVexaConf()->findChild<QLabel*>("lblModDesc_4");
    EXPECT_EQ(description->toolTip(), "Serial interface RS-232 C / RS-485");
    EXPECT_EQ(window->picVexaConf()->findChild<QLabel*>("lblModPN_4")->toolTip(), "KR39SER01");
    window->picVexaIO_DblClick(4);
    EXPECT_EQ(description->toolTip(), "");
    Place(13, "KR39DI08DC24"); // the " C " at the end of its whole description moves it to 16
    auto* label = window->picVexaConf()->findChild<QLabel*>("lblModDesc_16");
    EXPECT_EQ(label->text().size(), static_cast<qsizetype>(DisplayTextLimit) + 1);

    // Long tooltips are broken at blanks into lines of up to 80 characters.
    const QString words = QString(QStringLiteral("word ")).repeated(40).trimmed();
    const QStringList lines = ToolTipText(words).split('\n');
    EXPECT_GT(lines.size(), 2);
    for (const QString& line : lines)
        EXPECT_LE(line.size(), 80);
    EXPECT_EQ(lines.join(' '), words);
}

// --- Keys, German, help ----------------------------------------------------------------------

TEST_F(Desktop, ShortcutsRunTheirCommands)
{
    const std::pair<const char*, const char*> keys[] = {{"mnuFileNew", "Ctrl+N"}, {"mnuFileOpen", "Ctrl+O"},
        {"mnuFileSave", "Ctrl+S"}, {"mnuFileSaveAs", "Ctrl+Shift+S"}, {"mnuHelpContents", "F1"}};
    for (const auto& [action, key] : keys)
        EXPECT_EQ(Action(action)->shortcut(), QKeySequence(QLatin1String(key))) << action;

    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Place(2, "KR39DI08DC24");
    FileDialog::SetNextFileName(Q(Temp() / "keys.CSE"));
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(fs::exists(Temp() / "keys.CSE"));
}

TEST(QtTranslation, LoadedInGermanOnly)
{
    auto* app = QCoreApplication::instance();
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    EXPECT_FALSE(InstallQtTranslation(*app, Language::English));
    EXPECT_EQ(cancel(), "Cancel");
    ASSERT_TRUE(InstallQtTranslation(*app, Language::German))
        << "Qt's German translation (Debian qt6-translations-l10n) is missing";
    EXPECT_EQ(cancel(), "Abbrechen");
    for (auto* translator : app->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    EXPECT_EQ(cancel(), "Cancel");
}

TEST_F(Desktop, HelpFileIsBuiltBesideTheProgramAndOpened)
{
    const fs::path help = window->Files()->HelpFilePath();
    EXPECT_EQ(help, fs::path(KR39_BIN_DIR) / "KR39_EDS.chm");
    EXPECT_EQ(ReadBytes(help).substr(0, 4), "ITSF"); // a compiled HTML help file

    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "Open");
    Trigger("mnuHelpContents");
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(recorder.Urls.size(), 1);
    EXPECT_EQ(recorder.Urls[0].toLocalFile(), Q(help));

    // A help file that is not there is said so, in the user's language.
    qputenv("LANGUAGE", "de");
    window->Files()->SetProgramDir(Temp());
    Trigger("mnuHelpContents");
    ASSERT_EQ(MessageBox::History().size(), 1);
    EXPECT_TRUE(MessageBox::History()[0].Text.startsWith("Die Hilfedatei"));
    qputenv("LANGUAGE", "en");
    window->Files()->SetHelpFile(QString());
    Trigger("mnuHelpContents");
    EXPECT_EQ(MessageBox::History().back().Text,
        "Help content could not be found. This application has no help file associated.");
}

} // namespace

#include "DesktopTest.moc"
