// Receive path figures, with the real window offscreen:
//  - throughput: reply lines per second through pty -> MSComm1 -> line
//    assembly -> HandleReply -> labels;
//  - latency: from the write of one reply line to its value on the label.

#include "BenchPty.h"
#include "ui/FormTavermund.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

struct Window
{
    QTemporaryDir dir;
    BenchPty pty;
    std::unique_ptr<FormTavermund> form;

    Window()
    {
        ::symlink(QFile::encodeName(pty.slavePath()).constData(),
                  QFile::encodeName(dir.filePath("com1")).constData());
        FormOptions options;
        options.executable = {dir.path(), QStringLiteral("Tavermund")};
        options.messageBox = [](const MessageRequest &) { return int(MessageRequest::Yes); };
        form = std::make_unique<FormTavermund>(options);
        form->Form_Load();
        form->show();
        // Open the port as the first search attempt would, without waiting.
        form->link().cmdInicijalizacija_Click();
        pty.drain();
    }

    QString duty() const { return form->ui.lblTemp[1]->text(); }

    // Runs events until the duty display shows `text`.
    void waitFor(const QString &text) const
    {
        while (duty() != text)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
};

double throughput(int lines)
{
    Window w;
    QByteArray burst;
    for (int i = 0; i < lines; ++i)
        burst += "1SV1=" + QByteArray::number(i % 100) + (i % 2 ? "\r" : "\r\n");
    burst += "1SV1=123456\r";
    const auto start = Clock::now();
    std::thread writer([&] { w.pty.writeAll(burst.constData(), size_t(burst.size())); });
    w.waitFor(QStringLiteral("123456"));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    writer.join();
    return lines / seconds;
}

void latency(int samples)
{
    Window w;
    std::vector<double> micros;
    micros.reserve(size_t(samples));
    for (int i = 0; i < samples; ++i) {
        const QByteArray line = "1SV1=" + QByteArray::number(1000 + i) + "\r";
        const QString expected = QString::number(1000 + i);
        const auto sent = Clock::now();
        w.pty.writeAll(line.constData(), size_t(line.size()));
        w.waitFor(expected);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sent).count());
        QCoreApplication::processEvents(); // let painting catch up between samples
    }
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) { return micros[size_t(q * double(micros.size() - 1))]; };
    std::printf("latency_median_ms %.3f\nlatency_p99_ms %.3f\nlatency_max_ms %.3f\n", at(0.5) / 1000,
                at(0.99) / 1000, micros.back() / 1000);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const int lines = argc > 1 ? std::atoi(argv[1]) : 200000;
    double best = 0;
    for (int run = 0; run < 3; ++run)
        best = std::max(best, throughput(lines));
    std::printf("throughput_lines_per_s %.0f\n", best);
    latency(2000);
    return 0;
}
