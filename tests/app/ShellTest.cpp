// The main window as a user meets it, driven through the actions by name with preloaded dialog
// answers: texts in both languages, layout and size, command state, the File commands with the
// question before unsaved work is replaced and the names and folders of their dialogs, Generate's
// file (that of the command line in every locale, judged by the EDS rules), full texts as
// tooltips, keys, German texts of Qt's own dialogs, About and the help file.
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QTranslator>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>

#include "GuiTest.h"
#include "app/AboutDialog.h"
#include "app/CommandLayer.h"
#include "app/FileCommands.h"
#include "app/MainLayout.h"
#include "app/Program.h"
#include "app/ResourceStrings.h"
#include "app/StatusBar.h"
#include "eds/EdsGenerator.h"
#include "eds/EdsValues.h"
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

const QString Title = QStringLiteral("KR39 Standard EDS Generator");

class Shell : public WindowTest {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    // Save and Generate, as menu entry and toolbar button, and the caption's end.
    std::tuple<bool, bool, QString> State() const
    {
        const CommandLayer* commands = window->Commands();
        EXPECT_EQ(Action("mnuFileSave")->isEnabled(), commands->ToolbarButton(3)->isEnabled());
        EXPECT_EQ(Action("mnuFileGenerate")->isEnabled(), commands->ToolbarButton(5)->isEnabled());
        return {Action("mnuFileSave")->isEnabled(), Action("mnuFileGenerate")->isEnabled(),
            window->windowTitle().mid(Title.size() + 3)};
    }
    QString StatusText() const { return window->sbStatusBar()->PanelText(1); }
    // The one message box shown since the last: its text, title and a part of its detail.
    static void ExpectOnlyMessage(const char* text, const QString& detailPart)
    {
        ASSERT_EQ(MessageBox::History().size(), 1) << text;
        const MessageBox::Shown& shown = MessageBox::History()[0];
        EXPECT_EQ(shown.Text, text);
        EXPECT_EQ(shown.Title, Title);
        EXPECT_TRUE(shown.Detail.contains(detailPart)) << shown.Detail.toStdString();
        MessageBox::ClearHistory();
    }
    // Saves the station as `stationName` (once), then generates out.EDS; returns its text.
    std::string SaveAndGenerate(const std::string& stationName)
    {
        if (window->m_station.CurrentFile.empty())
            Trigger("mnuFileSave", Temp() / stationName);
        MessageBox::ClearHistory();
        Trigger("mnuFileGenerate", Temp() / "out.EDS");
        return ReadBytes(Temp() / "out.EDS");
    }
};

// --- Texts -------------------------------------------------------------------------------

TEST(Texts, PlaceholdersAreReplacedByTheirRules)
{
    QWidget form;
    form.setProperty(TagProperty, QStringLiteral("1017"));
    auto add = [&form](auto* widget, const char* tag) {
        widget->setParent(&form);
        widget->setText(QStringLiteral("designed"));
        widget->setProperty(TagProperty, QLatin1String(tag));
        return widget;
    };
    QLabel* exact = add(new QLabel, "1034");
    QLabel* fraction = add(new QLabel, "1034.6");
    QLabel* trailingLetters = add(new QLabel, "1019abc");
    QPushButton* button = add(new QPushButton, "1019abc");
    QPushButton* outOfRange = add(new QPushButton, "99999");
    button->setToolTip(QStringLiteral("1014 open"));
    QFont big = exact->font();
    big.setPointSize(20);
    exact->setFont(big);
    ApplyResourceStrings(&form, Language::English);
    EXPECT_EQ(form.windowTitle(), "About KR39 Standard EDS Generator");
    EXPECT_EQ(exact->text(), "Inputs =");
    EXPECT_EQ(fraction->text(), "Outputs =");
    // Labels need a tag that is exactly a number; other controls take a leading number.
    EXPECT_EQ(trailingLetters->text(), "designed");
    EXPECT_EQ(button->text(), "OK");
    EXPECT_EQ(button->toolTip(), "Open");
    EXPECT_EQ(outOfRange->text(), "designed");
    EXPECT_EQ(exact->font(), form.font()); // every control takes the window's font
}

