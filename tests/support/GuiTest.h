// Helpers shared by the widget tests: files and a main window on fresh settings.
#pragma once

#include <QAction>
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "../TestSupport.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "catalog/CatalogTree.h"
#include "station/Station.h"

// GoogleTest prints a QString as its text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace kr39::test {

using kr39test::ReadBytes;
using kr39test::Repeat;
using kr39test::WriteBytes;

inline std::filesystem::path ShippedModules()
{
    return std::filesystem::path(KR39_SOURCE_DIR) / "modules";
}

inline QSettings Settings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KR39"),
        QStringLiteral("KR39 Standard EDS Generator"));
}

// A fresh GUI test: empty settings store, no recorded dialogs, English texts.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings().clear();
        MessageBox::ClearHistory();
        FileDialog::ClearHistory();
        qputenv("LANGUAGE", "en");
        ASSERT_TRUE(m_temp.isValid());
    }

    std::filesystem::path Temp() const { return std::filesystem::path(m_temp.path().toStdString()); }

    // The main window loaded on `modulesDir`, its start-up step run.
    std::unique_ptr<MainWindow> LoadedWindow(const std::filesystem::path& modulesDir = ShippedModules())
    {
        auto window = std::make_unique<MainWindow>(modulesDir);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->IsInitialized(); }));
        return window;
    }

    static QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

    QTemporaryDir m_temp;
};

// A test on the loaded main window, driven through its actions by name.
class WindowTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        window = LoadedWindow();
    }
    QAction* Action(const char* name) const { return window->findChild<QAction*>(QLatin1String(name)); }
    // Triggers an enabled action; a file dialog it opens answers `answer` (none: cancelled).
    void Trigger(const char* name, const std::filesystem::path& answer = {})
    {
        ASSERT_TRUE(Action(name) && Action(name)->isEnabled()) << name;
        if (!answer.empty())
            FileDialog::SetNextFileName(Q(answer));
        Action(name)->trigger();
    }
    // Places a catalog module the way a drop does, then redraws and updates the command state.
    void Place(int slot, const char* partNo)
    {
        const auto* entry = window->m_catalog.Find(partNo);
        ASSERT_NE(entry, nullptr) << partNo;
        DropModule(window->m_station, window->m_catalog, slot, entry->PartNo + " " + entry->Description);
        window->DrawStation();
        window->UpdateCommandState();
    }

    std::unique_ptr<MainWindow> window;
};

} // namespace kr39::test
