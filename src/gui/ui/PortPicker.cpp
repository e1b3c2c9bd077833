#include "ui/PortPicker.h"

#include "serial/PortCatalog.h"
#include "serial/PortLocator.h"
#include "text/WholeNumber.h"

#include <QFileInfo>
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
    m_button->setToolTip(QStringLiteral("The serial ports of this computer. The one you choose is linked "
                                        "as the COM port of the COM entry when you press SAVE-CLOSE."));
    connect(m_button, &QPushButton::clicked, this, &PortPicker::open);
}

void PortPicker::showChoice(const PortEntry &entry)
{
    m_choice = entry.systemPath;
    m_button->setText(entry.kernelName.isEmpty() ? ButtonCaption : QStringLiteral("Chosen: ") + entry.kernelName);
}

// The device that the port typed in the COM entry reaches now, if any.
QString PortPicker::reachedNow() const
{
    const auto port = WholeNumber::fromText(m_comEntry->text(), QLocale().decimalPoint().front());
    return port ? PortLocator::locate(*port, m_linkDirectory).path : QString();
}

void PortPicker::open()
{
    m_menu->clear();
    const QList<PortEntry> entries = m_lister();
    const QString reached = reachedNow();
    for (const PortEntry &entry : entries) {
        QString text = PortCatalog::entryText(entry);
        QAction *item = m_menu->addAction(text.replace(u'&', QStringLiteral("&&")));
        const QString device = QFileInfo(entry.systemPath).canonicalFilePath();
        item->setCheckable(true);
        item->setChecked(!device.isEmpty() && device == reached);
        if (!m_choice.isEmpty() && entry.systemPath == m_choice) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        connect(item, &QAction::triggered, this, [this, entry] { emit chosen(entry); });
    }
    if (entries.isEmpty())
        m_menu->addAction(PortCatalog::emptyText())->setEnabled(false);
    m_menu->popup(m_button->mapToGlobal(QPoint(0, m_button->height())));
}