// Menu titles and entries, toolbar tips ("#n") and the caption's end, in English and German;
// the totals captions fit in either.
const char* const WindowTexts[][3] = {{"mnuFile", "&File", "&Datei"}, {"mnuHelp", "&Help", "&Hilfe"},
    {"mnuFileOpen", "&Open...", "Ö&ffnen..."}, {"mnuFileSaveAs", "Save &as...", "Speichern &unter..."},
    {"mnuHelpAbout", "&About", "Inf&o "}, {"#2", "Open", "Öffnen"}, {"#4", "", ""},
    {"#5", "Generate", "Generieren"}, {"caption", "Unknown", "Unbenannt"}};

class Languages : public Shell, public ::testing::WithParamInterface<int> { };

TEST_P(Languages, MenusToolbarCaptionAndTotalsFollowTheUserLanguage)
{
    qputenv("LANGUAGE", GetParam() == 1 ? "en_GB" : "de_AT");
    window = LoadedWindow();
    for (const auto& row : WindowTexts) {
        const QString object = QLatin1String(row[0]);
        QString shown;
        if (object.startsWith('#'))
            shown = window->Commands()->ToolbarButton(object.mid(1).toInt())->toolTip();
        else if (object == "caption")
            shown = window->windowTitle().mid(Title.size() + 3);
        else if (auto* menu = window->findChild<QMenu*>(object))
            shown = menu->title();
        else
            shown = Action(row[0])->text();
        EXPECT_EQ(shown, QString::fromUtf8(row[GetParam()])) << row[0];
    }
    // The totals captions fit in the font of the view, left of their values.
    const StationView* view = window->picVexaConf();
    for (const char* name : {"lblTotInp", "lblTotOut"}) {
        const auto* caption = view->findChild<QLabel*>(QLatin1String(name));
        EXPECT_EQ(caption->font(), view->font());
        EXPECT_GE(caption->contentsRect().width(), caption->fontMetrics().horizontalAdvance(caption->text()));
        EXPECT_GE(caption->x(), 0);
    }
    EXPECT_GT(view->findChild<QLabel*>("lblTotInputs")->x(),
        view->findChild<QLabel*>("lblTotInp")->geometry().right());
}

INSTANTIATE_TEST_SUITE_P(Table, Languages, ::testing::Values(1, 2),
    [](const auto& info) { return info.param == 1 ? "English" : "German"; });

// --- Full texts as tooltips, huge descriptions -------------------------------------------------

TEST_F(Shell, TextsAreShownInFullAsTooltipAndHugeOnesCutAfterAFewHundredCharacters)
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

// --- Layout ------------------------------------------------------------------------------

