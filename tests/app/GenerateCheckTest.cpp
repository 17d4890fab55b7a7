// Generate in the window: the EDS date and file name are those of the command line in every
// locale, and the new file is judged by the EDS rules (warnings counted in the status bar,
// errors shown in a message box).
#include <QAction>
#include <QLocale>

#include "GuiTest.h"
#include "app/StatusBar.h"
#include "eds/EdsGenerator.h"
#include "eds/EdsValues.h"

namespace fs = std::filesystem;
using namespace kr39;
using namespace kr39::test;

namespace {

class GenerateCheck : public GuiTest {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    // Saves the station as `stationName` (once), then generates out.EDS; returns its text.
    std::string SaveAndGenerate(MainWindow& window, const std::string& stationName)
    {
        if (window.m_station.CurrentFile.empty())
            Trigger(window, "mnuFileSave", Temp() / stationName);
        MessageBox::ClearHistory();
        Trigger(window, "mnuFileGenerate", Temp() / "out.EDS");
        return ReadBytes(Temp() / "out.EDS");
    }
    static void Trigger(MainWindow& window, const char* name, const fs::path& answer)
    {
        auto* action = window.findChild<QAction*>(QLatin1String(name));
        ASSERT_TRUE(action && action->isEnabled()) << name;
        FileDialog::SetNextFileName(QString::fromStdString(answer.string()));
        action->trigger();
    }
};

} // namespace

TEST_F(GenerateCheck, TheFileIsTheCommandLinesInEveryLocaleAndPassesTheRules)
{
    auto window = LoadedWindow();
    Place(*window, 1, "KR39AI04RTD");
    Place(*window, 2, "KR39AO04I20");
    for (const char* locale : {"de_DE", "ja_JP", "ar_SA", "en_US"}) {
        SCOPED_TRACE(locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        const auto text = SaveAndGenerate(*window, "Line4.CSE");
        EXPECT_TRUE(MessageBox::History().isEmpty());
        EXPECT_EQ(window->sbStatusBar()->PanelText(1), "Status: OK");
        const auto expected
            = GenerateEds(MakeGenerateInput(window->m_station, ShippedModules(), TodayEdsDate()));
        ASSERT_TRUE(expected.Ok());
        EXPECT_EQ(text, expected.Value());
        EXPECT_NE(text.find("CreateDate = " + TodayEdsDate() + ";"), std::string::npos);
    }
}

TEST_F(GenerateCheck, WarningsAreCountedInTheStatusBar)
{
    auto window = LoadedWindow();
    Place(*window, 1, "KR39PS24");
    const auto text = SaveAndGenerate(*window,
        "S\xC3\xBC"
        "d \"A\".CSE");
    EXPECT_NE(text.find("$ Station S\xFC"
                        "d _A_, generated"),
        std::string::npos);
    EXPECT_TRUE(MessageBox::History().isEmpty());
    EXPECT_EQ(window->sbStatusBar()->PanelText(1), "Status: OK (1 warning)");
}

TEST_F(GenerateCheck, ErrorsAreShownWithTheirLinesAndTheFileStays)
{
    fs::copy(ShippedModules(), Temp() / "modules");
    auto tmpl = ReadBytes(Temp() / "modules" / "KR39NODE000001.dat");
    tmpl.replace(tmpl.find("MaxInst = <INSTNO>"), 18, "MaxInst = 3");
    tmpl.replace(tmpl.find("MajRev = 1"), 10, "MajRev = 0");
    WriteBytes(Temp() / "modules" / "KR39NODE000001.dat", tmpl);
    auto window = LoadedWindow(Temp() / "modules");
    Place(*window, 1, "KR39PS24");
    const auto text = SaveAndGenerate(*window, "Line4.CSE");
    EXPECT_NE(text.find("MaxInst = 3;"), std::string::npos);
    ASSERT_EQ(MessageBox::History().size(), 1);
    const auto& box = MessageBox::History().back();
    EXPECT_EQ(box.Kind, MessageBox::Icon::Critical);
    EXPECT_EQ(box.Title, QStringLiteral("KR39 Standard EDS Generator"));
    EXPECT_TRUE(box.Text.contains(QStringLiteral("out.EDS:22: error: MajRev 0 is outside 1..127\n"
                                                 "out.EDS:56: error: MaxInst is 3 but [Params] holds 6")))
        << box.Text.toStdString();
    EXPECT_EQ(window->sbStatusBar()->PanelText(1), "Status: OK");
}
