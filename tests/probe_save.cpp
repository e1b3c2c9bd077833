// A tiny program for tst_faults, run as an unprivileged user: the window
// in the folder given, with a new caption typed and SAVE-CLOSE pressed.
// Prints what the operator would see.

#include "ui/FormTavermund.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    FormOptions options;
    options.executable = {QString::fromLocal8Bit(argv[1]), QStringLiteral("Tavermund")};
    options.messageBox = [](const MessageRequest &request) {
        std::printf("asked %d: %s\n", request.style, qPrintable(QString(request.prompt).replace('\n', ' ')));
        return int(MessageRequest::Ok);
    };
    FormTavermund form(options);
    form.Form_Load();
    form.show();
    form.station().openSettings();
    form.ui.txtTempName[1]->setText(QStringLiteral("changed"));
    form.ui.cmdExit->click();
    std::printf("panel %s\ncaption %s\nlabel %s\n", form.ui.frmSet->isVisible() ? "open" : "closed",
                qPrintable(form.ui.txtTempName[1]->text()), qPrintable(form.ui.lblTempName[1]->text()));
    return 0;
}