TEST_F(Shell, LayoutOfTheWorkedExampleAndAWindowThatKeepsItsMinimumSizeEvenWhenForced)
{
    // The layout in twips: the worked example, and no layout for negative sizes.
    const auto layout = ComputeMainLayout({13605, 10110, 420, 270, 900, 600});
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->Catalog, (TwipsRect {120, 480, 4425, 9320}));
    EXPECT_EQ(layout->Station, (TwipsRect {4695, 480, 8775, 9320}));
    EXPECT_EQ(layout->BoxProgress, (TwipsRect {9760, 9880, 1995, 195}));
    EXPECT_EQ(layout->StationProgress, (TwipsRect {7665, 9880, 1995, 195}));
    EXPECT_FALSE(ComputeMainLayout({9000, 10110, 420, 270, 900, 600}));
    EXPECT_FALSE(ComputeMainLayout({13605, 600, 420, 270, 900, 600}));

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto geometry = [&](const char* name) { return window->findChild<QWidget*>(name)->geometry(); };
    window->resize(300, 200);
    const QSize minimum(909,
        662 + window->menuBar()->height() + window->sbStatusBar()->height()
            + window->Commands()->tbToolBar->height());
    EXPECT_EQ(window->size(), minimum);
    // Forced below it, as a window manager (or xdotool) can, it grows back with the status bar
    // intact: the time inside at its right end, the progress bars clear of the date.
    window->windowHandle()->resize(600, 400);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->size() == minimum; }, 2000));
    QTest::qWait(50);
    StatusBar* bar = window->sbStatusBar();
    const QRect time = bar->Panel(5)->geometry();
    EXPECT_TRUE(bar->rect().contains(time)) << time.x();
    EXPECT_GT(time.left(), bar->width() - 100);
    EXPECT_LT(window->pbBox()->geometry().right(), bar->Panel(4)->mapTo(window.get(), QPoint(0, 0)).x());
    window->resize(1000, 800);
    const QRect tree = geometry("tvCatalog");
    const QRect view = geometry("picVexaConf");
    const QRect box = geometry("pbBox");
    EXPECT_EQ(tree.topLeft(), QPoint(8, window->menuBar()->height() + 32));
    EXPECT_EQ(view.left() - tree.right() - 1, 10);
    EXPECT_EQ(window->width() - view.right() - 1, 9);
    // Both end just above the status bar.
    EXPECT_EQ(window->sbStatusBar()->y() - tree.bottom() - 1, 3);
    EXPECT_EQ(window->sbStatusBar()->y() - view.bottom() - 1, 3);
    // Wider and higher: the tree grows both ways, the view only downwards and moves right.
    window->resize(1100, 850);
    EXPECT_EQ(geometry("tvCatalog").size(), tree.size() + QSize(100, 50));
    EXPECT_EQ(geometry("picVexaConf"), view.translated(100, 0).adjusted(0, 0, 0, 50));
    EXPECT_EQ(geometry("pbBox"), box.translated(100, 50));
    EXPECT_EQ(geometry("pbBox").left() - geometry("pbStation").right() - 1, 7);
    const QRect before = geometry("tvCatalog");
    window->showMinimized();
    window->LayoutPass();
    EXPECT_EQ(geometry("tvCatalog"), before);
}

// --- Commands ----------------------------------------------------------------------------

TEST_F(Shell, NewModifySaveSaveAsOpenFollowTheStation)
{
    EXPECT_EQ(State(), std::make_tuple(false, false, QString("Unknown")));
    Place(6, "KR39DI08DC24");
    EXPECT_EQ(State(), std::make_tuple(true, false, QString("Unknown")));

    // Save of an unnamed station asks for a name.
    const fs::path file = Temp() / "Grüße.CSE";
    Trigger("mnuFileSave", file);
    ASSERT_EQ(FileDialog::History().size(), 1);
    EXPECT_EQ(FileDialog::History()[0].Filter, "Configuration files (*.CSE);;All files (*.*)");
    EXPECT_EQ(ReadBytes(file).substr(0, 16), "KR39NODE000001\r\n");
    EXPECT_EQ(State(), std::make_tuple(false, true, Q(file)));

    // A named station is saved at once (the Open below reads it back); Save As always asks.
    Place(1, "KR39DO08DC24");
    Trigger("mnuFileSave");
    Trigger("mnuFileSaveAs", Temp() / "b.CSE");
    EXPECT_EQ(State(), std::make_tuple(false, true, Q(Temp() / "b.CSE")));

    // Open replaces a changed station once the user gives it up, and puts the fillers back.
    Trigger("mnuFileNew");
    Place(9, "KR39DI08DC24");
    MessageBox::SetNextAnswer(MessageBox::Answer::Discard);
    Trigger("mnuFileOpen", file);
    EXPECT_EQ(window->m_station.Slots[1].PartNo, "KR39DO08DC24");
    EXPECT_EQ(window->m_station.Slots[9].PartNo, "None");
    EXPECT_EQ(window->m_station.TotalOutputs, 1);
    EXPECT_EQ(State(), std::make_tuple(false, true, Q(file)));

    // Cancelled dialogs change nothing.
    Place(2, "KR39DI08DC24");
    const auto before = State();
    MessageBox::SetNextAnswer(MessageBox::Answer::Discard); // Open asks first
    for (const char* name : {"mnuFileSaveAs", "mnuFileOpen", "mnuFileGenerate"})
        Trigger(name);
    EXPECT_EQ(State(), before);
    EXPECT_EQ(StatusText(), "Status: OK"); // even a cancelled Generate says so
}

