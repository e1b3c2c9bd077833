#pragma once

#include "serial/LineSettings.h"
#include "serial/PortLock.h"
#include "serial/ReceiveModeration.h"

#include <QObject>
#include <QSerialPort>
#include <QString>

#include <array>

// The serial communications component (the window's MSComm1): the
// properties of a classic event-driven serial control, over QSerialPort.
// Characters travel one byte each, in cp1252.
//
// Every failing operation throws CommError with its number. Received
// characters raise OnComm with CommEvent 2 once RThreshold of them are
// waiting; Input then hands them out InputLen at a time. The receive
// handler takes them one by one, so they are fetched from the port a
// buffer at a time and handed out from there. During OnComm in a flood,
// characters the system has received meanwhile count as waiting as well.
//
// A port that fails while open (the adapter unplugged, a hung-up tty) is
// closed at once, so that a dead descriptor cannot keep the event loop
// spinning on zero-byte reads, and PortLost tells the owner; the next
// Output fails until the port is opened again.
//
// A steady talker's receive events are moderated (ReceiveModeration): once
// data keeps coming, the next event waits a few milliseconds and takes what
// arrived meanwhile.
class SerialComponent : public QObject
{
    Q_OBJECT

public:
    static constexpr int ReceiveEvent = 2; // comEvReceive
    static constexpr int InBufferSize = 16384;
    // A receive event drains what the system has received meanwhile too,
    // up to this many bytes, before other events get their turn. A flood
    // is then handed on in fewer, larger events, and a click still waits
    // no more than a millisecond or two.
    static constexpr int ReceiveEventBytes = 32768;
    // Only a fetch of at least this many bytes is taken for a flood, worth
    // asking the system for more: after a smaller one the system's queue
    // was all but empty, and a steady talker's next bytes raise an event of
    // their own.
    static constexpr int FloodFetchBytes = 1024;

    explicit SerialComponent(QObject *parent = nullptr);
    ~SerialComponent() override;

    // Where com<n> links are looked up (the executable's folder).
    void setLinkDirectory(const QString &directory);
    // A device to open whatever the port number, such as /dev/ttyUSB0 given
    // on the command line; empty: the device that COM n reaches.
    void setDevicePath(const QString &path);
    // What the next opening opens: the device path, or where COM n leads.
    QString deviceInUse() const;
    // How the operator knows the port: the device path given, else
    // "COM 3 (/dev/ttyUSB0)" for the device that COM `port` reaches.
    QString portName(int port) const;

    int CommPort() const { return m_commPort; }
    void setCommPort(int port);

    QString Settings() const { return m_settingsText; }
    void setSettings(const QString &settings);

    int Handshaking() const { return m_handshaking; }
    void setHandshaking(int mode);

    bool PortOpen() const;
    void setPortOpen(bool open);

    bool DTREnable() const { return m_dtr; }
    void setDTREnable(bool enable);
    bool RTSEnable() const { return m_rts; }
    void setRTSEnable(bool enable);

    int RThreshold() const { return m_rThreshold; }
    void setRThreshold(int count);
    int InputLen() const { return m_inputLen; }
    void setInputLen(int count);

    void setOutput(const QString &text);

    int CommEvent() const { return m_commEvent; }
    QString Input()
    {
        // The receive handler's one character at a time, from what was
        // fetched already.
        if (m_inputLen == 1 && m_taken < m_received.size())
            return s_characters[uchar(m_received.constData()[m_taken++])];
        return inputFetching();
    }
    int InBufferCount()
    {
        // Each fetch empties the port's own buffer; until the port reports
        // more, what waits is what was fetched.
        if (m_taken < m_received.size() && !m_portHasMore)
            return int(m_received.size() - m_taken);
        return countWaiting(m_inReceiveEvent);
    }

    // For a receive handler that takes many characters at once: those
    // fetched and not handed out yet (cp1252 bytes, each character() one
    // character), the same that Input() hands out one by one; skip(n) hands
    // out the first n of them.
    QByteArrayView fetched() const { return QByteArrayView(m_received).sliced(m_taken); }
    void skip(qsizetype count) { m_taken += count; }
    static QChar character(char byte) { return QChar(s_codes[uchar(byte)]); }

    ReceiveModeration &moderation() { return m_moderation; }

signals:
    void OnComm();
    // The open port failed by itself and has been closed; `number` says why.
    void PortLost(int number);
    // An Output put has gone to the driver: the text as it was written.
    void outputWritten(const QString &text);

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    QString inputFetching();
    int countWaiting(bool askSystem);
    bool refill();
    void dropReceived();
    void applyLineSettings();
    void applyModemLines();
    void closeNow();

    // Every byte value as a one-character string, shared: handing one out
    // copies no characters and touches no reference count.
    static const std::array<QString, 256> s_characters;
    static const std::array<char16_t, 256> s_codes; // the same, as UTF-16 code units

    QSerialPort m_port;
    PortLock m_lock; // another program's hold respected, ours taken
    QByteArray m_received; // fetched from the port, handed out from m_taken on
    qsizetype m_taken = 0;
    bool m_portHasMore = false; // the port has reported bytes since the last fetch
    bool m_inReceiveEvent = false;
    qint64 m_eventBudget = 0; // bytes a receive event may still ask the system for
    qint64 m_eventFetched = 0; // bytes the receive event under way has fetched
    QString m_linkDirectory;
    QString m_devicePath;
    int m_commPort = 1;
    QString m_settingsText = QStringLiteral("9600,N,8,1");
    LineSettings m_line;
    int m_handshaking = 0;
    bool m_dtr = false;
    bool m_rts = false;
    int m_rThreshold = 0;
    int m_inputLen = 0;
    int m_commEvent = 0;
    bool m_quiet = false; // our own calls report their failures themselves
    bool m_lost = false;  // failed while open; the close is on its way
    int m_lostError = 0;  // why it failed
    ReceiveModeration m_moderation;
};
