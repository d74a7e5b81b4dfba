// Receive throughput of the real main window: the converter emulator writes
// frames into a pseudo-terminal as fast as the line takes them (or at a set
// rate), the window shows them, and this program prints what it measured.
//
// Last line, for scripts (mixed framings, normal mode):
//   receive frames_per_s=<n> lost=<n> max_block_ms=<n> raw_ratio=<x>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QSerialPort>
#include <QTableWidget>
#include <QTimer>

#include <sys/resource.h>
#include <cstdio>

#include "app/mainwindow.h"
#include "benchsupport.h"
#include "emulatorprocess.h"
#include "link/receivestats.h"

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct RunResult
{
    qint64 received = 0;
    qint64 lost = 0;
    double seconds = 0;
    double framesPerSecond = 0;
    double cpuMicrosecondsPerFrame = 0;
    double maxBlockMs = 0;
    double paintsPerSecond = 0;
    QString order = QStringLiteral("n/a");
};

// In normal mode the view is a ring: frame k sits in row k % rows. Every row
// of the last lap must hold the frame number that belongs there.
QString checkOrder(QTableWidget *view, qint64 frames)
{
    const int rows = view->rowCount();
    const qint64 first = qMax<qint64>(0, frames - rows);
    for (qint64 k = first; k < frames; ++k) {
        const QTableWidgetItem *item = view->item(int(k % rows), 7);
        if (!item || EmulatorProcess::sequenceNumber(item->text()) != quint32(k))
            return QStringLiteral("broken at frame %1").arg(k);
    }
    return QStringLiteral("ok");
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    qint64 paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

template <typename T>
T *child(MainWindow &window, const char *name)
{
    return window.findChild<T *>(QString::fromLatin1(name));
}

RunResult runWindow(const QString &framing, bool statistics, qint64 frames, int rate)
{
    RunResult result;
    EmulatorProcess emulator;
    if (!emulator.isRunning()) {
        std::fprintf(stderr, "the converter emulator did not start\n");
        return result;
    }
    resetWindowState();
    MainWindow window;
    window.show();
    child<QComboBox>(window, "cbBoxPort")->setEditText(emulator.portName());
    child<QAbstractButton>(window, "btnOpenClose")->click();
    QSerialPort *port = window.findChild<QSerialPort *>();
    if (statistics) {
        child<QLineEdit>(window, "lineEditTotal")->setText(QStringLiteral("5000"));
        child<QAbstractButton>(window, "checkBoxOnlyRev")->click();
        child<QAbstractButton>(window, "checkBoxOverlayDisplay")->click();
    }

    BlockMonitor monitor;
    PaintCounter painted(child<QTableWidget>(window, "tableWidget")->viewport());
    const quint64 base = receiveStats().canFrames;
    auto received = [&] { return qint64(receiveStats().canFrames - base); };
    QElapsedTimer clock;
    qint64 lastArrivalNs = 0;
    QObject::connect(port, &QIODevice::readyRead, [&] { lastArrivalNs = clock.nsecsElapsed(); });

    const double cpuBefore = cpuSeconds();
    monitor.start();
    clock.start();
    // Standard identifiers in statistics mode: at most 2048 distinct ones, so
    // every identifier keeps a row of the 5000.
    emulator.command(QStringLiteral("gen %1 %2 %3 data=seq format=%4")
                         .arg(frames).arg(rate).arg(framing, statistics ? "std" : "random"));
    runUntil(port, [&] { return received() >= frames; }, 3000);
    const double cpu = cpuSeconds() - cpuBefore;

    result.received = received();
    result.lost = frames - result.received;
    result.seconds = double(lastArrivalNs) / 1e9;
    result.framesPerSecond = result.seconds > 0 ? double(result.received) / result.seconds : 0;
    result.cpuMicrosecondsPerFrame = result.received > 0 ? cpu * 1e6 / double(result.received) : 0;
    result.maxBlockMs = monitor.longestMs();
    result.paintsPerSecond = result.seconds > 0 ? double(painted.paints) / result.seconds : 0;
    if (!statistics)
        result.order = checkOrder(child<QTableWidget>(window, "tableWidget"), result.received);
    return result;
}

// What the line itself delivers: the same pseudo-terminal, read and discarded.
double rawFramesPerSecond(const QString &framing, qint64 frames)
{
    EmulatorProcess emulator;
    QSerialPort port;
    port.setPortName(emulator.portName());
    port.setBaudRate(2000000);
    if (!emulator.isRunning() || !port.open(QIODevice::ReadWrite))
        return 0;
    qint64 bytes = 0;
    QElapsedTimer clock;
    qint64 lastArrivalNs = 0;
    QObject::connect(&port, &QIODevice::readyRead, [&] {
        bytes += port.readAll().size();
        lastArrivalNs = clock.nsecsElapsed();
    });
    clock.start();
    emulator.command(QStringLiteral("gen %1 0 %2 data=seq").arg(frames).arg(framing));
    const QString done = emulator.waitForLine(QStringLiteral("DONE "), 120000);
    const qint64 expected = done.section(QStringLiteral("bytes="), 1).section(QLatin1Char(' '), 0, 0).toLongLong();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (bytes >= expected || clock.nsecsElapsed() - lastArrivalNs > 2'000'000'000)
            loop.quit();
    });
    poll.start(5);
    loop.exec();
    return lastArrivalNs > 0 ? double(frames) / (double(lastArrivalNs) / 1e9) : 0;
}

