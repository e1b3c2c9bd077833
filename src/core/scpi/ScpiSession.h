#pragma once

#include "request/BoardRequest.h"
#include "scpi/ErrorQueue.h"
#include "scpi/ScpiParser.h"

#include <QObject>
#include <QStringList>

#include <deque>
#include <optional>

class BenchStation;
class RequestQueue;

// One client of the control server: takes its lines of SCPI, runs their
// commands in order on the bench, and answers its queries, all of a line's
// answers on one line joined by ';'.
//
// What needs the board goes through the shared request queue, so clients
// take turns with each other and with the operator, and every value comes
// from the board's own reply to the query sent for it. A query the board
// does not answer gives no answer at all, and -240 goes on the client's
// error queue; so does a set the board does not confirm. A command that
// needs the board while none is found gets -240 at once, and nothing is
// sent. Bad text gets its SCPI error and sends nothing.
class ScpiSession : public QObject
{
    Q_OBJECT

public:
    // Lines waiting their turn, beyond which more are refused with -350.
    static constexpr std::size_t MaxWaitingLines = 256;

    ScpiSession(BenchStation &station, RequestQueue &requests, QObject *parent = nullptr);
    ~ScpiSession() override;

    // A complete line from the client, without its line end.
    void takeLine(const QString &line);
    // A line too long to take: its start was dropped with the rest of it.
    void refuseLongLine();

signals:
    // An answer line, with its line end.
    void answer(const QByteArray &line);

private:
    void runNext();
    bool execute(const ScpiParser::Command &command);
    bool ask(BoardRequest::Kind kind, int value = 0, const QString &text = {});
    void requestDone(quint64 ticket, const RequestOutcome &outcome);
    std::optional<double> number(const QString &parameter);

    BenchStation &m_station;
    RequestQueue &m_requests;
    ErrorQueue m_errors;
    std::deque<QString> m_lines;
    QList<ScpiParser::Command> m_commands; // of the line in hand
    qsizetype m_next = 0;
    QStringList m_answers;
    std::optional<quint64> m_waiting; // the ticket of the request in hand
    ScpiParser::Command m_asked;
    bool m_running = false;
};