TEST_F(Shell, EachFailureShowsItsMessageOnce)
{
    Place(3, "KR39DI08DC24");
    Trigger("mnuFileSave", Temp() / "first.CSE");
    Place(2, "KR39DI08DC24");
    const fs::path missing = Temp() / "missing" / "x.CSE";
    Trigger("mnuFileSaveAs", missing);
    ExpectOnlyMessage("Error when saving data!!!", Q(missing));
    // The station keeps its previous name and stays modified.
    EXPECT_EQ(State(), std::make_tuple(true, true, Q(Temp() / "first.CSE")));

    Trigger("mnuFileGenerate", Temp() / "no-such-dir" / "x.EDS");
    ExpectOnlyMessage("Error when generating data!!!", "no-such-dir");

    // Running out of memory in the run: the same message, the hourglass and the bar reset.
    const auto thrower = QObject::connect(window->pbStation(), &QProgressBar::valueChanged, [](int value) {
        if (value > 0)
            throw std::bad_alloc();
    });
    Trigger("mnuFileGenerate");
    QObject::disconnect(thrower);
    ExpectOnlyMessage("Error when generating data!!!", "There is not enough memory for this operation.");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(window->pbStation()->value(), 0);

    // A module description file that is missing: the run fails before any dialog.
    fs::copy(ShippedModules(), Temp() / "modules");
    fs::remove(Temp() / "modules" / "KR39DI08DC24.dat");
    window->m_modulesDir = Temp() / "modules";
    FileDialog::ClearHistory();
    Trigger("mnuFileGenerate");
    ExpectOnlyMessage("Error when generating data!!!", "KR39DI08DC24.dat");
    EXPECT_TRUE(FileDialog::History().isEmpty());

    // A file too short to be a station leaves a new station.
    const std::string sixteen = Repeat(16, "None");
    WriteBytes(Temp() / "short.CSE", sixteen);
    window->m_station.Modified = false; // no question about the changes
    Trigger("mnuFileOpen", Temp() / "short.CSE");
    ExpectOnlyMessage("Error when loading data!!!", Q(Temp() / "short.CSE"));
    EXPECT_EQ(State(), std::make_tuple(false, false, QString("Unknown")));

    // An unknown part number is reported in the status bar, until the next redraw.
    WriteBytes(Temp() / "unknown.CSE", "KR39NODE000001\r\nkr39di08dc24\r\n" + sixteen.substr(6));
    Trigger("mnuFileOpen", Temp() / "unknown.CSE");
    EXPECT_EQ(StatusText(), "Status: PartNo not found!!!");
    const QString where = window->sbStatusBar()->Panel(1)->toolTip();
    EXPECT_TRUE(where.contains("line 2") && where.contains("kr39di08dc24")) << where.toStdString();
    EXPECT_TRUE(MessageBox::History().isEmpty());
    EXPECT_EQ(State(), std::make_tuple(false, false, QString("Unknown")));
    Trigger("mnuFileNew");
    EXPECT_EQ(StatusText(), "Status:");
    EXPECT_EQ(window->sbStatusBar()->Panel(1)->toolTip(), "");
}

// --- The question before a modified station is replaced ------------------------------------

struct QuestionCase {
    const char* Name;
    const char* Command; // the action, or "" for closing the window
    Answer Reply;
    const char* SaveAsName; // nullptr: the station has a file; "": the name dialog is cancelled
    bool GoesOn;
    bool Written;
    friend void PrintTo(const QuestionCase& c, std::ostream* os) { *os << c.Name; }
};

