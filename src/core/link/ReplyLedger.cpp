#include "link/ReplyLedger.h"

#include <algorithm>

namespace {

const QString Kinds[] = {QStringLiteral("SV1"), QStringLiteral("SV2"), QStringLiteral("PV1")};

} // namespace

ReplyLedger::ReplyLedger(std::chrono::milliseconds patience)
    : m_patience(patience)
{
}

// "1SV1=50", "1SV1", "1SV2=3", "1SV2", "1PV1" and the ID-less "PV1?".
QString ReplyLedger::commandKind(const QString &command, const QString &deviceId)
{
    if (command == u"PV1?")
        return Kinds[2];
    if (!command.startsWith(deviceId))
        return {};
    const QStringView rest = QStringView(command).mid(deviceId.size());
    for (const QString &kind : Kinds) {
        if (rest == kind || (kind != Kinds[2] && rest.startsWith(kind + u'=')))
            return kind;
    }
    return {};
}

QString ReplyLedger::replyKind(const QString &line, const QString &deviceId)
{
    if (!line.startsWith(deviceId))
        return {};
    const QStringView rest = QStringView(line).mid(deviceId.size());
    for (const QString &kind : Kinds) {
        if (rest.startsWith(kind + u'='))
            return kind;
    }
    return {};
}

quint64 ReplyLedger::sent(const QString &command, const QString &deviceId, Clock::time_point now)
{
    forgetOlderThan(now);
    const QString kind = commandKind(command, deviceId);
    if (kind.isEmpty())
        return 0;
    m_waiting.push_back({m_nextId, command, kind, now});
    return m_nextId++;
}

std::optional<ReplyLedger::Answer> ReplyLedger::received(const QString &line, const QString &deviceId,
                                                         Clock::time_point now)
{
    forgetOlderThan(now);
    const QString kind = replyKind(line, deviceId);
    if (kind.isEmpty())
        return std::nullopt;
    const auto oldest = std::find_if(m_waiting.begin(), m_waiting.end(),
                                     [&kind](const Waiting &w) { return w.kind == kind; });
    if (oldest == m_waiting.end())
        return std::nullopt;
    Answer answer{oldest->id, oldest->command, line};
    m_waiting.erase(oldest);
    return answer;
}

void ReplyLedger::forgetOlderThan(Clock::time_point now)
{
    while (!m_waiting.empty() && now - m_waiting.front().sentAt > m_patience)
        m_waiting.pop_front();
}
