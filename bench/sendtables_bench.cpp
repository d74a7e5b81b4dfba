// Send tables of the real main window against a converter played by a thread
// on the other end of a pseudo-terminal, which timestamps every byte it
// writes and reads with a monotonic clock.
//
// Prints one line per run, for scripts:
//   reply p50_ms=<x> p99_ms=<x> max_ms=<x> missing=<n>
//   autosend mean_ms=<x> p99_err_ms=<x> missing=<n>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QSerialPort>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "app/mainwindow.h"
#include "benchsupport.h"
#include "link/canframe.h"

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The converter's end of a raw pseudo-terminal; the window opens the other.
struct ConverterLine
{
    int master = -1;
    int slave = -1;
    QString path;

    ConverterLine()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios tio {};
        tcgetattr(slave, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
        path = QString::fromLocal8Bit(name);
    }
    ~ConverterLine()
    {
        ::close(master);
        ::close(slave);
    }
    void writeAll(const QByteArray &bytes) const
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0)
                return;
            done += n;
        }
    }
    // Reads what is there within `waitUs`; returns the number of 20-byte frames
    // completed, `pending` keeping a frame's first bytes.
    int readFrames(QByteArray &pending, int waitUs) const
    {
        pollfd p {master, POLLIN, 0};
        const timespec wait {0, long(waitUs) * 1000};
        if (ppoll(&p, 1, &wait, nullptr) <= 0)
            return 0;
        char buf[4096];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0)
            return 0;
        const int before = int(pending.size()) / FixedLayout::FrameSize;
        pending.append(buf, n);
        return int(pending.size()) / FixedLayout::FrameSize - before;
    }
};

template <typename T>
T *child(MainWindow &window, const char *name)
{
    return window.findChild<T *>(QString::fromLatin1(name));
}

void openWindowPort(MainWindow &window, const QString &path)
{
    child<QComboBox>(window, "cbBoxPort")->setEditText(path);
    child<QAbstractButton>(window, "btnOpenClose")->click();
}

void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index = size_t(std::ceil(p * double(values.size()))) - 1;
    return values.at(std::min(index, values.size() - 1));
}

// 10,000 frames a second for 5 s, fixed and variable framing in turn, the
// identifiers cycling over ten values of which one is answered.
void replyLatency()
{
    constexpr int kRate = 10000;
    constexpr int kFrames = kRate * 5;
    constexpr quint32 kFirstId = 0x100;
    constexpr quint32 kAnsweredId = 0x105;

    ConverterLine line;
    MainWindow window;
    window.show();
    auto *replies = child<QTableWidget>(window, "tableWidget_4");
    replies->setRowCount(1);
    replies->item(0, 0)->setText(QStringLiteral("105"));
    replies->item(0, 1)->setText(QStringLiteral("205"));
    child<QAbstractButton>(window, "checkBoxReplyAuto")->click();
    openWindowPort(window, line.path);

    std::vector<Clock::time_point> written;
    std::vector<Clock::time_point> read;
    written.reserve(kFrames / 10);
    read.reserve(kFrames / 10);
    std::atomic<bool> finished {false};
    std::thread converter([&] {
        QByteArray pending;
        const Clock::time_point start = Clock::now();
        Clock::time_point lastRead = start;
        for (int k = 0; k < kFrames || (read.size() < written.size() && msBetween(lastRead, Clock::now()) < 1000);) {
            const Clock::time_point now = Clock::now();
            for (; k < kFrames && start + std::chrono::microseconds(qint64(k) * 1000000 / kRate) <= now; ++k) {
                CanFrame frame;
                frame.identifier = kFirstId + quint32(k % 10);
                frame.length = 8;
                frame.data = QByteArray(reinterpret_cast<const char *>(&k), sizeof k).leftJustified(8, '\0');
                line.writeAll(k % 2 ? encodeVariableFrame(frame) : encodeFixedFrame(frame));
                if (frame.identifier == kAnsweredId)
                    written.push_back(Clock::now());
            }
            const int got = line.readFrames(pending, 50);
            for (int i = 0; i < got; ++i)
                read.push_back(Clock::now());
            if (got > 0)
                lastRead = Clock::now();
        }
        finished = true;
    });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (finished)
            loop.quit();
    });
    poll.start(20);
    loop.exec();
    converter.join();

    std::vector<double> latencies;
    for (size_t i = 0; i < read.size() && i < written.size(); ++i)
        latencies.push_back(msBetween(written[i], read[i]));
    const double maxMs = latencies.empty() ? 0 : *std::max_element(latencies.begin(), latencies.end());
    std::printf("reply p50_ms=%.3f p99_ms=%.3f max_ms=%.3f missing=%lld\n", percentile(latencies, 0.5),
                percentile(latencies, 0.99), maxMs, qlonglong(written.size()) - qlonglong(read.size()));
    std::fflush(stdout);
}

// Three enabled rows at 10 ms, cycling, for 5 s, nothing received.
void autoSendTiming()
{
    constexpr int kIntervalMs = 10;
    ConverterLine line;
    MainWindow window;
    window.show();
    auto *table = child<QTableWidget>(window, "tableWidget_3");
    table->setRowCount(3);
    for (int row = 0; row < 3; ++row)
        table->item(row, 2)->setText(QString::number(kIntervalMs));
    child<QAbstractButton>(window, "checkBoxAutoCycle")->click();
    openWindowPort(window, line.path);
    qint64 bytesWritten = 0;
    QObject::connect(window.findChild<QSerialPort *>(), &QSerialPort::bytesWritten,
                     [&](qint64 n) { bytesWritten += n; });

    std::vector<Clock::time_point> arrivals;
    std::atomic<bool> stop {false};
    std::thread converter([&] {
        QByteArray pending;
        while (!stop) {
            const int got = line.readFrames(pending, 1000);
            for (int i = 0; i < got; ++i)
                arrivals.push_back(Clock::now());
        }
    });
    child<QAbstractButton>(window, "btnSendSeq")->click();
    runEventLoop(5000);
    child<QAbstractButton>(window, "btnAutoStop")->click();
    runEventLoop(300);
    stop = true;
    converter.join();

    std::vector<double> errors;
    double sum = 0;
    for (size_t i = 1; i < arrivals.size(); ++i) {
        const double gap = msBetween(arrivals[i - 1], arrivals[i]);
        sum += gap;
        errors.push_back(std::fabs(gap - kIntervalMs));
    }
    const qint64 frames = bytesWritten / FixedLayout::FrameSize;
    std::printf("autosend mean_ms=%.3f p99_err_ms=%.3f missing=%lld\n", errors.empty() ? 0 : sum / double(errors.size()),
                percentile(errors, 0.99), qlonglong(frames) - qlonglong(arrivals.size()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    BenchApplication app(argc, argv);
    replyLatency();
    autoSendTiming();
    return 0;
}
