#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>

// Finds the face that stands in for the window's classic fonts.
//
// "MS Sans Serif" falls back to Microsoft Sans Serif, then Liberation Sans or
// Arimo, then DejaVu Sans, then the generic sans-serif; "Arial" falls back to
// Liberation Sans (metric-compatible), Arimo, DejaVu Sans, sans-serif.
class FontResolver
{
public:
    enum class Face { MsSansSerif, Arial };

    using HasFamily = std::function<bool(const QString &)>;

    static QStringList candidates(Face face);
    // The first installed candidate; "sans-serif" when none is installed.
    static QString family(Face face, const HasFamily &hasFamily);
    // The same, asking `installed` (by default the font database) once per face.
    static QString family(Face face);
    // Replaces what family(face) and font() take as installed; an empty
    // function gives the font database back. Tests pin the window's fonts
    // with it, whatever this machine has.
    static void setInstalled(HasFamily installed);

    static QFont font(Face face, double points, bool bold);
};