class Question : public Shell, public ::testing::WithParamInterface<QuestionCase> { };

TEST_P(Question, SaveDiscardOrCancel)
{
    const QuestionCase& c = GetParam();
    const fs::path other = Temp() / "other.CSE";
    WriteBytes(other, "KR39NODE000001\r\nKR39DO08DC24\r\n" + Repeat(15, "None"));
    Place(2, "KR39DI08DC24");
    const fs::path named = Temp() / "named.CSE";
    if (!c.SaveAsName)
        window->m_station.CurrentFile = named.string();
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

    ASSERT_FALSE(MessageBox::History().isEmpty());
    EXPECT_EQ(MessageBox::History()[0].Text, "Save changes to the station?");
    EXPECT_EQ(MessageBox::History()[0].Kind, MessageBox::Icon::Question);
    // Going on unloads the window or replaces the station (that of other.CSE has slot 1 only).
    EXPECT_EQ(unloaded == 0 || window->m_station.Slots[2].PartNo != "KR39DI08DC24", c.GoesOn);
    const fs::path target = c.SaveAsName && *c.SaveAsName ? Temp() / c.SaveAsName : named;
    EXPECT_EQ(fs::exists(target), c.Written);
}

INSTANTIATE_TEST_SUITE_P(Table, Question,
    ::testing::Values(QuestionCase {"ExitSaves", "mnuFileExit", Answer::Save, nullptr, true, true},
        QuestionCase {"ExitCancelled", "mnuFileExit", Answer::Cancel, nullptr, false, false},
        QuestionCase {"CloseSavesUnnamedUnderANewName", "", Answer::Save, "new.CSE", true, true},
        QuestionCase {"CloseWhenTheNameIsCancelled", "", Answer::Save, "", false, false},
        QuestionCase {"CloseWhenTheSaveFails", "", Answer::Save, "missing/x.CSE", false, false},
        QuestionCase {"NewCancelled", "mnuFileNew", Answer::Cancel, nullptr, false, false},
        QuestionCase {"OpenCancelled", "mnuFileOpen", Answer::Cancel, nullptr, false, false}),
    [](const auto& info) { return std::string(info.param.Name); });

// --- Names and folders of the file dialogs ---------------------------------------------------

