#include "ui/ControlPainter.h"

#include "toolkit/Constants.h"
#include "ui/BgrColor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

bool isTextBox(const QWidget *w)
{
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w);
}

QPalette::ColorRole backRole(const QWidget *w)
{
    if (qobject_cast<const QAbstractButton *>(w))
        return QPalette::Button;
    return isTextBox(w) ? QPalette::Base : QPalette::Window;
}

void setRole(QPalette &pal, QPalette::ColorRole role, const QColor &color, bool alsoDisabled)
{
    pal.setColor(QPalette::Active, role, color);
    pal.setColor(QPalette::Inactive, role, color);
    if (alsoDisabled)
        pal.setColor(QPalette::Disabled, role, color);
}

} // namespace

void ControlPainter::initialise(QWidget *w)
{
    QPalette pal = QApplication::palette();
    pal.setResolveMask(~QPalette::ResolveMask(0));
    if (!isTextBox(w) && !qobject_cast<QAbstractButton *>(w)) {
        // Frames and labels default to the button face, as buttons do.
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            pal.setColor(group, QPalette::Window, pal.color(group, QPalette::Button));
            pal.setColor(group, QPalette::WindowText, pal.color(group, QPalette::ButtonText));
        }
    }
    w->setPalette(pal);
    w->setProperty("BackColor",
                   QVariant::fromValue<quint32>(isTextBox(w) ? Colour::WindowBackground : Colour::ButtonFace));
    if (!isTextBox(w))
        w->setAutoFillBackground(!qobject_cast<QAbstractButton *>(w));
}

void ControlPainter::setBackColor(QWidget *w, std::uint32_t value)
{
    if (value == Default)
        return;
    const QPalette::ColorRole role = backRole(w);
    const QColor color = BgrColor::toQColor(value, QApplication::palette());
    QPalette pal = w->palette();
    // Setting the colour it has would build a new palette and repaint the
    // control for nothing.
    if (backColorValue(w) == value && pal.color(QPalette::Active, role) == color
        && pal.color(QPalette::Inactive, role) == color && pal.color(QPalette::Disabled, role) == color)
        return;
    setRole(pal, role, color, true);
    w->setPalette(pal);
    w->setProperty("BackColor", QVariant::fromValue<quint32>(value));
}

void ControlPainter::setForeColor(QWidget *w, std::uint32_t value)
{
    if (value == Default)
        return;
    QPalette pal = w->palette();
    const QColor color = BgrColor::toQColor(value, QApplication::palette());
    // The disabled look keeps the theme's greyed text.
    if (qobject_cast<QAbstractButton *>(w)) {
        setRole(pal, QPalette::ButtonText, color, false);
    } else if (isTextBox(w)) {
        setRole(pal, QPalette::Text, color, false);
    } else {
        setRole(pal, QPalette::WindowText, color, false);
        setRole(pal, QPalette::Text, color, false); // group box titles use it
    }
    w->setPalette(pal);
}

std::uint32_t ControlPainter::backColorValue(const QWidget *w)
{
    return w->property("BackColor").value<quint32>();
}
