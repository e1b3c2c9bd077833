#include "ui/MessageBox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace {

class ModalBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;
    bool escapable = false;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!escapable && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        if (!escapable) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

struct ButtonSet
{
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton escape = QMessageBox::NoButton;
};

ButtonSet buttonsFor(int set)
{
    switch (set) {
    case MessageRequest::OkCancel: return {{QMessageBox::Ok, QMessageBox::Cancel}, QMessageBox::Cancel};
    case MessageRequest::AbortRetryIgnore: return {{QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}};
    case MessageRequest::YesNoCancel: return {{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}, QMessageBox::Cancel};
    case MessageRequest::YesNo: return {{QMessageBox::Yes, QMessageBox::No}};
    case MessageRequest::RetryCancel: return {{QMessageBox::Retry, QMessageBox::Cancel}, QMessageBox::Cancel};
    default: return {{QMessageBox::Ok}, QMessageBox::Ok};
    }
}

int answerOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok: return MessageRequest::Ok;
    case QMessageBox::Abort: return MessageRequest::Abort;
    case QMessageBox::Retry: return MessageRequest::Retry;
    case QMessageBox::Ignore: return MessageRequest::Ignore;
    case QMessageBox::Yes: return MessageRequest::Yes;
    case QMessageBox::No: return MessageRequest::No;
    default: return MessageRequest::Cancel;
    }
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0x70) {
    case MessageRequest::Critical: return QMessageBox::Critical;
    case MessageRequest::Question: return QMessageBox::Question;
    case MessageRequest::Exclamation: return QMessageBox::Warning;
    case MessageRequest::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

int MessageBox::exec(QWidget *parent, const MessageRequest &request)
{
    ModalBox box(parent);
    box.setWindowTitle(request.title);
    box.setText(request.prompt);
    box.setIcon(iconFor(request.style));

    const ButtonSet set = buttonsFor(request.style & 0x0F);
    std::vector<QPushButton *> buttons;
    for (QMessageBox::StandardButton b : set.buttons)
        buttons.push_back(box.addButton(b));
    const std::size_t defaultIndex = std::size_t((request.style & 0x300) >> 8);
    box.setDefaultButton(buttons[defaultIndex < buttons.size() ? defaultIndex : 0]);
    box.escapable = set.escape != QMessageBox::NoButton;
    if (box.escapable)
        box.setEscapeButton(box.button(set.escape));
    // The help file and context have no Help button to serve; they stay in
    // the request for whoever answers it.

    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    if (!clicked)
        return box.escapable ? answerOf(set.escape) : MessageRequest::Cancel;
    return answerOf(box.standardButton(clicked));
}

AskOperator MessageBox::modal(QWidget *parent)
{
    return [parent](const MessageRequest &request) { return exec(parent, request); };
}
