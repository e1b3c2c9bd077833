// Receive path figures, with the real window offscreen:
//  - throughput: reply lines per second through pty -> MSComm1 -> line
//    assembly -> HandleReply -> labels, and the receiving thread's CPU per
//    line, without and with the line log open;
//  - latency: from the write of one reply line to its value on the label,
//    on an idle window (a quiet frame before each line);
//  - latency under a steady flow (20 lines a millisecond, values running
//    on): from a write to the duty display painted with its last value;
//  - a click under a flood: from a click on "50%" reaching the window's
//    event queue (as the platform queues it) to its command on the wire,
//    while the device floods the port with replies.

#include "PtyEndpoint.h"
#include "ui/FormTavermund.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

// The device's side of the pseudo-terminal, written from threads of its
// own so that the window's event loop runs undisturbed on the main one.
struct Device : PtyEndpoint
{
    Device()
    {
        if (const std::string error = create(); !error.empty())
            qFatal("%s", error.c_str());
    }
    // Every byte, waiting while the terminal's buffer is full.
    void writeAll(const char *data, size_t size) const
    {
        while (size > 0) {
            const Io io = write(data, size);
            data += io.bytes;
            size -= size_t(io.bytes);
            if (io.hungUp || (io.bytes == 0 && (poll(POLLOUT, nullptr, nullptr) & POLLHUP)))
                qFatal("the tool closed the port");
        }
    }
    // Drops whatever the tool sent.
    void drain() const
    {
        char buffer[4096];
        while (read(buffer, sizeof buffer).bytes > 0) {
        }
    }
};

struct Window
{
    QTemporaryDir dir;
    Device pty;
    std::unique_ptr<FormTavermund> form;

    Window()
    {
        ::symlink(pty.slavePath().c_str(), QFile::encodeName(dir.filePath("com1")).constData());
        FormOptions options;
        options.executable = {dir.path(), QStringLiteral("Tavermund")};
        options.messageBox = [](const MessageRequest &) { return int(MessageRequest::Yes); };
        form = std::make_unique<FormTavermund>(options);
        form->Form_Load();
        form->show();
        // Open the port as the first search attempt would, without waiting.
        form->station().searchNow();
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

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Throughput
{
    double linesPerSecond;
    double cpuMicrosPerLine; // the receiving (main) thread's
};

Throughput throughput(int lines, bool logged)
{
    Window w;
    if (logged && !w.form->station().startLog(w.dir.filePath(QStringLiteral("lines.log"))))
        qFatal("cannot open the line log");
    QByteArray burst;
    for (int i = 0; i < lines; ++i)
        burst += "1SV1=" + QByteArray::number(i % 100) + (i % 2 ? "\r" : "\r\n");
    burst += "1SV1=123456\r";
    const double cpu = threadCpuSeconds();
    const auto start = Clock::now();
    std::thread writer([&] { w.pty.writeAll(burst.constData(), size_t(burst.size())); });
    w.waitFor(QStringLiteral("123456"));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpuSeconds = threadCpuSeconds() - cpu;
    writer.join();
    return {lines / seconds, cpuSeconds * 1e6 / lines};
}

// Lets a frame pass with nothing received, so that the next line meets an
// idle window (the frame is Intervals::frame).
void quietFrame()
{
    const auto end = Clock::now() + std::chrono::milliseconds(20);
    while (Clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
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
        quietFrame();
    }
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) { return micros[size_t(q * double(micros.size() - 1))]; };
    std::printf("latency_median_ms %.3f\nlatency_p99_ms %.3f\nlatency_max_ms %.3f\n", at(0.5) / 1000,
                at(0.99) / 1000, micros.back() / 1000);
}

// Paints of the duty display: the time from the write whose last line it
// shows.
struct PaintWatch : QObject
{
    const std::vector<std::atomic<Clock::rep>> &written; // by write, its last value / 20
    std::vector<double> micros;
    QString last;

    explicit PaintWatch(const std::vector<std::atomic<Clock::rep>> &w)
        : written(w)
    {
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        const QString text = static_cast<QLabel *>(watched)->text();
        const size_t write = size_t(text.toInt() / 20);
        if (text != last && write < written.size() && written[write] != 0) {
            const auto sent = Clock::time_point(Clock::duration(written[write].load()));
            micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sent).count());
        }
        last = text;
        return false;
    }
};

