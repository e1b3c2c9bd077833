#include "ui/ReachTip.h"

#include "serial/PortLocator.h"

#include <QEvent>
#include <QWidget>

ReachTip::ReachTip(QList<QWidget *> widgets, QString linkDirectory, std::function<int()> portInForce, QObject *parent)
    : QObject(parent)
    , m_widgets(std::move(widgets))
    , m_linkDirectory(std::move(linkDirectory))
    , m_portInForce(std::move(portInForce))
{
    for (QWidget *w : m_widgets)
        w->installEventFilter(this);
}

void ReachTip::refresh()
{
    const QString text = PortLocator::describe(m_portInForce(), m_linkDirectory);
    for (QWidget *w : m_widgets)
        w->setToolTip(text);
}

bool ReachTip::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip)
        refresh();
    return QObject::eventFilter(watched, event);
}
