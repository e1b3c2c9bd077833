#include "toolkit/TerminationSignals.h"
#include "ui/FormTavermund.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    // The window repaints its status line and duty display up to sixty
    // times a second. Through X shared memory, Qt waits for the server to
    // have read the last picture before it paints over it: a round trip to
    // the server on every frame. The two labels' few kilobytes go through
    // the connection without one.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavermund"));
    QApplication::setApplicationVersion(QStringLiteral(TAVERMUND_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("tavermund"));
    // One style everywhere, so that coloured buttons show their colour.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setWindowIcon(FormTavermund::icon());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Drives a PWM board over a serial port. The settings are in "
                                                    "<name>.ini beside the program."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Log every line sent and received to <file>."),
                                 QStringLiteral("file"));
    parser.addOption(log);
    parser.process(app);

    // Told to end from outside: the port is closed and the program ends as
    // a Yes on the exit box would, without asking. exit() rather than
    // quit(), which would ask the window whether it may close.
    TerminationSignals termination;
    FormTavermund window;
    QObject::connect(&termination, &TerminationSignals::received, &window, [&window] {
        window.station().endWithoutAsking();
        QCoreApplication::exit(0);
    });
    window.Form_Load();
    if (parser.isSet(log))
        window.station().startLog(parser.value(log));
    window.show();
    return app.exec();
}
