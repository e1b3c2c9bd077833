// The window in a process of its own, for what a test cannot do in its own
// process: the failed-send box answered No, which must end the process at
// once, with exit code 0, no exit box and nothing after. Prints the boxes.

#include "TempExeDir.h"
#include "ui/FormTavermund.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TempExeDir dir;
    FormOptions options;
    options.executable = dir.executable();
    options.messageBox = [](const MessageRequest &request) {
        std::printf("asked %d %s: %s\n", request.style, qPrintable(request.title),
                    qPrintable(QString(request.prompt).replace('\n', ' ')));
        std::fflush(stdout);
        return request.style == (MessageRequest::YesNoCancel | MessageRequest::Question) ? int(MessageRequest::Yes) : int(MessageRequest::No);
    };
    FormTavermund form(options);
    form.Form_Load();
    form.show();
    form.station().pressDuty(50); // the port was never opened: the send fails
    std::printf("returned\n");
    return 3;
}
