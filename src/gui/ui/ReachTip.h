#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// Tooltips that name the device the port in force reaches (through its
// com<n> link, or /dev/ttyS<n-1>), or say that it reaches none. They are
// brought up to date whenever they are about to show, so a link made or
// removed by hand meanwhile is seen.
class ReachTip : public QObject
{
    Q_OBJECT

public:
    ReachTip(QList<QWidget *> widgets, QString linkDirectory, std::function<int()> portInForce,
             QObject *parent = nullptr);

    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QWidget *> m_widgets;
    QString m_linkDirectory;
    std::function<int()> m_portInForce;
};
