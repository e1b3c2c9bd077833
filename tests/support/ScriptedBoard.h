#pragma once

#include "DeviceProtocol.h"
#include "PtyPeer.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <utility>

// The simulated board's protocol on a test's pseudo-terminal, with what a
// test makes of it: replies held back until released, sets ignored, only
// the search answered, or one reply replaced by another.
struct ScriptedBoard
{
    explicit ScriptedBoard(PtyPeer &peer)
        : peer(peer)
    {
        QObject::connect(&peer, &PtyPeer::bytesArrived, [this] {
            const QByteArray bytes = this->peer.received().right(this->peer.receivedInAll() - seen);
            seen = this->peer.receivedInAll();
            for (const auto &exchange : protocol.feed(bytes.toStdString())) {
                heard << QByteArray::fromStdString(exchange.line);
                const bool set = exchange.line.find('=') != std::string::npos;
                if (!exchange.reply || (ignoreSets && set) || (searchOnly && exchange.line.find("BS?") == std::string::npos))
                    continue;
                const QByteArray reply = QByteArray::fromStdString(*exchange.reply) + '\r';
                held << (replace.contains(reply) ? replace.value(reply) : reply);
            }
            if (!holding)
                release();
        });
    }
    void release()
    {
        for (const QByteArray &reply : std::exchange(held, {}))
            peer.write(reply);
    }

    PtyPeer &peer;
    DeviceProtocol protocol{[] {
        DeviceProtocol::Settings board;
        board.duty = 37;
        board.freqIndex = 3;
        board.seed = 1;
        return board;
    }()};
    qint64 seen = 0;
    bool holding = false;
    bool ignoreSets = false;
    bool searchOnly = false;
    QHash<QByteArray, QByteArray> replace;
    QList<QByteArray> held;
    QList<QByteArray> heard; // every line, as the board took it
};

