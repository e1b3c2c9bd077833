// A tiny program for tst_routes: the window answers the failed-send
// box with No, which must end the process at once - exit code 0, no exit
// box, and nothing after the send runs.

#include "ui/FormTavermund.h"
#include "TempExeDir.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TempExeDir dir;
    FormOptions options;
    options.executable = dir.executable();
    options.messageBox = [](const MessageRequest &request) {
        std::printf("asked %d %s\n", request.style, qPrintable(request.title));
        std::fflush(stdout);
        return request.style == 35 ? int(MessageRequest::Yes) : int(MessageRequest::No);
    };
    FormTavermund form(options);
    form.Form_Load();
    form.show();
    form.station().state.pendingCommand = QStringLiteral("1SV1=50");
    form.station().sender().SendAction(); // the port was never opened: the send fails
    std::printf("returned\n");
    return 3;
}