TEST_F(Shell, DialogsAddTheExtensionAndStartInTheStationsFolderElseTheLastOneUsed)
{
    // The file type's extension is added only to a name without one.
    const char* const cases[][3] = {{"/d/Line4", "Configuration files (*.CSE)", "/d/Line4.CSE"},
        {"/d.x/Line4", "EDS Dateien (*.EDS)", "/d.x/Line4.EDS"},
        {"/d/Line4.cse", "Configuration files (*.CSE)", "/d/Line4.cse"},
        {"/d/Line4.v2", "EDS files (*.EDS)", "/d/Line4.v2"}, {"/d/Line4", "All files (*.*)", "/d/Line4"},
        {"/d/Line4", "All files (*)", "/d/Line4"}, {"", "EDS files (*.EDS)", ""}};
    for (const auto& [name, filter, result] : cases)
        EXPECT_EQ(WithFilterExtension(QLatin1String(name), QLatin1String(filter)), QLatin1String(result))
            << name << " " << filter;

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

// --- Generate and the EDS rules ------------------------------------------------------------

TEST_F(Shell, GeneratedFileIsTheCommandLinesInEveryLocaleAndPassesTheRules)
{
    Place(1, "KR39AI04RTD");
    Trigger("mnuFileSave", Temp() / "Line4.CSE");
    Place(2, "KR39AO04I20"); // changes since the save are generated too
    for (const char* locale : {"de_DE", "ja_JP", "ar_SA", "en_US"}) {
        SCOPED_TRACE(locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        const auto text = SaveAndGenerate("Line4.CSE");
        EXPECT_EQ(FileDialog::History().back().Filter, "EDS files (*.EDS);;All files (*.*)");
        EXPECT_TRUE(MessageBox::History().isEmpty());
        EXPECT_EQ(StatusText(), "Status: OK");
        const auto expected
            = GenerateEds(MakeGenerateInput(window->m_station, ShippedModules(), TodayEdsDate()));
        ASSERT_TRUE(expected.Ok());
        EXPECT_EQ(text, expected.Value()); // today's date, and the station as it is now
    }
    EXPECT_EQ(window->pbStation()->value(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window->m_station.Modified); // the station is unchanged
}

TEST_F(Shell, GeneratedFilesWarningsAreCountedInTheStatusBarAndErrorsShown)
{
    Place(1, "KR39PS24");
    auto text = SaveAndGenerate("S\xC3\xBC"
                                "d \"A\".CSE");
    EXPECT_NE(text.find("$ Station S\xFC"
                        "d _A_, generated"),
        std::string::npos);
    EXPECT_TRUE(MessageBox::History().isEmpty());
    EXPECT_EQ(StatusText(), "Status: OK (1 warning)");

    // A library whose EDS files break the rules: the file is written, its errors are shown.
    fs::copy(ShippedModules(), Temp() / "modules");
    auto tmpl = ReadBytes(Temp() / "modules" / "KR39NODE000001.dat");
    tmpl.replace(tmpl.find("MaxInst = <INSTNO>"), 18, "MaxInst = 3");
    tmpl.replace(tmpl.find("MajRev = 1"), 10, "MajRev = 0");
    WriteBytes(Temp() / "modules" / "KR39NODE000001.dat", tmpl);
    window = LoadedWindow(Temp() / "modules");
    Place(1, "KR39PS24");
    text = SaveAndGenerate("Line4.CSE");
    EXPECT_NE(text.find("MaxInst = 3;"), std::string::npos);
    ASSERT_EQ(MessageBox::History().size(), 1);
    const auto& box = MessageBox::History().back();
    EXPECT_EQ(box.Kind, MessageBox::Icon::Critical);
    EXPECT_EQ(box.Title, QStringLiteral("KR39 Standard EDS Generator"));
    EXPECT_TRUE(box.Text.contains(QStringLiteral("out.EDS:22: error: MajRev 0 is outside 1..127\n"
                                                 "out.EDS:56: error: MaxInst is 3 but [Params] holds 6")))
        << box.Text.toStdString();
    EXPECT_EQ(StatusText(), "Status: OK");
}

// --- Keys, German, help ----------------------------------------------------------------------

TEST_F(Shell, ShortcutsRunTheirCommands)
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
    ASSERT_TRUE(InstallQtTranslation(*app, Language::German))
        << "Qt's German translation (Debian qt6-translations-l10n) is missing";
    EXPECT_EQ(cancel(), "Abbrechen");
    for (auto* translator : app->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

TEST_F(Shell, HelpMenuShowsAboutAndOpensTheHelpFileBuiltBesideTheProgram)
{
    window->show();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        bool checked = false;
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            EXPECT_EQ(about->findChild<QLabel*>("lblTitle")->text(), Title);
            EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), "Version 1.0.6");
            EXPECT_TRUE(about->findChild<QLabel*>("lblDescription")->text().startsWith("Standard EDS File"));
            EXPECT_EQ(about->findChild<QLabel*>("picIcon")->pixmap().toImage().convertToFormat(
                          QImage::Format_RGB32),
                QImage(QStringLiteral(KR39_SOURCE_DIR "/src/resources/bitmaps/101.bmp")));
            checked = true;
            QTest::keyClick(about, key);
        });
        Trigger("mnuHelpAbout");
        EXPECT_TRUE(checked);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    // The program icon is the committed picture.
    const QImage icon(QStringLiteral(KR39_SOURCE_DIR "/src/resources/icons/101.png"));
    EXPECT_EQ(window->windowIcon().pixmap(64).toImage().convertToFormat(icon.format()), icon);

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

#include "ShellTest.moc"
