#include "ui/FontResolver.h"

#include <QFontDatabase>
#include <QHash>

QStringList FontResolver::candidates(Face face)
{
    if (face == Face::Arial)
        return {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                QStringLiteral("DejaVu Sans")};
    return {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
            QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans")};
}

QString FontResolver::family(Face face, const HasFamily &hasFamily)
{
    for (const QString &name : candidates(face)) {
        if (hasFamily(name))
            return name;
    }
    return QStringLiteral("sans-serif");
}

QString FontResolver::family(Face face)
{
    static QHash<int, QString> resolved;
    const auto it = resolved.constFind(int(face));
    if (it != resolved.constEnd())
        return *it;
    // Ask for the exact family: fontconfig would happily substitute
    // something for any name, which hides the fallback order.
    const QStringList installed = QFontDatabase::families();
    const QString name = family(face, [&installed](const QString &candidate) {
        return installed.contains(candidate, Qt::CaseInsensitive);
    });
    resolved.insert(int(face), name);
    return name;
}

QFont FontResolver::font(Face face, double points, bool bold)
{
    QFont font(family(face));
    if (font.family() == QStringLiteral("sans-serif"))
        font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}
