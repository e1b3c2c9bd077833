// tavermund-cli: the bench from a shell. It drives the board through the
// same bench station as the window, so it sends the same bytes with the
// same pacing, or through a running Tavermund that holds the port; see
// --help.

#include "ScriptOutput.h"
#include "app/BenchStation.h"
#include "link/Protocol.h"
#include "scpi/ControlServer.h"
#include "script/LocalBoard.h"
#include "script/RunOptions.h"
#include "script/ScriptParser.h"
#include "script/ScriptRunner.h"
#include "script/ServedBoard.h"
#include "toolkit/TerminationSignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <csignal>
#include <memory>

namespace {

const char *const Description = R"(Drives a PWM board over a serial port, as the Tavermund window does.

Commands, run in order once the board has answered. Each set waits for the
board's answer carrying the value sent; each read for the answers to its
own queries.
  find             search for the board (a request every 2.5 s)
  duty 0|50|100    the window's duty buttons (each followed by PV1?)
  duty VALUE       a typed duty value, 0 to 100
  freq 1..7        a frequency button: %1
  read             ask for the duty and the frequency; prints both, and the
                   frequency in Hz
  monitor          print every received line with its time, until
                   --duration ends or Ctrl+C
  serve            no script: serve the board as an instrument (SCPI) on the
                   port's local socket, and on --scpi-port, until stopped

When a running Tavermund holds the port and serves it, the commands go
through it (monitor, --log and --poll need the port itself).

Exit status:
  0    done
  2    usage error (an unknown option or command, a malformed value, a log
       that cannot be opened)
  3    a duty or frequency value refused
  4    no response from the board within --timeout (not found, a set not
       confirmed, a query not answered)
  5    port error: missing, busy (another program holds it), permission
       denied, gone, or a failed send
  6    the board answered, but not as asked: a set with another value, or a
       reading that is not a number or outside the protocol (printed as the
       board sent it, with a warning)
  7    the work was done, but the log could not be written
  130  interrupted before the work was done
  141  standard output was closed (the reader ended, as with | head))";

// QCommandLineParser reads "-1" as the option "1". A negative number that is
// no option's value is a command's value (refused by its rules), so the
// parser gets it with this mark in front, which it takes for a word.
constexpr QChar Shielded = u'\x01';

QStringList shieldNegativeNumbers(QStringList args, const QList<QCommandLineOption> &options)
{
    static const QRegularExpression negative(QStringLiteral("^-\\.?[0-9]"));
    QStringList withValue;
    for (const QCommandLineOption &option : options) {
        if (!option.valueName().isEmpty())
            withValue += option.names();
    }
    for (qsizetype i = 1; i < args.size(); ++i) {
        const bool optionValue = args[i - 1].startsWith(QStringLiteral("--")) && withValue.contains(args[i - 1].mid(2));
        if (!optionValue && negative.match(args[i]).hasMatch())
            args[i].prepend(Shielded);
    }
    return args;
}

// Nobody is there to answer a box: the operator's answer is taken as Yes
// (go on), and the run or the server says what failed.
int answerYes(const MessageRequest &request)
{
    return (request.style & 0x0F) == MessageRequest::YesNo ? int(MessageRequest::Yes) : int(MessageRequest::Ok);
}

