#include "toolkit/TerminationSignals.h"
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

    // Told to end from outside: the port is closed and the program ends as
    // a Yes on the exit box would, without asking. exit() rather than
    // quit(), which would ask the window whether it may close.
    TerminationSignals termination;
    FormTavermund window;
    QObject::connect(&termination, &TerminationSignals::received, &window, [&window] {
        window.shell().endWithoutAsking();
        QCoreApplication::exit(0);
    });
    window.Form_Load();
    window.show();
    return app.exec();
}
