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

namespace {

struct Lookup
{
    FontResolver::HasFamily installed;
    QHash<int, QString> resolved;
};

Lookup &lookup()
{
    static Lookup instance;
    return instance;
}

} // namespace

QString FontResolver::family(Face face)
{
    Lookup &l = lookup();
    const auto it = l.resolved.constFind(int(face));
    if (it != l.resolved.constEnd())
        return *it;
    QString name;
    if (l.installed) {
        name = family(face, l.installed);
    } else {
        // Ask for the exact family: fontconfig would happily substitute
        // something for any name, which hides the fallback order.
        const QStringList installed = QFontDatabase::families();
        name = family(face, [&installed](const QString &candidate) {
            return installed.contains(candidate, Qt::CaseInsensitive);
        });
    }
    l.resolved.insert(int(face), name);
    return name;
}

void FontResolver::setInstalled(HasFamily installed)
{
    lookup() = {std::move(installed), {}};
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
