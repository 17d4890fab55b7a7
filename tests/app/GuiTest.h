#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "app/Dialogs.h"
#include "app/MainWindow.h"

namespace kr39::test {

inline std::filesystem::path ShippedModules()
{
    return std::filesystem::path(KR39_SOURCE_DIR) / "modules";
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Waits, processing events, until `done` holds or `ms` have passed.
inline bool WaitFor(const std::function<bool()>& done, int ms = 3000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QTest::qWait(5);
    }
    return true;
}

// A fresh GUI test: empty settings store, no recorded dialogs, English texts.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KR39"),
            QStringLiteral("KR39 Standard EDS Generator"))
            .clear();
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
        EXPECT_TRUE(WaitFor([&] { return window->IsInitialized(); }));
        return window;
    }

    QTemporaryDir m_temp;
};

} // namespace kr39::test
