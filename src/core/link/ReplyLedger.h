#pragma once

#include <QString>

#include <chrono>
#include <deque>
#include <optional>

// Which reply answers which command.
//
// The board answers each command it understands with one line, in the
// order the commands came, but nothing in a reply names its command:
// "1SV1=50" may be the echo of a set or the answer to a query, and one may
// still be on its way when the next command goes out. The ledger keeps the
// commands that wait for a reply, by the kind of reply they earn (the duty
// "id SV1=", the frequency index "id SV2=", the poll value "id PV1="), and
// gives each reply to the oldest command of its kind. So a reply that was
// on its way when a query went out is matched to what it answers, and the
// query gets its own.
//
// A command the board leaves unanswered is forgotten once it is older than
// the patience, so that one silent command does not shift every later
// match; a reply that comes later than that matches nothing.
class ReplyLedger
{
public:
    using Clock = std::chrono::steady_clock;

    struct Answer
    {
        quint64 id = 0;
        QString command;
        QString reply;
    };

    explicit ReplyLedger(std::chrono::milliseconds patience = std::chrono::seconds(10));

    // Records a command as it goes out; returns its id, or 0 for a command
    // whose reply is not matched (the search request, a line the board does
    // not answer).
    quint64 sent(const QString &command, const QString &deviceId, Clock::time_point now);
    // The command a received line answers, if it answers one.
    std::optional<Answer> received(const QString &line, const QString &deviceId, Clock::time_point now);

    bool isEmpty() const { return m_waiting.empty(); }
    // The port was closed: nothing sent before is answered any more.
    void clear() { m_waiting.clear(); }

    // The kind of reply a command earns, or of a received line: "SV1",
    // "SV2", "PV1", or empty.
    static QString commandKind(const QString &command, const QString &deviceId);
    static QString replyKind(const QString &line, const QString &deviceId);

private:
    struct Waiting
    {
        quint64 id;
        QString command;
        QString kind;
        Clock::time_point sentAt;
    };

    void forgetOlderThan(Clock::time_point now);

    std::chrono::milliseconds m_patience;
    std::deque<Waiting> m_waiting;
    quint64 m_nextId = 1;
};
