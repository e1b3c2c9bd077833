#include "WindowFixture.h"

#include "ui/BgrColor.h"
#include "ui/ControlPainter.h"

#include <QLabel>
#include <QTest>

WindowFixture::WindowFixture(const QByteArray &ini, int port, bool linkPort)
{
    if (!ini.isEmpty())
        m_dir.writeIni(ini);
    if (linkPort && !m_peer.linkAs(m_dir.linkPath(port)))
        qFatal("cannot link %s", qPrintable(m_dir.linkPath(port)));
}

FormTavermund &WindowFixture::start()
{
    FormOptions options;
    options.executable = m_dir.executable();
    options.intervals = intervals;
    options.ports = ports;
    options.chooseLogFile = chooseLogFile;
    if (!realBoxes) {
        options.messageBox = [this](const MessageRequest &request) {
            asked.append(request);
            if (!answers.isEmpty())
                return answers.takeFirst();
            const int buttons = request.style & 0x0F;
            if (buttons == MessageRequest::YesNoCancel || buttons == MessageRequest::OkCancel)
                return int(MessageRequest::Cancel);
            return buttons == MessageRequest::YesNo ? int(MessageRequest::Yes) : int(MessageRequest::Ok);
        };
    }
    m_form = std::make_unique<FormTavermund>(options);
    QObject::connect(&m_form->station(), &BenchStation::statusChanged, [this](const QString &s) { statuses << s; });
    m_form->Form_Load();
    m_form->show();
    return *m_form;
}

QString WindowFixture::status() const
{
    return m_form->ui.lblStatus->text();
}

std::uint32_t WindowFixture::pixel(QWidget *control)
{
    const QImage image = control->grab().toImage();
    return BgrColor::fromQColor(image.pixelColor(3, image.height() / 2));
}

bool WindowFixture::discover()
{
    const QByteArray id = m_form->station().settingsInUse().deviceId.toLatin1();
    const QByteArray request = "\r" + id + "BS?\r";
    if (!QTest::qWaitFor([&] { return m_peer.received().contains(request); }, 5000))
        return false;
    m_peer.write(id + "BSok\r");
    return QTest::qWaitFor([&] { return m_form->station().isBoardFound(); }, 5000);
}

bool WindowFixture::discoverAndReadBack()
{
    bool readBack = false;
    const QMetaObject::Connection c = QObject::connect(&m_form->station(), &BenchStation::readBackDone,
                                                       [&readBack] { readBack = true; });
    const bool done = discover() && QTest::qWaitFor([&] { return readBack; }, 5000);
    QObject::disconnect(c);
    m_peer.clearReceived();
    return done;
}
