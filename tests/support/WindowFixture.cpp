#include "WindowFixture.h"

#include "ui/ControlPainter.h"
#include "ui/BgrColor.h"

#include <QLabel>
#include <QTest>

WindowFixture::WindowFixture(const QByteArray &ini, int port, bool linkPort)
{
    if (!ini.isEmpty())
        m_dir.writeIni(ini);
    if (linkPort && !m_peer.linkAs(m_dir.linkPath(port)))
        qFatal("cannot link %s", qPrintable(m_dir.linkPath(port)));
}

WindowFixture::~WindowFixture()
{
    m_form.reset();
}

FormTavermund &WindowFixture::start()
{
    FormOptions options;
    options.executable = m_dir.executable();
    options.intervals = intervals;
    options.ports = ports;
    options.messageBox = [this](const MessageRequest &request) {
        asked.append(request);
        if (!answers.isEmpty())
            return answers.takeFirst();
        const int buttons = request.style & 0x0F;
        if (buttons == MessageRequest::YesNoCancel || buttons == MessageRequest::OkCancel || buttons == MessageRequest::RetryCancel)
            return int(MessageRequest::Cancel);
        return buttons == MessageRequest::YesNo ? int(MessageRequest::Yes) : int(MessageRequest::Ok);
    };
    m_form = std::make_unique<FormTavermund>(options);
    m_form->Form_Load();
    m_form->show();
    return *m_form;
}

QString WindowFixture::status() const
{
    return m_form->ui.lblStatus->text();
}

std::uint32_t WindowFixture::statusBack() const
{
    return ControlPainter::backColorValue(m_form->ui.lblStatus);
}

std::uint32_t WindowFixture::statusPixel() const
{
    const QImage image = m_form->ui.lblStatus->grab().toImage();
    return BgrColor::fromQColor(image.pixelColor(3, image.height() / 2));
}

bool WindowFixture::discover(int timeoutMs)
{
    const QByteArray request = "\r" + m_form->st.settings.deviceId.toLatin1() + "BS?\r";
    QElapsedTimer clock;
    clock.start();
    while (!m_peer.received().contains(request)) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    m_peer.write(m_form->st.settings.deviceId.toLatin1() + "BSok\r");
    while (m_form->Timer1.Enabled()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

bool WindowFixture::discoverAndReadBack()
{
    const QByteArray query = m_form->st.settings.deviceId.toLatin1() + "SV2\r";
    if (!discover() || !QTest::qWaitFor([&] { return m_peer.received().contains(query); }, 4000))
        return false;
    QTest::qWait(150);
    m_peer.clearReceived();
    return true;
}

QWidget *WindowFixture::widget(const QString &name) const
{
    return m_form->findChild<QWidget *>(name);
}