// Serves the station until it is told to stop.
int serve(StationOptions options, std::optional<quint16> tcpPort, ScriptOutput &out)
{
    options.ask = answerYes;
    BenchStation station(options);
    ControlServer server(station);
    QObject::connect(&server, &ControlServer::problem, &out, &ScriptOutput::error);
    station.searchNow();
    server.serveLocally();
    if (server.localPath().isEmpty() && !tcpPort) {
        out.error(QStringLiteral("nothing to serve on: give --scpi-port"));
        return PortError;
    }
    out.progress(QStringLiteral("serving %1 on %2").arg(RunOptions::portName(options), server.localPath()));
    QString problem;
    if (tcpPort && !server.serveTcp(*tcpPort, &problem)) {
        out.error(problem);
        return PortError;
    }
    if (tcpPort)
        out.progress(QStringLiteral("serving SCPI on 127.0.0.1:%1").arg(server.tcpPort()));
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, qApp, [] { QCoreApplication::exit(Done); });
    const int code = QCoreApplication::exec();
    station.stop();
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavermund-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVERMUND_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description).arg(Protocol::frequencyList()));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("COM port <N> (a com<N> link beside the settings file or the program, else /dev/ttyS<N-1>), or a device path."), QStringLiteral("N|path"));
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("Port, baud rate, device ID and poll period from a Tavermund settings <file> (only read)."), QStringLiteral("file"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Baud rate (default 9600)."), QStringLiteral("rate"));
    const QCommandLineOption id(QStringLiteral("id"), QStringLiteral("Device ID (default 1)."), QStringLiteral("id"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QStringLiteral("How long to wait for the board (default 10)."), QStringLiteral("seconds"));
    const QCommandLineOption poll(QStringLiteral("poll"), QStringLiteral("Poll the board every <seconds> (2 or more) once found."), QStringLiteral("seconds"));
    const QCommandLineOption duration(QStringLiteral("duration"), QStringLiteral("How long monitor runs (default: until Ctrl+C)."), QStringLiteral("seconds"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print data as JSON lines."));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Log every line sent and received to <file>."), QStringLiteral("file"));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("Print no progress, only data and errors."));
    const QCommandLineOption scpiPort(QStringLiteral("scpi-port"), QStringLiteral("With serve: also serve SCPI on TCP <port> of 127.0.0.1 and ::1 (5025 by convention; 0: any free port)."), QStringLiteral("port"));
    const QList<QCommandLineOption> options{port, settings, baud, id, timeout, poll, duration, json, log, quiet, scpiPort};
    parser.addOptions(options);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("find, duty, freq, read or monitor, with their values; or serve."), QStringLiteral("command..."));

    const bool parsed = parser.parse(shieldNegativeNumbers(QCoreApplication::arguments(), options));
    ScriptOutput out(parsed && parser.isSet(json), parsed && parser.isSet(quiet));
    if (!parsed) {
        out.error(parser.errorText() + QStringLiteral(" (see --help)"));
        return UsageError;
    }
    if (parser.isSet(help))
        parser.showHelp(Done);
    if (parser.isSet(version))
        parser.showVersion();

    const auto given = [&parser](const QCommandLineOption &option) {
        return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
    };
    RunOptions::Resolved run = RunOptions::resolve(
        {given(port), given(settings), given(baud), given(id), given(timeout), given(poll), given(duration)},
        Executable::running());
    if (!run.error.isEmpty()) {
        out.error(run.error);
        return UsageError;
    }
    QStringList words = parser.positionalArguments();
    for (QString &word : words) {
        if (word.startsWith(Shielded))
            word.remove(0, 1);
    }
    std::optional<quint16> tcpPort;
    if (parser.isSet(scpiPort)) {
        bool ok = false;
        const uint number = parser.value(scpiPort).toUInt(&ok);
        if (!ok || number > 65535 || words != QStringList{QStringLiteral("serve")}) {
            out.error(QStringLiteral("--scpi-port \"%1\" refused: a TCP port from 0 to 65535, for serve")
                          .arg(parser.value(scpiPort)));
            return UsageError;
        }
        tcpPort = quint16(number);
    }
    if (words == QStringList{QStringLiteral("serve")})
        return serve(run.station, tcpPort, out);
    const ScriptParser::Result script = ScriptParser::parse(words, run.duration.has_value());
    if (script.error != Done) {
        out.error(script.message);
        return script.error;
    }

    // A Tavermund that holds the port and serves it: through it.
    const QString portName = RunOptions::portName(run.station);
    const QString device = RunOptions::devicePath(run.station);
    ServedBoard served(ControlServer::socketPath(device), portName, run.timeout);
    std::unique_ptr<BenchStation> station;
    std::unique_ptr<LocalBoard> local;
    ScriptBoard *board = &served;
    bool running = false;
    bool logLost = false;
    if (!device.isEmpty() && served.connectNow()) {
        const QString holder = served.serverPid() > 0 ? QStringLiteral("Tavermund (pid %1)").arg(served.serverPid())
                                                      : QStringLiteral("Tavermund");
        if (parser.isSet(log) || parser.isSet(poll)) {
            out.error(QStringLiteral("%1 is held by %2, and --log and --poll need the port itself: log and poll "
                                     "there, or close it")
                          .arg(portName, holder));
            return PortError;
        }
        out.progress(QStringLiteral("%1 is held by %2; going through it").arg(portName, holder));
    } else {
        // A script asks for what it wants itself, and waits for each answer
        // as long as it was told to.
        run.station.ask = answerYes;
        run.station.readBack = false;
        run.station.replyPatience = run.timeout;
        station = std::make_unique<BenchStation>(run.station);
        // A log that cannot be opened is refused before the port is opened;
        // one that fails later lets the run go on, and its end tell.
        QObject::connect(station.get(), &BenchStation::logFailed, &out, [&](const QString &path, const QString &reason) {
            logLost = running;
            out.error((running ? QStringLiteral("cannot write the log %1: %2; the run goes on without it")
                               : QStringLiteral("cannot open the log %1: %2")).arg(path, reason));
        });
        if (parser.isSet(log) && !station->startLog(parser.value(log)))
            return UsageError;
        local = std::make_unique<LocalBoard>(*station, run.timeout);
        board = local.get();
    }
    running = true;

    ScriptRunner runner(*board, script.script, {run.timeout, run.duration});
    QObject::connect(&runner, &ScriptRunner::progress, &out, &ScriptOutput::progress);
    QObject::connect(&runner, &ScriptRunner::valuesRead, &out, &ScriptOutput::valuesRead);
    QObject::connect(&runner, &ScriptRunner::warning, &out, &ScriptOutput::warning);
    QObject::connect(&runner, &ScriptRunner::lineMonitored, &out, &ScriptOutput::lineMonitored);
    QObject::connect(&runner, &ScriptRunner::finished, &app, [&out, &logLost](int code, const QString &message) {
        if (!message.isEmpty())
            out.error(message);
        QCoreApplication::exit(code == Done && logLost ? LogFailed : code);
    });
    // A reader that has gone (| head) ends the run, the port closed, rather
    // than SIGPIPE ending the process with the port's lock file left behind.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    QObject::connect(&out, &ScriptOutput::closed, &runner, &ScriptRunner::outputClosed, Qt::QueuedConnection);
    // Ctrl+C, SIGTERM, SIGHUP: the port is closed, whatever the run was doing.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &runner, &ScriptRunner::interrupt);
    // From the event loop, which must be running when the run ends.
    QMetaObject::invokeMethod(&runner, &ScriptRunner::start, Qt::QueuedConnection);
    return app.exec();
}
