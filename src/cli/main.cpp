// tavermund-cli: the bench from a shell. It drives the board through the
// same bench station as the window, so it sends the same bytes with the
// same pacing; see --help.

#include "ScriptOutput.h"
#include "app/BenchStation.h"
#include "script/RunOptions.h"
#include "script/ScriptParser.h"
#include "script/ScriptRunner.h"
#include "toolkit/TerminationSignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const char *const Description = R"(Drives a PWM board over a serial port, as the Tavermund window does.

Commands, run in order once the board has answered. Each set waits for the
board's answer carrying the value sent; each read for the answers to its
own queries.
  find             search for the board (a request every 2.5 s)
  duty 0|50|100    the window's duty buttons (each followed by PV1?)
  duty VALUE       a typed duty value, 0 to 100
  freq 1..7        a frequency button: 31372, 3921, 980, 490, 245, 122, 30.6 Hz
  read             ask for the duty and the frequency; prints both, and the
                   frequency in Hz
  monitor          print every received line with its time, until
                   --duration ends or Ctrl+C

Exit status:
  0    done
  2    usage error (an unknown option or command, a malformed value)
  3    a duty or frequency value refused
  4    no response from the board within --timeout (not found, a set not
       confirmed, a query not answered)
  5    port error: missing, busy, permission denied, gone, or a failed send
  6    the board answered, but not as asked: a set with another value, or a
       reading that is not a number or outside the protocol (printed as
       the board sent it, with a warning)
  130  interrupted before the work was done)";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavermund-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVERMUND_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
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
    parser.addOptions({port, settings, baud, id, timeout, poll, duration, json, log, quiet});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("find, duty, freq, read or monitor, with their values."), QStringLiteral("command..."));

    const bool parsed = parser.parse(QCoreApplication::arguments());
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
    const ScriptParser::Result script = ScriptParser::parse(parser.positionalArguments(), run.duration.has_value());
    if (script.error != Done) {
        out.error(script.message);
        return script.error;
    }

    // Nobody is there to answer a box: a failed send ends the run instead.
    run.station.ask = [](const MessageRequest &request) {
        return (request.style & 0x0F) == MessageRequest::YesNo ? int(MessageRequest::Yes) : int(MessageRequest::Ok);
    };
    // A script asks for what it wants itself, and waits for each answer as
    // long as it was told to.
    run.station.readBack = false;
    run.station.replyPatience = run.timeout;
    BenchStation station(run.station);
    QObject::connect(&station, &BenchStation::logFailed, &out, [&out](const QString &path, const QString &reason) {
        out.error(QStringLiteral("log %1: %2; logging has stopped").arg(path, reason));
    });
    if (parser.isSet(log))
        station.startLog(parser.value(log));

    ScriptRunner runner(station, script.script, {run.timeout, run.duration});
    QObject::connect(&runner, &ScriptRunner::progress, &out, &ScriptOutput::progress);
    QObject::connect(&runner, &ScriptRunner::valuesRead, &out, &ScriptOutput::valuesRead);
    QObject::connect(&runner, &ScriptRunner::warning, &out, &ScriptOutput::warning);
    QObject::connect(&runner, &ScriptRunner::lineMonitored, &out, &ScriptOutput::lineMonitored);
    QObject::connect(&runner, &ScriptRunner::finished, &app, [&out](int code, const QString &message) {
        if (!message.isEmpty())
            out.error(message);
        QCoreApplication::exit(code);
    });
    // Ctrl+C, SIGTERM, SIGHUP: the port is closed, whatever the run was doing.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &runner, &ScriptRunner::interrupt);
    // From the event loop, which must be running when the run ends.
    QMetaObject::invokeMethod(&runner, &ScriptRunner::start, Qt::QueuedConnection);
    return app.exec();
}
