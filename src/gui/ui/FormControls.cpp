#include "ui/FormControls.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

template<typename T>
T *get(QWidget *window, const QString &name)
{
    T *widget = window->findChild<T *>(name);
    Q_ASSERT_X(widget, "FormControls", qPrintable(name));
    return widget;
}

QString element(const char *array, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

} // namespace

FormControls FormControls::find(QWidget *w)
{
    FormControls c;
    c.frmHelp = get<QGroupBox>(w, QStringLiteral("frmHelp"));
    c.frmSet = get<QGroupBox>(w, QStringLiteral("frmSet"));
    for (int i = 1; i <= 4; ++i) {
        c.frmTemp[i] = get<QGroupBox>(w, element("frmTemp", i));
        c.lblTemp[i] = get<QLabel>(w, element("lblTemp", i));
        c.lblTempName[i] = get<QLabel>(w, element("lblTempName", i));
        c.txtTempName[i] = get<QLineEdit>(w, element("txtTempName", i));
    }
    for (int i = 1; i <= 5; ++i)
        c.txtSet1[i] = get<QLineEdit>(w, element("txtSet1", i));
    for (int k = 1; k <= 7; ++k)
        c.cmdFpwm[k] = get<QPushButton>(w, QStringLiteral("cmdFpwm%1").arg(k));

    c.cmdHelp = get<QPushButton>(w, QStringLiteral("cmdHelp"));
    c.cmdSet = get<QPushButton>(w, QStringLiteral("cmdSet"));
    c.cmdExit = get<QPushButton>(w, QStringLiteral("cmdExit"));
    c.cmdPorts = get<QPushButton>(w, QStringLiteral("cmdPorts"));
    c.cmdLog = get<QPushButton>(w, QStringLiteral("cmdLog"));
    c.cmdCloseHelp = get<QPushButton>(w, QStringLiteral("cmdCloseHelp"));
    c.cmd0P = get<QPushButton>(w, QStringLiteral("cmd0P"));
    c.cmd50P = get<QPushButton>(w, QStringLiteral("cmd50P"));
    c.cmd100P = get<QPushButton>(w, QStringLiteral("cmd100P"));
    c.cmdSV01 = get<QPushButton>(w, QStringLiteral("cmdSV01"));

    c.lblStatus = get<QLabel>(w, QStringLiteral("lblStatus"));
    c.lblDevCode = get<QLabel>(w, QStringLiteral("lblDevCode"));
    c.txtSV01 = get<QLineEdit>(w, QStringLiteral("txtSV01"));
    return c;
}
