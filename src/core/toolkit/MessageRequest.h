#pragma once

#include <QString>

#include <functional>

// A question for the operator in a modal message box, in the classic form:
// the style value is the button set (0 OK, 1 OK/Cancel, 2 Abort/Retry/
// Ignore, 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel) plus the icon (16
// critical, 32 question, 48 warning, 64 information) plus the default
// button (0 first, 256 second, 512 third). The answer is the classic code:
// 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No.
struct MessageRequest
{
    enum Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
    enum Style {
        OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5,
        Critical = 16, Question = 32, Exclamation = 48, Information = 64,
        DefaultButton1 = 0, DefaultButton2 = 256, DefaultButton3 = 512,
    };

    QString prompt;
    int style = OkOnly;
    QString title;
    QString helpFile;
    int helpContext = 0;
};

// Whoever answers the operator's boxes: the window shows them modally,
// tests answer them from a script.
using AskOperator = std::function<int(const MessageRequest &)>;
