#include "ui/FormBuilder.h"

#include "toolkit/Twips.h"
#include "ui/ControlPainter.h"
#include "ui/FormLayout.h"

#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace {

QWidget *create(const ControlSpec &spec, QWidget *parent)
{
    const QString caption = QString::fromLatin1(spec.caption);
    const bool centre = spec.flags & ControlSpec::Centre;
    switch (spec.kind) {
    case ControlSpec::Kind::Frame: {
        auto *frame = new QGroupBox(caption, parent);
        frame->setFocusPolicy(Qt::NoFocus);
        return frame;
    }
    case ControlSpec::Kind::Button:
    case ControlSpec::Kind::ColourButton: {
        auto *button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    }
    case ControlSpec::Kind::Label: {
        auto *label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setIndent(0); // a framed label would otherwise push its text down by half an 'x'
        label->setAlignment((centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        if (spec.flags & ControlSpec::Border) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setLineWidth(1);
        }
        return label;
    }
    case ControlSpec::Kind::TextBox: {
        auto *box = new QLineEdit(caption, parent);
        box->setAlignment((centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
        box->setTextMargins(0, 0, 0, 0);
        return box;
    }
    case ControlSpec::Kind::HelpBox: {
        auto *box = new QPlainTextEdit(parent);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        box->setWordWrapMode(QTextOption::WordWrap);
        box->setTabChangesFocus(true);
        box->setPlainText(QString::fromLatin1(FormLayout::helpText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        return box;
    }
    }
    return nullptr;
}

bool takesFocus(ControlSpec::Kind kind)
{
    return kind != ControlSpec::Kind::Frame && kind != ControlSpec::Kind::Label;
}

} // namespace

void FormBuilder::build(QWidget *window, double dpi)
{
    const auto px = [dpi](int twips) { return Twips::toPixels(twips, dpi); };
    QHash<QString, QWidget *> byName;
    QHash<QWidget *, std::vector<QWidget *>> stack; // per container, top first
    std::vector<std::pair<int, QWidget *>> focusOrder;
    std::vector<QWidget *> labels;

    for (const ControlSpec &spec : FormLayout::controls()) {
        QWidget *parent = spec.container ? byName.value(QString::fromLatin1(spec.container)) : window;
        Q_ASSERT(parent);
        QWidget *w = create(spec, parent);
        w->setObjectName(QString::fromLatin1(spec.name));
        w->setGeometry(px(spec.left), px(spec.top), px(spec.width), px(spec.height));
        w->setFont(FontResolver::font(spec.font.face, spec.font.points, spec.font.bold));
        ControlPainter::initialise(w);
        ControlPainter::setBackColor(w, spec.back);
        ControlPainter::setForeColor(w, spec.fore);
        if (spec.flags & ControlSpec::Hidden)
            w->setVisible(false);
        if (spec.flags & ControlSpec::Disabled)
            w->setEnabled(false);
        if (takesFocus(spec.kind))
            focusOrder.emplace_back(spec.tab, w);
        else
            w->setFocusPolicy(Qt::NoFocus);
        if (spec.kind == ControlSpec::Kind::Label) {
            // Its size is the table's: a new caption then does not ask the
            // container to lay it out again (a posted event each time).
            w->setFixedSize(w->size());
            labels.push_back(w);
        }
        byName.insert(w->objectName(), w);
        stack[parent].push_back(w);
    }

    // An earlier entry lies over a later one; labels are painted on their
    // container's surface, beneath its frames, buttons and text boxes.
    for (auto it = stack.cbegin(); it != stack.cend(); ++it) {
        for (auto w = it.value().rbegin(); w != it.value().rend(); ++w)
            (*w)->raise();
    }
    for (QWidget *label : labels)
        label->lower();

    std::sort(focusOrder.begin(), focusOrder.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        QWidget::setTabOrder(focusOrder[i - 1].second, focusOrder[i].second);
}
