#include "ui/PortPicker.h"

#include "serial/PortCatalog.h"
#include "serial/PortLocator.h"
#include "text/WholeNumber.h"

#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>

namespace {

const QString ButtonCaption = QStringLiteral("Choose port...");

} // namespace

PortPicker::PortPicker(QPushButton *button, QLineEdit *comEntry, PortLister lister, QString linkDirectory,
                       QObject *parent)
    : QObject(parent)
    , m_button(button)
    , m_comEntry(comEntry)
    , m_lister(std::move(lister))
    , m_linkDirectory(std::move(linkDirectory))
    , m_menu(new QMenu(button))
{
    m_menu->setObjectName(QStringLiteral("portList"));
    m_button->setToolTip(PortCatalog::chooserTip());
    connect(m_button, &QPushButton::clicked, this, &PortPicker::open);
}

void PortPicker::showChoice(const PortEntry &entry)
{
    m_choice = entry.systemPath;
    m_button->setText(entry.kernelName.isEmpty() ? ButtonCaption : QStringLiteral("Chosen: ") + entry.kernelName);
}

// A port the system numbers itself (Windows) is chosen by its number;
// any other waits for SAVE-CLOSE, which links it.
void PortPicker::choose(const PortEntry &entry)
{
    if (entry.portNumber)
        m_comEntry->setText(WholeNumber::toText(entry.portNumber));
    else
        emit chosen(entry);
}

void PortPicker::open()
{
    m_menu->clear();
    const QList<PortEntry> entries = m_lister();
    // What the port typed in the COM entry reaches now is checked.
    const auto port = WholeNumber::fromText(m_comEntry->text(), QLocale().decimalPoint().front());
    for (const PortEntry &entry : entries) {
        QString text = PortCatalog::entryText(entry);
        QAction *item = m_menu->addAction(text.replace(u'&', QStringLiteral("&&")));
        item->setCheckable(true);
        item->setChecked(port && PortLocator::reaches(*port, entry, m_linkDirectory));
        if (!m_choice.isEmpty() && entry.systemPath == m_choice) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        connect(item, &QAction::triggered, this, [this, entry] { choose(entry); });
    }
    if (entries.isEmpty())
        m_menu->addAction(PortCatalog::emptyText())->setEnabled(false);
    m_menu->popup(m_button->mapToGlobal(QPoint(0, m_button->height())));
}
