#pragma once

#include "toolkit/MessageRequest.h"

class QWidget;

// Modal message boxes for a MessageRequest: its style value gives the
// buttons, the icon and the default button; the answer is the classic code.
//
// Escape and the close box answer Cancel where there is a Cancel button, OK
// in an OK-only box, and do nothing otherwise: a Yes/No box must be
// answered with one of its buttons.
class MessageBox
{
public:
    // Shows the box modally over `parent` and returns the answer.
    static int exec(QWidget *parent, const MessageRequest &request);
    static AskOperator modal(QWidget *parent);
};
