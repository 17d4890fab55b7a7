// Save and Generate through the main window while one step of writing the file fails: the
// written message is shown, the file that was there keeps every byte, no temporary file is
// left, and the station is not changed by the failure.
#include <QAction>

#include "GuiTest.h"
#include "app/StatusBar.h"
#include "catalog/Catalog.h"
#include "station/Station.h"
#include "util/FileIo.h"

namespace fs = std::filesystem;
using namespace kr39;
using namespace kr39::test;

namespace {

class FileRobustness : public GuiTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        window = LoadedWindow();
        ASSERT_TRUE(window);
        folder = Temp() / "files";
        fs::create_directories(folder);
        // A station with two modules that has been saved once, then changed.
        Place(2, "KR39DI08DC24");
        Place(7, "KR39DO04RLY");
        window->m_station.CurrentFile = (folder / "Line4.CSE").string();
        window->UpdateCommandState();
    }
    void TearDown() override { SetWriteFaultHookForTesting(nullptr); }

    void Place(int slot, const char* partNo)
    {
        const auto* entry = window->m_catalog.Find(partNo);
        ASSERT_NE(entry, nullptr) << partNo;
        DropModule(window->m_station, window->m_catalog, slot, entry->PartNo + " " + entry->Description);
        window->DrawStation();
        window->UpdateCommandState();
    }
    // Triggers the action by name, with the write step GetParam() failing.
    void TriggerFailing(const char* name)
    {
        auto* action = window->findChild<QAction*>(QLatin1String(name));
        ASSERT_NE(action, nullptr) << name;
        ASSERT_TRUE(action->isEnabled()) << name;
        const std::string failing = GetParam();
        SetWriteFaultHookForTesting([failing](std::string_view step) { return step != failing; });
        action->trigger();
        SetWriteFaultHookForTesting(nullptr);
    }
    void ExpectOnlyMessage(const QString& text)
    {
        ASSERT_EQ(MessageBox::History().size(), 1);
        EXPECT_EQ(MessageBox::History()[0].Text, text);
    }
    std::size_t EntriesIn(const fs::path& dir) const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    std::unique_ptr<MainWindow> window;
    fs::path folder;
};

using namespace std::string_literals;
const std::string kOldBytes = "old contents\r\nwith \xE4 and \x00 bytes\r\n"s;

} // namespace

TEST_P(FileRobustness, FailedSaveAtEveryStep)
{
    const fs::path file = window->m_station.CurrentFile;
    WriteFile(file, kOldBytes);
    const auto before = window->m_station.Slots;
    TriggerFailing("mnuFileSave");

    ExpectOnlyMessage(QStringLiteral("Error when saving data!!!"));
    EXPECT_EQ(ReadFile(file), kOldBytes);
    EXPECT_EQ(EntriesIn(folder), 1u);
    EXPECT_TRUE(window->m_station.Modified);
    EXPECT_EQ(window->m_station.CurrentFile, file.string());
    for (int slot = 0; slot < SlotCount; ++slot)
        EXPECT_EQ(window->m_station.Slots[slot].PartNo, before[slot].PartNo);

    // The same save goes through once the fault is gone.
    MessageBox::ClearHistory();
    window->findChild<QAction*>(QStringLiteral("mnuFileSave"))->trigger();
    EXPECT_TRUE(MessageBox::History().isEmpty());
    EXPECT_FALSE(window->m_station.Modified);
    EXPECT_NE(ReadFile(file), kOldBytes);
}

TEST_P(FileRobustness, FailedGenerateAtEveryStep)
{
    const fs::path eds = folder / "Line4.EDS";
    WriteFile(eds, kOldBytes);
    FileDialog::SetNextFileName(QString::fromStdString(eds.string()));
    TriggerFailing("mnuFileGenerate");

    ExpectOnlyMessage(QStringLiteral("Error when generating data!!!"));
    EXPECT_EQ(ReadFile(eds), kOldBytes);
    EXPECT_EQ(EntriesIn(folder), 1u);
    // Generating changes nothing in the station.
    EXPECT_TRUE(window->m_station.Modified);
    EXPECT_EQ(window->m_station.Slots[2].PartNo, "KR39DI08DC24");
}

INSTANTIATE_TEST_SUITE_P(Steps, FileRobustness,
    ::testing::Values("create", "write", "flush", "close", "rename"),
    [](const auto& info) { return std::string(info.param); });
