// tavicon-bridge at the converter's line rate: the emulator writes 10,000
// fixed frames a second for 5 s; a socketcand client and an slcan reader,
// both here, count every frame and time it from when the emulator was due to
// write it (frame k at k / rate after the run was asked for, so the
// emulator's own timer lateness counts against the bridge) to its read.
//
//   bridge latency_ms socketcand min=<x> p50=<x> p99=<x> slcan min=<x> p50=<x> p99=<x>
//   bridge frames=<n> from_bus_per_s=<r> lost=<n> p99_ms=<x> cpu_us_per_frame=<x>
//
// Then a socketcand client writes 5000 frames in one write, far more than the
// converter's send queue holds; the time until the emulator has them all:
//
//   bridge_burst frames=<n> reached=<n> refused=<n> ms=<n>
//
// Last the same line rate with the converter face read instead of slcan:
//
//   bridge_converter frames=<n> lost=<n> p99_ms=<x> cpu_us_per_frame=<x>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "childprocess.h"
#include "emulatorprocess.h"
#include "link/framescanner.h"

namespace {

constexpr int Rate = 10000;
constexpr int Frames = Rate * 5;
constexpr int BurstFrames = 5000;

QElapsedTimer benchClock;

// Receipt times in ms since the run was asked for, by frame number.
struct Reader
{
    std::vector<double> readMs = std::vector<double>(Frames, -1);
    QByteArray partial;

    // Takes the frame number from the first four data bytes (seq data, low byte first).
    void frame(const QByteArray &dataHex, double now)
    {
        const QByteArray bytes = QByteArray::fromHex(dataHex.left(8));
        if (bytes.size() < 4)
            return;
        quint32 k = 0;
        for (int i = 0; i < 4; ++i)
            k |= quint32(quint8(bytes.at(i))) << (8 * i);
        if (k < quint32(Frames) && readMs[k] < 0)
            readMs[k] = now;
    }
    // Splits at `end`; each piece goes to `take`.
    template <typename Take>
    void feed(const QByteArray &bytes, char end, Take take)
    {
        partial += bytes;
        qsizetype from = 0;
        for (qsizetype at; (at = partial.indexOf(end, from)) >= 0; from = at + 1)
            take(QByteArrayView(partial).sliced(from, at - from));
        partial.remove(0, from);
    }
    int lost() const { return int(std::count(readMs.begin(), readMs.end(), -1.0)); }
    // The latency at fraction `p` (0 the least) of the frames read.
    double latencyAt(double startMs, double p = 0.99) const
    {
        std::vector<double> latency;
        for (int k = 0; k < Frames; ++k) {
            if (readMs[k] >= 0)
                latency.push_back(readMs[k] - (startMs + k * 1000.0 / Rate));
        }
        if (latency.empty())
            return 0;
        std::sort(latency.begin(), latency.end());
        return latency[std::min(latency.size() - 1, size_t(std::max(1.0, std::ceil(p * double(latency.size())))) - 1)];
    }
    double last() const { return *std::max_element(readMs.begin(), readMs.end()); }
};

double nowMs() { return double(benchClock.nsecsElapsed()) / 1e6; }

// The converter's frames as the converter writes them, for the converter face.
struct ConverterReader : FrameSink
{
    Reader &reader;
    double now = 0;
    explicit ConverterReader(Reader &r) : reader(r) {}
    void canFrameReceived(const CanFrame &frame, FrameFraming) override { reader.frame(frame.data.toHex(), now); }
    void fixedFrameReceived(const char *) override {}
};

struct Run
{
    QProcess bridge;
    Reader socketcand, other;       // other: the slcan or the converter face
    double startMs = 0;
    double cpuUs = 0;
    qint64 fromBus = 0;
    QByteArray counters;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchClock.start();
    EmulatorProcess emulator;
    // The slcan face and then the converter face, each beside a socketcand client.
    for (const QString &face : {QStringLiteral("slcan"), QStringLiteral("converter")}) {
        Run run;
        QProcess &bridge = run.bridge;
        bridge.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        bridge.start(QStringLiteral(TAVICON_BRIDGE), {"--port", emulator.portName(), "--" + face, "--socketcand", "29541"});
        QByteArray startup;
        if (!runUntil([&] { startup += bridge.readAllStandardOutput(); return startup.contains("READY\n"); }, 5000)) {
            std::fprintf(stderr, "bridge_bench: the bridge did not start\n");
            return 1;
        }
        const QByteArray faceLine = face.toUpper().toLatin1() + ' ';
        const qsizetype at = startup.indexOf(faceLine) + faceLine.size();
        const QString pty = QString::fromUtf8(startup.mid(at, startup.indexOf('\n', at) - at));

        Reader &socketcand = run.socketcand, &other = run.other;
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, 29541);
        socket.write("< open can0 >< rawmode >");
        QByteArray greeting;
        runUntil([&] { greeting += socket.readAll(); return greeting.count("< ok >") == 2; }, 3000);
        // " < frame 100 SEC.USEC DATA >"
        QObject::connect(&socket, &QTcpSocket::readyRead, [&] {
            const double now = nowMs();
            socketcand.feed(socket.readAll(), '>', [&](QByteArrayView message) {
                const QList<QByteArray> words = message.toByteArray().simplified().split(' ');
                if (words.size() >= 5 && words.at(1) == "frame")
                    socketcand.frame(words.at(4), now);
            });
        });
        const int fd = ::open(qPrintable(pty), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (face == QLatin1String("slcan")) {
            [[maybe_unused]] const ssize_t opened = ::write(fd, "O\r", 2);
        }
        FrameScanner scanner;
        ConverterReader converter(other);
        QSocketNotifier notifier(fd, QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
            const double now = nowMs();
            char buf[65536];
            for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) {
                if (face == QLatin1String("converter")) {
                    converter.now = now;
                    scanner.feed(QByteArray(buf, int(n)), converter);
                    continue;
                }
                other.feed(QByteArray(buf, int(n)), '\r', [&](QByteArrayView line) {
                    if (line.size() > 5 && line.at(0) == 't')
                        other.frame(line.sliced(5).toByteArray(), now);
                });
            }
        });
        runUntil([] { return false; }, 300);      // the socketcand hold after rawmode passes

