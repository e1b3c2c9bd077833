#include "scpi/ScpiParser.h"

#include <QRegularExpression>

const QList<ScpiParser::Spec> &ScpiParser::specs()
{
    using H = Header;
    static const QList<Spec> table{
        {{QStringLiteral("*IDN")}, H::Identify, true, false},
        {{QStringLiteral("*OPC")}, H::Complete, true, false},
        {{QStringLiteral("*CLS")}, H::Clear, false, true},
        {{QStringLiteral("SYSTem"), QStringLiteral("ERRor")}, H::Error, true, false},
        {{QStringLiteral("SYSTem"), QStringLiteral("ERRor"), QStringLiteral("NEXT")}, H::Error, true, false},
        {{QStringLiteral("SYSTem"), QStringLiteral("STATus")}, H::Status, true, false},
        {{QStringLiteral("SOURce"), QStringLiteral("PWM"), QStringLiteral("DCYCle")}, H::Duty, true, true},
        {{QStringLiteral("SOURce"), QStringLiteral("PWM"), QStringLiteral("DCYCle"), QStringLiteral("PRESet")},
         H::DutyPreset, false, true},
        {{QStringLiteral("SOURce"), QStringLiteral("PWM"), QStringLiteral("FREQuency")}, H::Frequency, true, true},
        {{QStringLiteral("SOURce"), QStringLiteral("PWM"), QStringLiteral("FREQuency"), QStringLiteral("INDex")},
         H::FrequencyIndex, true, true},
        {{QStringLiteral("MEASure"), QStringLiteral("DCYCle")}, H::Measure, true, false},
    };
    return table;
}

// "DCYCle" takes "DCYC" and "DCYCLE", in any case, and nothing between.
bool ScpiParser::matches(const QString &mnemonic, const QString &node)
{
    qsizetype capitals = 0;
    while (capitals < mnemonic.size() && !mnemonic[capitals].isLower())
        ++capitals;
    return node.compare(mnemonic, Qt::CaseInsensitive) == 0
        || node.compare(QStringView(mnemonic).left(capitals), Qt::CaseInsensitive) == 0;
}

const ScpiParser::Spec *ScpiParser::find(const QStringList &nodes)
{
    for (const Spec &spec : specs()) {
        if (spec.path.size() != nodes.size())
            continue;
        bool all = true;
        for (qsizetype i = 0; i < nodes.size() && all; ++i)
            all = matches(spec.path[i], nodes[i]);
        if (all)
            return &spec;
    }
    return nullptr;
}

QList<ScpiParser::Command> ScpiParser::parse(const QString &line)
{
    QList<Command> commands;
    QStringList branch; // where a relative header continues from
    for (const QString &part : line.split(u';')) {
        const QString text = part.trimmed();
        if (text.isEmpty())
            continue;
        const qsizetype blank = text.indexOf(QRegularExpression(QStringLiteral("\\s")));
        QString header = blank < 0 ? text : text.left(blank);
        Command command;
        command.parameter = blank < 0 ? QString() : text.mid(blank).trimmed();
        command.query = header.endsWith(u'?');
        if (command.query)
            header.chop(1);
        const bool common = header.startsWith(u'*');
        const bool absolute = header.startsWith(u':');
        const QStringList nodes = (absolute ? header.mid(1) : header).split(u':');
        const Spec *spec = nullptr;
        if (!absolute && !common && !branch.isEmpty())
            spec = find(branch + nodes);
        if (!spec)
            spec = find(nodes);
        if (!spec) {
            command.error = -113; // undefined header
        } else {
            command.header = spec->header;
            if (command.query ? !spec->query : !spec->set)
                command.error = -113;
            else if (command.query && !command.parameter.isEmpty())
                command.error = -108; // parameter not allowed
            else if (!command.query && spec->set && command.parameter.isEmpty() && spec->header != Header::Clear)
                command.error = -109; // missing parameter
            if (!common)
                branch = spec->path.mid(0, spec->path.size() - 1);
        }
        commands << command;
    }
    return commands;
}
