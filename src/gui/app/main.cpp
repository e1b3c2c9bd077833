#include "scpi/ControlServer.h"
#include "toolkit/TerminationSignals.h"
#include "ui/FormTavermund.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

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
    const QCommandLineOption noServe(QStringLiteral("no-serve"),
                                     QStringLiteral("Do not serve the board to scripts on the port's local socket."));
    parser.addOption(noServe);
    const QCommandLineOption scpiPort(QStringLiteral("scpi-port"),
                                      QStringLiteral("Also serve SCPI on TCP <port> of 127.0.0.1 and ::1 only (5025 by "
                                                     "convention; 0: any free port)."),
                                      QStringLiteral("port"));
    parser.addOption(scpiPort);
    parser.process(app);
    const auto complain = [](const QString &text) {
        std::fprintf(stderr, "Tavermund: %s\n", qPrintable(text));
        std::fflush(stderr);
    };
    bool portOk = true;
    const uint tcpPort = parser.value(scpiPort).toUInt(&portOk);
    if (parser.isSet(scpiPort) && (!portOk || tcpPort > 65535)) {
        complain(QStringLiteral("--scpi-port \"%1\" refused: a TCP port from 0 to 65535").arg(parser.value(scpiPort)));
        return 2;
    }

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

    // Scripts drive the same board through the window: on a local socket
    // for this user alone, and on the loopback's TCP port only when asked.
    ControlServer server(window.station());
    QObject::connect(&server, &ControlServer::problem, &server, complain);
    if (!parser.isSet(noServe))
        server.serveLocally();
    QString problem;
    if (parser.isSet(scpiPort) && !server.serveTcp(quint16(tcpPort), &problem))
        complain(problem);
    else if (parser.isSet(scpiPort))
        complain(QStringLiteral("serving SCPI on 127.0.0.1:%1").arg(server.tcpPort()));
    window.show();
    return app.exec();
}
