#include "ui/FormTavermund.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavermund"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tavermund"));
    // One style everywhere, so that coloured buttons show their colour.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setWindowIcon(FormTavermund::icon());

    FormTavermund window;
    window.Form_Load();
    window.show();
    return app.exec();
}