        const double cpuBefore = cpuMicroseconds(bridge.processId());
        run.startMs = nowMs();
        emulator.command(QStringLiteral("gen %1 %2 fixed id=100 format=std data=seq").arg(Frames).arg(Rate));
        runUntil([&] { return socketcand.lost() == 0 && other.lost() == 0; }, 5000 + 5000);
        runUntil([] { return false; }, 200);
        run.cpuUs = cpuMicroseconds(bridge.processId()) - cpuBefore;

        QByteArray burst("< open can0 >");
        const bool burstRun = face == QLatin1String("slcan");
        for (int i = 0; i < BurstFrames; ++i)
            burst += QStringLiteral("< send %1 2 %2 %3 >").arg(i & 0x7FF, 0, 16).arg(i & 0xFF, 0, 16).arg(i >> 8, 0, 16).toLatin1();
        QTcpSocket burstClient;
        burstClient.connectToHost(QHostAddress::LocalHost, 29541);
        burstClient.waitForConnected(3000);
        emulator.takeLines();
        int reached = 0;
        QElapsedTimer burstTime;
        burstTime.start();
        if (burstRun) {
            burstClient.write(burst);
            runUntil([&] {
                reached += int(emulator.takeLines().filter(QStringLiteral("RX CAN ")).size());
                return reached >= BurstFrames;
            }, 30000);
        }
        const qint64 burstMs = burstTime.elapsed();

        ::kill(pid_t(bridge.processId()), SIGTERM);
        bridge.waitForFinished(5000);
        ::close(fd);
        const QList<QByteArray> lines = bridge.readAllStandardOutput().trimmed().split('\n');
        const QByteArray counters = lines.last();
        const qint64 fromBus = counters.mid(counters.indexOf("from_bus=") + 9).split(' ').first().toLongLong();
        const double startMs = run.startMs, cpuUs = run.cpuUs;
        const double p99 = std::max(socketcand.latencyAt(startMs), other.latencyAt(startMs));
        if (burstRun) {
            std::printf("bridge latency_ms socketcand min=%.3f p50=%.3f p99=%.3f slcan min=%.3f p50=%.3f p99=%.3f\n",
                        socketcand.latencyAt(startMs, 0), socketcand.latencyAt(startMs, 0.5), socketcand.latencyAt(startMs),
                        other.latencyAt(startMs, 0), other.latencyAt(startMs, 0.5), other.latencyAt(startMs));
            const double lastMs = std::max(socketcand.last(), other.last());
            std::printf("bridge frames=%lld from_bus_per_s=%.0f lost=%d p99_ms=%.3f cpu_us_per_frame=%.2f\n",
                        fromBus, lastMs > startMs ? double(fromBus) * 1000.0 / (lastMs - startMs) : 0.0,
                        socketcand.lost() + other.lost(), p99, fromBus > 0 ? cpuUs / double(fromBus) : 0.0);
            std::printf("bridge_burst frames=%d reached=%d refused=%lld ms=%lld\n", BurstFrames, reached,
                        counters.mid(counters.indexOf("refused=") + 8).split(' ').first().toLongLong(), burstMs);
        } else {
            std::printf("bridge_converter frames=%lld lost=%d p99_ms=%.3f cpu_us_per_frame=%.2f\n", fromBus,
                        socketcand.lost() + other.lost(), p99, fromBus > 0 ? cpuUs / double(fromBus) : 0.0);
        }
        std::fflush(stdout);
    }
    return 0;
}