void printRun(const char *label, const QString &framing, qint64 frames, const RunResult &r)
{
    std::printf("%-10s framing=%-8s frames=%lld received=%lld lost=%lld seconds=%.2f frames_per_s=%.0f "
                "cpu_us_per_frame=%.2f max_block_ms=%.1f paints_per_s=%.1f order=%s\n",
                label, qPrintable(framing), qlonglong(frames), qlonglong(r.received), qlonglong(r.lost), r.seconds,
                r.framesPerSecond, r.cpuMicrosecondsPerFrame, r.maxBlockMs, r.paintsPerSecond, qPrintable(r.order));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    BenchApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 frames = app.numberOption(QStringLiteral("--frames"), 200000);
    const qint64 lineRate = 10000;   // 2,000,000 baud: 200,000 bytes/s, 10,000 fixed frames/s


    if (args.contains(QStringLiteral("--line-rate-only"))) {
        const RunResult r = runWindow(QStringLiteral("fixed"), false, lineRate * 5, int(lineRate));
        printRun("line-rate", QStringLiteral("fixed"), lineRate * 5, r);
        return r.lost == 0 ? 0 : 1;
    }

    std::printf("Receive benchmark: %lld frames per run, window offscreen, emulator in its own process\n",
                qlonglong(frames));
    QMap<QString, double> raw;
    for (const QString &framing : {QStringLiteral("fixed"), QStringLiteral("variable"), QStringLiteral("mixed")}) {
        raw[framing] = rawFramesPerSecond(framing, frames);
        std::printf("line       framing=%-8s raw_frames_per_s=%.0f (read and discard)\n", qPrintable(framing), raw[framing]);
        std::fflush(stdout);
    }

    RunResult mixed;
    for (const QString &framing : {QStringLiteral("fixed"), QStringLiteral("variable"), QStringLiteral("mixed")}) {
        const RunResult r = runWindow(framing, false, frames, 0);
        printRun("normal", framing, frames, r);
        if (framing == QStringLiteral("mixed"))
            mixed = r;
    }
    printRun("statistics", QStringLiteral("mixed"), frames, runWindow(QStringLiteral("mixed"), true, frames, 0));

    const qint64 sustainFrames = lineRate * 5;
    const RunResult sustained = runWindow(QStringLiteral("fixed"), false, sustainFrames, int(lineRate));
    printRun("line-rate", QStringLiteral("fixed"), sustainFrames, sustained);
    std::printf("line-rate  target=%lld frames/s for 5 s: %s (lost=%lld, max_block_ms=%.1f, limit 50)\n",
                qlonglong(lineRate),
                sustained.lost == 0 && sustained.maxBlockMs <= 50 ? "sustained" : "NOT sustained",
                qlonglong(sustained.lost), sustained.maxBlockMs);
    std::printf("best rate  %.1f x the converter's line rate (mixed, normal mode)\n", mixed.framesPerSecond / double(lineRate));

    const double ratio = raw[QStringLiteral("mixed")] > 0 ? mixed.framesPerSecond / raw[QStringLiteral("mixed")] : 0;
    std::printf("receive frames_per_s=%.0f lost=%lld max_block_ms=%.1f raw_ratio=%.4f\n", mixed.framesPerSecond,
                qlonglong(mixed.lost), mixed.maxBlockMs, ratio);
    return mixed.lost == 0 && sustained.lost == 0 ? 0 : 1;
}
