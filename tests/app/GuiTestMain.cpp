// Runs GoogleTest inside a QApplication. Settings go to a folder of this run alone, and no
// message box or file dialog can block: boxes are recorded and answered, and a dialog without
// a preloaded answer counts as cancelled.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/Dialogs.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    qputenv("XDG_CONFIG_HOME", settingsDir.path().toUtf8());

    kr39::MessageBox::SetAutoAnswer(true);
    kr39::FileDialog::SetNonInteractive(true);
    return RUN_ALL_TESTS();
}
