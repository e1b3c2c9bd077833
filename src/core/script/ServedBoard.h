#pragma once

#include "script/ScriptBoard.h"

#include <QLocalSocket>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <deque>

// The board behind a running Tavermund that holds the port and serves it
// on its local socket (ControlServer): a script goes through it instead of
// opening the port. Each request becomes the SCPI command that does the
// same, followed by SYSTem:ERRor?, and the error the server reports becomes
// the request's outcome, so the script prints and ends as it would on the
// port itself.
class ServedBoard : public ScriptBoard
{
    Q_OBJECT

public:
    ServedBoard(QString socketPath, QString port, std::chrono::milliseconds timeout, QObject *parent = nullptr);

    // True when a Tavermund serves the socket; asks it who it is.
    bool connectNow();
    // The serving process, 0 when the system does not say.
    qint64 serverPid() const { return m_pid; }

    QString name() const override;
    void open() override;
    void submit(const BoardRequest &request) override;
    void monitor() override;
    void close() override;
    QString whatWasHeard() const override { return {}; }

private:
    void send(const QByteArray &line, bool forRequest);
    void readAnswers();
    void answer(const QString &line);
    void askStatus();
    void timeUp();
    QString server() const;

    QLocalSocket m_socket;
    QString m_path;
    QString m_port;
    QString m_deviceId;
    std::chrono::milliseconds m_timeout;
    qint64 m_pid = 0;
    std::deque<bool> m_expected; // for each line sent: an answer to a request?
    bool m_searching = false;
    QTimer m_poll;
    QTimer m_deadline;
};