void latencyUnderFlow(int writes)
{
    Window w;
    const std::vector<std::atomic<Clock::rep>>::size_type count = size_t(writes);
    std::vector<std::atomic<Clock::rep>> written(count);
    PaintWatch watch(written);
    w.form->ui.lblTemp[1]->installEventFilter(&watch);
    std::atomic<bool> done{false};
    std::thread board([&] {
        const auto start = Clock::now();
        for (int k = 0; k < writes; ++k) {
            QByteArray chunk;
            for (int i = 0; i < 20; ++i)
                chunk += "1SV1=" + QByteArray::number(20 * k + i) + '\r';
            std::this_thread::sleep_until(start + k * std::chrono::milliseconds(1));
            written[size_t(k)] = Clock::now().time_since_epoch().count();
            w.pty.writeAll(chunk.constData(), size_t(chunk.size()));
        }
        done = true;
    });
    while (!done || w.duty() != QString::number(20 * writes - 1))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    quietFrame();
    board.join();
    w.form->ui.lblTemp[1]->removeEventFilter(&watch);
    std::printf("flow_paints %zu of %d writes\n", watch.micros.size(), writes);
    std::sort(watch.micros.begin(), watch.micros.end());
    const auto at = [&](double q) { return watch.micros[size_t(q * double(watch.micros.size() - 1))] / 1000; };
    std::printf("flow_latency_median_ms %.3f\nflow_latency_p99_ms %.3f\nflow_latency_max_ms %.3f\n", at(0.5),
                at(0.99), at(1.0));
}

void printQuantiles(const char *name, std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) { return micros[size_t(q * double(micros.size() - 1))] / 1000; };
    std::printf("%s_median_ms %.3f\n%s_max_ms %.3f\n", name, at(0.5), name, at(1.0));
}

void clickUnderFlood(int clicks)
{
    Window w;
    w.form->ui.frmTemp[1]->setEnabled(true); // the PWM controls, as after discovery
    QPushButton *button = w.form->ui.cmd50P;
    const QPointF centre = QRectF(button->rect()).center();
    const QPointF globalCentre = button->mapToGlobal(centre);

    std::atomic<bool> done{false};
    std::atomic<bool> flooded{false};
    std::thread flood([&] {
        QByteArray chunk;
        for (int i = 0; chunk.size() < 65536; ++i)
            chunk += "1SV1=" + QByteArray::number(10 + i % 90) + '\r';
        while (!done)
            w.pty.writeAll(chunk.constData(), size_t(chunk.size()));
        flooded = true;
    });

    std::mutex mutex;
    std::vector<Clock::time_point> clicked;
    std::vector<double> micros;
    std::thread wire([&] {
        // The tool's output: each "1SV1=50" is the answer to one click.
        QByteArray seen;
        char buffer[4096];
        const timespec wait{0, 20'000'000};
        while (!done) {
            if (w.pty.poll(POLLIN, &wait, nullptr) <= 0)
                continue;
            const long n = w.pty.read(buffer, sizeof buffer).bytes;
            if (n <= 0)
                continue;
            const auto now = Clock::now();
            seen.append(buffer, qsizetype(n));
            for (qsizetype at; (at = seen.indexOf("1SV1=50\r")) >= 0; seen.remove(0, at + 8)) {
                const std::lock_guard lock(mutex);
                micros.push_back(std::chrono::duration<double, std::micro>(now - clicked.at(micros.size())).count());
            }
        }
    });
    std::thread operatorHand([&] {
        for (int i = 0; i < clicks; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            {
                const std::lock_guard lock(mutex);
                clicked.push_back(Clock::now());
            }
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(
                    button, new QMouseEvent(type, centre, globalCentre, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        done = true;
    });
    // Until the flood's last write has gone through.
    while (!flooded)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    operatorHand.join();
    wire.join();
    flood.join();
    std::printf("click_under_flood_clicks %zu of %d\n", micros.size(), clicks);
    printQuantiles("click_under_flood", micros);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const int lines = argc > 1 ? std::atoi(argv[1]) : 200000;
    // "profile": one throughput run and nothing else, to run under callgrind.
    const bool profile = argc > 2 && std::strcmp(argv[2], "profile") == 0;
    // Interleaved, the best of three each: without and with the line log.
    Throughput best[2] = {{0, 1e9}, {0, 1e9}};
    for (int run = 0; run < (profile ? 1 : 3); ++run) {
        for (const bool logged : {false, true}) {
            const Throughput t = throughput(lines, logged);
            best[logged].linesPerSecond = std::max(best[logged].linesPerSecond, t.linesPerSecond);
            best[logged].cpuMicrosPerLine = std::min(best[logged].cpuMicrosPerLine, t.cpuMicrosPerLine);
            if (profile)
                break;
        }
    }
    std::printf("throughput_lines_per_s %.0f\n", best[0].linesPerSecond);
    if (profile)
        return 0;
    std::printf("receive_cpu_us_per_line %.3f\nreceive_cpu_us_per_line_logged %.3f\n", best[0].cpuMicrosPerLine,
                best[1].cpuMicrosPerLine);
    latency(1000);
    latencyUnderFlow(3000);
    clickUnderFlood(20);
    return 0;
}
