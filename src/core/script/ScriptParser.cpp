#include "script/ScriptParser.h"

#include "link/Protocol.h"
#include "pwm/PwmControl.h"

#include <algorithm>

namespace {

ScriptParser::Result failure(ExitCode code, const QString &message)
{
    return {{}, code, message};
}

} // namespace

ScriptParser::Result ScriptParser::parse(const QStringList &words, bool monitorEnds)
{
    using Kind = ScriptStep::Kind;
    if (words.isEmpty())
        return failure(UsageError, QStringLiteral("no command given (find, duty, freq, read, monitor)"));
    Result result;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (word == u"find") {
            result.script << ScriptStep{Kind::Find, 0, {}};
        } else if (word == u"read") {
            result.script << ScriptStep{Kind::Read, 0, {}};
        } else if (word == u"monitor") {
            if (!monitorEnds && i + 1 < words.size())
                return failure(UsageError, QStringLiteral("monitor runs until Ctrl+C: give it a --duration, "
                                                          "or put it last"));
            result.script << ScriptStep{Kind::Monitor, 0, {}};
        } else if (word == u"duty" || word == u"freq") {
            if (i + 1 >= words.size())
                return failure(UsageError, QStringLiteral("%1 needs a value").arg(word));
            const QString &value = words[++i];
            if (word == u"freq") {
                const bool button = value.size() == 1 && value[0] >= u'1' && value[0] <= u'7';
                if (!button)
                    return failure(ValueRefused,
                                   QStringLiteral("freq \"%1\" refused: the frequency index is one of 1 to 7 (%2)")
                                       .arg(value, Protocol::frequencyList()));
                result.script << ScriptStep{Kind::Frequency, value[0].digitValue(), {}};
            } else if (value == u"0" || value == u"50" || value == u"100") {
                result.script << ScriptStep{Kind::DutyPreset, value.toInt(), {}};
            } else {
                const PwmControl::TypedDuty duty = PwmControl::checkTypedDuty(value, u'.');
                if (!duty.refusal.isEmpty())
                    return failure(ValueRefused, QStringLiteral("duty \"%1\" refused: %2").arg(value, duty.refusal));
                result.script << ScriptStep{Kind::DutyTyped, 0, value};
            }
        } else {
            return failure(UsageError, QStringLiteral("unknown command \"%1\"").arg(word));
        }
    }
    const bool monitors = std::any_of(result.script.cbegin(), result.script.cend(),
                                      [](const ScriptStep &step) { return step.kind == Kind::Monitor; });
    if (monitorEnds && !monitors)
        return failure(UsageError, QStringLiteral("--duration is for monitor, and there is no monitor"));
    return result;
}
