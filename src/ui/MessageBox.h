#pragma once

#include <QString>

#include <functional>

class QWidget;

// Modal message boxes driven by the classic style value: the button set
// (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No,
// 5 Retry/Cancel) plus the icon (16 critical, 32 question, 48 warning,
// 64 information) plus the default button (0 first, 256 second, 512 third).
// The answer is the classic code: 1 OK, 2 Cancel, 3 Abort, 4 Retry,
// 5 Ignore, 6 Yes, 7 No.
//
// Escape and the close box answer Cancel where there is a Cancel button, OK
// in an OK-only box, and do nothing otherwise: a Yes/No box must be
// answered with one of its buttons.
class MessageBox
{
public:
    enum Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
    enum Style {
        OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5,
        Critical = 16, Question = 32, Exclamation = 48, Information = 64,
        DefaultButton1 = 0, DefaultButton2 = 256, DefaultButton3 = 512,
    };

    struct Request
    {
        QString prompt;
        int style = OkOnly;
        QString title;
        QString helpFile;
        int helpContext = 0;
    };

    // Something that answers a box. The window gets one at construction;
    // tests pass their own, so that no human has to click.
    using Responder = std::function<int(const Request &)>;

    // Shows the box modally over `parent` and returns the answer.
    static int exec(QWidget *parent, const Request &request);
    static Responder modal(QWidget *parent);
};
