#include <QApplication>

#include "app/Program.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return kr39::Main(app);
}
