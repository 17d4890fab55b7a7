// Command state, caption and the File and Help commands of the main window, driven through
// the actions by name with preloaded dialog answers.
#include <QAction>
#include <QDesktopServices>
#include <QProgressBar>
#include <QUrl>

#include "GuiTest.h"
#include "app/CommandLayer.h"
#include "app/FileCommands.h"
#include "app/StatusBar.h"
#include "catalog/Catalog.h"
#include "station/Station.h"

namespace fs = std::filesystem;
using namespace kr39;
using namespace kr39::test;

// Catches the URLs handed to the desktop's viewer (Qt's own seam for QDesktopServices).
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void Open(const QUrl& url) { Urls.append(url); }
};

namespace {

const QString Title = QStringLiteral("KR39 Standard EDS Generator");

class Commands : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        window = LoadedWindow();
        ASSERT_TRUE(window);
    }

    QAction* Action(const char* name) const
    {
        auto* action = window->findChild<QAction*>(QLatin1String(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }

    bool ButtonEnabled(int index) const { return window->Commands()->ToolbarButton(index)->isEnabled(); }

    // Triggers an action by name after checking that it is enabled.
    void Trigger(const char* name)
    {
        QAction* action = Action(name);
        ASSERT_TRUE(action->isEnabled()) << name;
        action->trigger();
    }

    // Places a module the way a drop does, then redraws and updates the command state.
    void Place(int slot, const char* partNo)
    {
        const auto* entry = window->m_catalog.Find(partNo);
        ASSERT_NE(entry, nullptr);
        const std::string dragText = entry->PartNo + " " + entry->Description;
        DropModule(window->m_station, window->m_catalog, slot, dragText);
        window->DrawStation();
        window->UpdateCommandState();
    }

    QString StatusText() const { return window->sbStatusBar()->PanelText(1); }

    std::unique_ptr<MainWindow> window;
};

TEST_F(Commands, FreshStartHasSaveAndGenerateDisabledAndUnknownCaption)
{
    EXPECT_FALSE(Action("mnuFileSave")->isEnabled());
    EXPECT_FALSE(ButtonEnabled(3));
    EXPECT_FALSE(Action("mnuFileGenerate")->isEnabled());
    EXPECT_FALSE(ButtonEnabled(5));
    EXPECT_EQ(window->windowTitle(), Title + " - Unknown");
    EXPECT_EQ(window->m_station.Slots[0].PartNo, "KR39NODE000001");
    EXPECT_EQ(StatusText(), "Status:");
    // Every other command is available.
    for (const char* name :
        {"mnuFileNew", "mnuFileOpen", "mnuFileSaveAs", "mnuFileExit", "mnuHelpContents", "mnuHelpAbout"})
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
}

struct StateCase {
    bool Modified;
    const char* CurrentFile;
    bool SaveEnabled;
    bool GenerateEnabled;
    const char* CaptionEnd;
};

class CommandState : public Commands, public ::testing::WithParamInterface<StateCase> { };

TEST_P(CommandState, FollowsModifiedAndCurrentFile)
{
    const StateCase& c = GetParam();
    window->m_station.Modified = c.Modified;
    window->m_station.CurrentFile = c.CurrentFile;
    window->UpdateCommandState();
    EXPECT_EQ(Action("mnuFileSave")->isEnabled(), c.SaveEnabled);
    EXPECT_EQ(ButtonEnabled(3), c.SaveEnabled);
    EXPECT_EQ(Action("mnuFileGenerate")->isEnabled(), c.GenerateEnabled);
    EXPECT_EQ(ButtonEnabled(5), c.GenerateEnabled);
    EXPECT_EQ(window->windowTitle(), Title + " - " + QString::fromUtf8(c.CaptionEnd));
}

INSTANTIATE_TEST_SUITE_P(Table, CommandState,
    ::testing::Values(StateCase {false, "", false, false, "Unknown"},
        StateCase {true, "", true, false, "Unknown"},
        StateCase {false, "/data/Line4.CSE", false, true, "/data/Line4.CSE"},
        StateCase {true, "/data/Line4.CSE", true, true, "/data/Line4.CSE"},
        StateCase {false, "/data/Grüße.CSE", false, true, "/data/Grüße.CSE"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(Commands, SaveAskedForANameWritesTheStationAndNamesIt)
{
    Place(6, "KR39DI08DC24");
    EXPECT_TRUE(ButtonEnabled(3));
    EXPECT_FALSE(ButtonEnabled(5));
    EXPECT_EQ(window->windowTitle(), Title + " - Unknown");

    const QString file = QString::fromStdString((Temp() / "Line4.CSE").string());
    FileDialog::SetNextFileName(file);
    Trigger("mnuFileSave");

    ASSERT_EQ(FileDialog::History().size(), 1);
    EXPECT_TRUE(FileDialog::History()[0].Save);
    EXPECT_EQ(FileDialog::History()[0].Filter, "Configuration files (*.CSE);;All files (*.*)");
    const std::string saved = ReadFile(Temp() / "Line4.CSE");
    EXPECT_EQ(saved.substr(0, 16), "KR39NODE000001\r\n");
    EXPECT_NE(saved.find("KR39DI08DC24\r\n"), std::string::npos);
    EXPECT_EQ(saved.find("Bus"), std::string::npos);
    EXPECT_FALSE(window->m_station.Modified);
    EXPECT_FALSE(ButtonEnabled(3));
    EXPECT_TRUE(ButtonEnabled(5));
    EXPECT_EQ(window->windowTitle(), Title + " - " + file);

    // A named station is saved at once, without a dialog.
    Place(1, "KR39DO08DC24");
    FileDialog::ClearHistory();
    Trigger("mnuFileSave");
    EXPECT_TRUE(FileDialog::History().isEmpty());
    EXPECT_EQ(ReadFile(Temp() / "Line4.CSE").substr(16, 14), "KR39DO08DC24\r\n");
    EXPECT_TRUE(MessageBox::History().isEmpty());
}

TEST_F(Commands, CancelledDialogsChangeNothing)
{
    Place(2, "KR39DI08DC24");
    const Station before = window->m_station;
    const QString caption = window->windowTitle();
    for (const char* name : {"mnuFileSave", "mnuFileSaveAs", "mnuFileOpen"}) {
        FileDialog::SetNextFileName(QString());
        Trigger(name);
        EXPECT_EQ(window->m_station.CurrentFile, before.CurrentFile) << name;
        EXPECT_EQ(window->m_station.Modified, before.Modified) << name;
        EXPECT_EQ(window->m_station.Slots[2].PartNo, "KR39DI08DC24") << name;
        EXPECT_EQ(window->windowTitle(), caption) << name;
    }
    EXPECT_EQ(FileDialog::History().size(), 3);
    EXPECT_TRUE(MessageBox::History().isEmpty());
}

TEST_F(Commands, SaveFailureShowsMessageAndKeepsTheStationModified)
{
    Place(3, "KR39DI08DC24");
    const QString file = QString::fromStdString((Temp() / "missing" / "x.CSE").string());
    FileDialog::SetNextFileName(file);
    Trigger("mnuFileSave");

    ASSERT_EQ(MessageBox::History().size(), 1);
    EXPECT_EQ(MessageBox::History()[0].Title, Title);
    EXPECT_EQ(MessageBox::History()[0].Text, "Error when saving data!!!");
    EXPECT_EQ(MessageBox::History()[0].Kind, MessageBox::Icon::None);
    EXPECT_TRUE(window->m_station.Modified);
    EXPECT_TRUE(ButtonEnabled(3));
    // The chosen name stays, and caption and Generate follow it.
    EXPECT_EQ(window->windowTitle(), Title + " - " + file);
}

TEST_F(Commands, SaveAsAlwaysAsksAndRenamesTheStation)
{
    const QString first = QString::fromStdString((Temp() / "a.CSE").string());
    const QString second = QString::fromStdString((Temp() / "b.CSE").string());
    FileDialog::SetNextFileName(first);
    Trigger("mnuFileSaveAs");
    FileDialog::SetNextFileName(second);
    Trigger("mnuFileSaveAs");
    EXPECT_EQ(FileDialog::History().size(), 2);
    EXPECT_TRUE(fs::exists(Temp() / "a.CSE"));
    EXPECT_TRUE(fs::exists(Temp() / "b.CSE"));
    EXPECT_EQ(window->windowTitle(), Title + " - " + second);
    EXPECT_FALSE(ButtonEnabled(3));
    EXPECT_TRUE(ButtonEnabled(5));
}

TEST_F(Commands, OpenRestoresTheStationWithFillersAndNamesIt)
{
    std::string lines = "KR39NODE000001\r\n";
    for (int slot = 1; slot <= 16; ++slot)
        lines += (slot == 4 ? "KR39DO08DC24" : "None") + std::string("\r\n");
    WriteFile(Temp() / "in.CSE", lines + "extra line\r\n");
    Place(9, "KR39DI08DC24"); // replaced without a question

    const QString file = QString::fromStdString((Temp() / "in.CSE").string());
    FileDialog::SetNextFileName(file);
    Trigger("mnuFileOpen");

    const auto& table = window->m_station.Slots;
    EXPECT_EQ(table[4].PartNo, "KR39DO08DC24");
    EXPECT_EQ(table[1].PartNo, "Bus");
    EXPECT_EQ(table[3].PartNo, "Bus");
    EXPECT_EQ(table[9].PartNo, "None");
    EXPECT_EQ(table[9].Inputs, 0);
    EXPECT_FALSE(window->m_station.Modified);
    EXPECT_EQ(window->m_station.TotalOutputs, 1);
    EXPECT_EQ(window->windowTitle(), Title + " - " + file);
    EXPECT_FALSE(ButtonEnabled(3));
    EXPECT_TRUE(ButtonEnabled(5));
    EXPECT_EQ(StatusText(), "Status:");
    EXPECT_TRUE(MessageBox::History().isEmpty());
}

TEST_F(Commands, OpenOfAShortOrMissingFileShowsLoadErrorAndLeavesANewStation)
{
    std::string sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen += "None\r\n";
    WriteFile(Temp() / "short.CSE", sixteen);
    for (const fs::path& path : {Temp() / "short.CSE", Temp() / "absent.CSE"}) {
        Place(5, "KR39DI08DC24");
        MessageBox::ClearHistory();
        FileDialog::SetNextFileName(QString::fromStdString(path.string()));
        Trigger("mnuFileOpen");
        ASSERT_EQ(MessageBox::History().size(), 1) << path;
        EXPECT_EQ(MessageBox::History()[0].Text, "Error when loading data!!!");
        EXPECT_EQ(MessageBox::History()[0].Title, Title);
        EXPECT_EQ(MessageBox::History()[0].Kind, MessageBox::Icon::None);
        EXPECT_EQ(window->m_station.Slots[5].PartNo, "None");
        EXPECT_TRUE(window->m_station.CurrentFile.empty());
        EXPECT_EQ(window->windowTitle(), Title + " - Unknown");
        EXPECT_FALSE(ButtonEnabled(5));
    }
}

TEST_F(Commands, OpenWithAnUnknownPartNumberReportsInTheStatusBar)
{
    std::string lines = "KR39NODE000001\r\nkr39di08dc24\r\n";
    for (int slot = 2; slot <= 16; ++slot)
        lines += "None\r\n";
    WriteFile(Temp() / "unknown.CSE", lines);
    FileDialog::SetNextFileName(QString::fromStdString((Temp() / "unknown.CSE").string()));
    Trigger("mnuFileOpen");
    EXPECT_EQ(StatusText(), "Status: PartNo not found!!!");
    EXPECT_TRUE(MessageBox::History().isEmpty());
    EXPECT_TRUE(window->m_station.CurrentFile.empty());
    EXPECT_EQ(window->m_station.Slots[1].PartNo, "None");
    EXPECT_EQ(window->windowTitle(), Title + " - Unknown");

    // The next redraw sets the status back.
    Trigger("mnuFileNew");
    EXPECT_EQ(StatusText(), "Status:");
}

class Generate : public Commands {
protected:
    void SetUp() override
    {
        Commands::SetUp();
        Place(1, "KR39DI08DC24");
        Place(7, "KR39DO08DC24");
        FileDialog::SetNextFileName(QString::fromStdString((Temp() / "Line4.CSE").string()));
        Trigger("mnuFileSave");
        MessageBox::ClearHistory();
        FileDialog::ClearHistory();
    }
};

TEST_F(Generate, WritesTheFileTheUserNamesAndReportsOk)
{
    Place(16, "KR39DI08DC24"); // changes since the save are generated too
    const fs::path eds = Temp() / "out.EDS";
    FileDialog::SetNextFileName(QString::fromStdString(eds.string()));
    Trigger("mnuFileGenerate");

    ASSERT_EQ(FileDialog::History().size(), 1);
    EXPECT_EQ(FileDialog::History()[0].ProposedName, "Line4");
    EXPECT_EQ(FileDialog::History()[0].Filter, "EDS files (*.EDS);;All files (*.*)");
    EXPECT_TRUE(MessageBox::History().isEmpty());
    EXPECT_EQ(StatusText(), "Status: OK");
    const std::string text = ReadFile(eds);
    EXPECT_NE(text.find("KR39 station Line4"), std::string::npos);
    EXPECT_EQ(text.find("<FILENAME>"), std::string::npos);
    EXPECT_NE(text.find("Box 03 "), std::string::npos);
    EXPECT_EQ(window->pbStation()->value(), 0);
    EXPECT_EQ(window->pbBox()->value(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The station is unchanged.
    EXPECT_TRUE(window->m_station.Modified);
    EXPECT_EQ(fs::path(window->m_station.CurrentFile).filename(), "Line4.CSE");
}

TEST_F(Generate, CancelWritesNothingButStatusSaysOk)
{
    Trigger("mnuFileGenerate");
    EXPECT_EQ(FileDialog::History().size(), 1);
    EXPECT_EQ(StatusText(), "Status: OK");
    EXPECT_TRUE(MessageBox::History().isEmpty());
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Temp()))
        ++files;
    EXPECT_EQ(files, 1); // Line4.CSE alone
}

TEST_F(Generate, FailuresShowTheGenerateErrorAndRestoreThePointer)
{
    // A module description file that is missing: the run fails before any dialog.
    const fs::path modules = Temp() / "modules";
    fs::copy(ShippedModules(), modules);
    fs::remove(modules / "KR39DO08DC24.dat");
    window->m_modulesDir = modules;
    window->sbStatusBar()->SetPanelText(1, QStringLiteral("Status:"));
    Trigger("mnuFileGenerate");
    ASSERT_EQ(MessageBox::History().size(), 1);
    EXPECT_EQ(MessageBox::History()[0].Text, "Error when generating data!!!");
    EXPECT_EQ(MessageBox::History()[0].Title, Title);
    EXPECT_EQ(MessageBox::History()[0].Kind, MessageBox::Icon::None);
    EXPECT_TRUE(FileDialog::History().isEmpty());
    EXPECT_EQ(StatusText(), "Status:");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(window->pbStation()->value(), 0);
    EXPECT_EQ(window->pbBox()->value(), 0);

    // A target that cannot be written: the dialog was answered, the write fails.
    window->m_modulesDir = ShippedModules();
    MessageBox::ClearHistory();
    FileDialog::SetNextFileName(QString::fromStdString((Temp() / "no-such-dir" / "x.EDS").string()));
    Trigger("mnuFileGenerate");
    ASSERT_EQ(MessageBox::History().size(), 1);
    EXPECT_EQ(MessageBox::History()[0].Text, "Error when generating data!!!");
    EXPECT_EQ(StatusText(), "Status: OK");
}

TEST_F(Commands, HelpOpensTheHelpFileOfTheProgramFolder)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    window->Files()->SetProgramDir(Temp());
    Trigger("mnuHelpContents");
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(catcher.Urls.size(), 1);
    EXPECT_EQ(catcher.Urls[0].toLocalFile(), QString::fromStdString((Temp() / "KR39_EDS.chm").string()));
    EXPECT_TRUE(MessageBox::History().isEmpty());
}

TEST_F(Commands, HelpWithoutAHelpFileSaysSo)
{
    window->Files()->SetHelpFile(QString());
    Trigger("mnuHelpContents");
    ASSERT_EQ(MessageBox::History().size(), 1);
    EXPECT_EQ(MessageBox::History()[0].Text,
        "Help content could not be found. This application has no help file associated.");
    EXPECT_EQ(MessageBox::History()[0].Kind, MessageBox::Icon::Information);
    EXPECT_EQ(MessageBox::History()[0].Title, Title + " - Unknown");
}

TEST_F(Commands, ExitEndsAtOnceWithUnsavedChangesAndStatusZero)
{
    Place(2, "KR39DI08DC24");
    int status = -1;
    QObject::connect(window.get(), &MainWindow::Unloaded, [&](int s) { status = s; });
    window->show();
    Trigger("mnuFileExit");
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(MessageBox::History().isEmpty());
}

TEST_F(Commands, ToolbarButtonsCarryTheirKeysAndShareTheMenuActions)
{
    const char* keys[] = {"Neu", "Öffnen", "Speichern", "", "Generieren"};
    const char* images[] = {"New", "Open", "Save", "", "Crdfle13"};
    const char* tips[] = {"New", "Open", "Save", "", "Generate"};
    for (int i = 1; i <= 5; ++i) {
        QWidget* button = window->Commands()->ToolbarButton(i);
        ASSERT_NE(button, nullptr) << i;
        EXPECT_EQ(button->property("Key").toString(), QString::fromUtf8(keys[i - 1])) << i;
        EXPECT_EQ(button->property("ImageKey").toString(), QLatin1String(images[i - 1])) << i;
        if (i != 4)
            EXPECT_EQ(button->toolTip(), QLatin1String(tips[i - 1])) << i;
    }
    // Clicking the New button runs the New command.
    Place(2, "KR39DI08DC24");
    window->show();
    QTest::mouseClick(window->Commands()->ToolbarButton(1), Qt::LeftButton);
    EXPECT_EQ(window->m_station.Slots[2].PartNo, "None");
    EXPECT_FALSE(window->m_station.Modified);
    // The separator does nothing.
    QTest::mouseClick(window->Commands()->ToolbarButton(4), Qt::LeftButton);
    EXPECT_TRUE(MessageBox::History().isEmpty());
    EXPECT_TRUE(FileDialog::History().isEmpty());
}

TEST_F(Commands, RecentFileEntriesStayHidden)
{
    for (const char* name : {"mnuFileMRU_1", "mnuFileMRU_2", "mnuFileMRU_3", "mnuFileBar4"})
        EXPECT_FALSE(Action(name)->isVisible()) << name;
    for (const char* name : {"mnuFileBar0", "mnuFileBar1", "mnuFileBar3", "mnuHelpBar0"})
        EXPECT_TRUE(Action(name)->isSeparator()) << name;
}

} // namespace

#include "CommandsTest.moc"
