#pragma once

#include <QApplication>

namespace kr39::test {

// The one QApplication of a widget test executable, made on first use and kept to the end.
inline QApplication& GuiApp()
{
    static int argc = 1;
    static char name[] = "kr39-gui-test";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return *app;
}

} // namespace kr39::test
