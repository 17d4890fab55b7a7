// Generate in the window: the EDS date and file name are those of the command line in every
// locale, and the new file is judged by the EDS rules (warnings counted in the status bar,
// errors shown in a message box).
#include <QLocale>
#include <QProgressBar>

#include "GuiTest.h"
#include "app/StatusBar.h"
#include "eds/EdsGenerator.h"
#include "eds/EdsValues.h"

namespace fs = std::filesystem;
using namespace kr39;
using namespace kr39::test;

namespace {

class GenerateCheck : public WindowTest {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

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

} // namespace

TEST_F(GenerateCheck, TheFileIsTheCommandLinesInEveryLocaleAndPassesTheRules)
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
        EXPECT_EQ(window->sbStatusBar()->PanelText(1), "Status: OK");
        const auto expected
            = GenerateEds(MakeGenerateInput(window->m_station, ShippedModules(), TodayEdsDate()));
        ASSERT_TRUE(expected.Ok());
        EXPECT_EQ(text, expected.Value()); // today's date, and the station as it is now
    }
    EXPECT_EQ(window->pbStation()->value(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window->m_station.Modified); // the station is unchanged
}

TEST_F(GenerateCheck, WarningsAreCountedInTheStatusBarAndErrorsShownWithTheirLines)
{
    Place(1, "KR39PS24");
    auto text = SaveAndGenerate("S\xC3\xBC"
                                "d \"A\".CSE");
    EXPECT_NE(text.find("$ Station S\xFC"
                        "d _A_, generated"),
        std::string::npos);
    EXPECT_TRUE(MessageBox::History().isEmpty());
    EXPECT_EQ(window->sbStatusBar()->PanelText(1), "Status: OK (1 warning)");

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
    EXPECT_EQ(window->sbStatusBar()->PanelText(1), "Status: OK");
}
