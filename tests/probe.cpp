// The window in a process of its own, for what a test cannot do in its own
// process. Prints what the operator would see.
//   probe end        the failed-send box is answered No, which must end the
//                    process at once: exit code 0, no exit box, nothing after
//   probe save DIR   (run as an unprivileged user) a new caption typed in the
//                    window beside DIR, and SAVE-CLOSE pressed

#include "TempExeDir.h"
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
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode != "end" && (mode != "save" || argc < 3))
        return 2;
    TempExeDir dir;
    FormOptions options;
    options.executable = mode == "end" ? dir.executable() : Executable{QString::fromLocal8Bit(argv[2]), "Tavermund"};
    options.messageBox = [](const MessageRequest &request) {
        std::printf("asked %d %s: %s\n", request.style, qPrintable(request.title),
                    qPrintable(QString(request.prompt).replace('\n', ' ')));
        std::fflush(stdout);
        return request.style == 35 ? int(MessageRequest::Yes) : int(MessageRequest::No);
    };
    FormTavermund form(options);
    form.Form_Load();
    form.show();
    if (mode == "end") {
        form.station().pressDuty(50); // the port was never opened: the send fails
        std::printf("returned\n");
        return 3;
    }
    form.station().openSettings();
    form.ui.txtTempName[1]->setText(QStringLiteral("changed"));
    form.ui.cmdExit->click();
    std::printf("panel %s\ncaption %s\nlabel %s\n", form.ui.frmSet->isVisible() ? "open" : "closed",
                qPrintable(form.ui.txtTempName[1]->text()), qPrintable(form.ui.lblTempName[1]->text()));
    return 0;
}
