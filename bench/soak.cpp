// A long run of the real window at the converter's line rate: the emulator
// sends 10,000 fixed frames/s (identifiers 0..199 in turn, frame numbers in
// the data) while automatic saving, an automatic reply (to identifier 7) and
// an auto-send row (every 100 ms) are on; every 15 s the view switches
// between normal mode, statistics mode and other row limits.
//
// Every minute one line of figures; the last line, for scripts:
//   soak minutes=<n> rss_start_mb=<x> rss_end_mb=<x> lost=<n> replies_missing=<n> log_missing=<n> max_block_ms=<x>
// rss_start is the resident memory after the first minute. log_missing counts
// the frames received in normal mode (each gives one traffic row) whose row is
// in none of the automatic files.

#include <QAbstractButton>
#include <QApplication>
#include <QBitArray>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QSerialPort>
#include <QTableWidget>

#include <cstdio>

#include "app/mainwindow.h"
#include "benchsupport.h"
#include "emulatorprocess.h"
#include "link/receivestats.h"
#include "support/logfiles.h"

namespace {

constexpr int kLineRate = 10000;           // 2,000,000 baud: 10,000 fixed frames/s
constexpr quint32 kIdentifiers = 200;
constexpr quint32 kReplyTrigger = 7;
const QString kReplyId = QStringLiteral("00000123");
const QString kAutoId = QStringLiteral("00000456");

template <typename T>
T *child(MainWindow &window, const char *name)
{
    T *w = window.findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// Reads the automatic files as they grow, a bounded amount per call so the
// window is not held up, and marks the frame number of every received row.
class LogFollower
{
public:
    LogFollower(const QString &dir, qint64 frames) : dir(dir), seen(frames) {}

    // Reads at most `budget` new bytes of whole lines; returns the bytes read.
    qint64 poll(qint64 budget)
    {
        qint64 used = 0;
        for (const QString &path : autoLogFiles(dir)) {
            if (used >= budget)
                break;
            QFile file(path);
            qint64 &offset = offsets[path];
            if (!file.open(QIODevice::ReadOnly) || file.size() <= offset || !file.seek(offset))
                continue;
            const QByteArray chunk = file.read(budget - used);
            const qsizetype end = chunk.lastIndexOf('\n') + 1;
            for (qsizetype pos = 0; pos < end;) {
                const qsizetype newline = chunk.indexOf('\n', pos);
                if (offset + pos > 0 && newline > pos)      // the header is the first line
                    mark(QString::fromUtf8(chunk.constData() + pos, newline - pos));
                pos = newline + 1;
            }
            offset += end;
            used += end;
        }
        return used;
    }

    // Frames of [from, to) whose row no file holds.
    qint64 missing(qint64 from, qint64 to) const
    {
        qint64 count = 0;
        for (qint64 k = from; k < to && k < seen.size(); ++k)
            count += !seen.testBit(k);
        return count;
    }

private:
    void mark(const QString &line)
    {
        const quint32 id = logFieldText(line, 5).mid(2).toUInt(nullptr, 16);
        const quint32 number = EmulatorProcess::sequenceNumber(logFieldText(line, 7));
        if (id < kIdentifiers && number < quint64(seen.size()) && number % kIdentifiers == id)
            seen.setBit(number);
    }

    QString dir;
    QBitArray seen;
    QHash<QString, qint64> offsets;
};

struct Range
{
    qint64 from;
    qint64 to;
};

} // namespace

int main(int argc, char *argv[])
{
    BenchApplication app(argc, argv);
    const int minutes = qMax(1, app.arguments().value(1, QStringLiteral("10")).toInt());
    const qint64 frames = qint64(kLineRate) * 60 * minutes;

    EmulatorProcess emulator;
    if (!emulator.isRunning()) {
        std::fprintf(stderr, "the converter emulator did not start\n");
        return 1;
    }

    resetWindowState();
    auto window = std::make_unique<MainWindow>();
    MainWindow &w = *window;
    w.show();
    child<QComboBox>(w, "cbBoxPort")->setEditText(emulator.portName());
    child<QAbstractButton>(w, "btnOpenClose")->click();
    QSerialPort *port = w.findChild<QSerialPort *>();
    if (!port || !port->isOpen()) {
        std::fprintf(stderr, "the port did not open\n");
        return 1;
    }
    auto *replies = child<QTableWidget>(w, "tableWidget_4");
    replies->setRowCount(1);
    replies->setItem(0, 0, new QTableWidgetItem(QStringLiteral("0x%1").arg(kReplyTrigger, 8, 16, QLatin1Char('0'))));
    replies->setItem(0, 1, new QTableWidgetItem(QStringLiteral("0x") + kReplyId));
    replies->setItem(0, 2, new QTableWidgetItem(QStringLiteral("11 22 33")));
    child<QAbstractButton>(w, "checkBoxReplyAuto")->click();
    auto *autoRows = child<QTableWidget>(w, "tableWidget_3");
    autoRows->setRowCount(1);
    autoRows->item(0, 0)->setText(QStringLiteral("0x") + kAutoId);
    autoRows->item(0, 2)->setText(QStringLiteral("100"));
    child<QAbstractButton>(w, "checkBoxAutoCycle")->click();
    child<QAbstractButton>(w, "btnSendSeq")->click();
    QAbstractButton *autoSave = child<QAbstractButton>(w, "checkBoxAutoSave");
    autoSave->click();

    // Replies and auto-sent frames as the converter reports them.
    qint64 repliesSeen = 0;
    qint64 autoSent = 0;
    QString doneLine;
    QObject::connect(&emulator, &EmulatorProcess::lineArrived, [&] {
        for (const QString &line : emulator.takeLines()) {
            if (line.startsWith(QLatin1String("DONE ")))
                doneLine = line;
            if (!line.startsWith(QLatin1String("RX CAN")))
                continue;
            repliesSeen += line.contains(QLatin1String("id=") + kReplyId);
            autoSent += line.contains(QLatin1String("id=") + kAutoId);
        }
    });

    const quint64 base = receiveStats().canFrames;
    auto received = [&] { return qint64(receiveStats().canFrames - base); };
    auto repliesDue = [](qint64 n) { return n > qint64(kReplyTrigger) ? (n - kReplyTrigger - 1) / kIdentifiers + 1 : 0; };

    // Normal-mode stretches of the run, as ranges of frame numbers.
    QList<Range> normal{{0, -1}};
    auto closeNormal = [&] { normal.last().to = received(); };
    auto openNormal = [&] { normal.append({received(), -1}); };
    auto normalMissing = [&](qint64 upTo, const LogFollower &log) {
        qint64 count = 0;
        for (const Range &r : normal)
            count += log.missing(r.from, qMin(upTo, r.to < 0 ? upTo : r.to));
        return count;
    };

    QAbstractButton *onlyReceived = child<QAbstractButton>(w, "checkBoxOnlyRev");
    QAbstractButton *overlay = child<QAbstractButton>(w, "checkBoxOverlayDisplay");
    QLineEdit *rowLimit = child<QLineEdit>(w, "lineEditTotal");
    int phase = 0;
    QTimer phases;
    QObject::connect(&phases, &QTimer::timeout, [&] {
        phase = (phase + 1) % 5;
        switch (phase) {
        case 1:                                        // statistics mode
            closeNormal();
            onlyReceived->click();
            overlay->click();
            break;
        case 2:                                        // back to normal mode
            onlyReceived->click();
            openNormal();
            break;
        case 3:
            rowLimit->setText(QStringLiteral("2000"));
            break;
        case 4:
            rowLimit->setText(QStringLiteral("500"));
            break;
        default:
            rowLimit->setText(QStringLiteral("1000"));
            break;
        }
    });

    LogFollower log(QDir::currentPath(), frames);
    QTimer follow;
    QObject::connect(&follow, &QTimer::timeout, [&] { log.poll(96 * 1024); });

    BlockMonitor monitor;
    QElapsedTimer clock;
    double maxBlockMs = 0;
    double rssStart = 0;
    double rss = 0;
    QList<qint64> receivedAt;                          // per second, for the lagging checks
    QTimer seconds;
    QObject::connect(&seconds, &QTimer::timeout, [&] { receivedAt.append(received()); });
    int minute = 0;
    QTimer everyMinute;
    QObject::connect(&everyMinute, &QTimer::timeout, [&] {
        ++minute;
        rss = residentMb();
        if (minute == 1)
            rssStart = rss;
        const double block = monitor.longestMs();
        maxBlockMs = qMax(maxBlockMs, block);
        monitor.start();
        // Frames, replies and rows are checked as of 3 s ago: what arrived
        // since may still be on its way to the converter or to a file.
        const qint64 n = received();
        const qint64 settled = receivedAt.value(receivedAt.size() - 4, 0);
        const qint64 due = qMin(frames, qint64(double(clock.elapsed() - 1000) * kLineRate / 1000.0));
        std::printf("minute=%d rss_mb=%.1f received=%lld lost=%lld replies_missing=%lld log_missing=%lld "
                    "auto_sent=%lld max_block_ms=%.1f\n",
                    minute, rss, qlonglong(n), qlonglong(qMax<qint64>(0, due - n)),
                    qlonglong(qMax<qint64>(0, repliesDue(settled) - repliesSeen)),
                    qlonglong(normalMissing(settled, log)), qlonglong(autoSent), block);
        std::fflush(stdout);
    });

    monitor.start();
    clock.start();
    emulator.command(QStringLiteral("gen %1 %2 fixed id=set:%3 format=std data=seq")
                         .arg(frames).arg(kLineRate).arg(kIdentifiers));
    phases.start(15000);
    follow.start(50);
    seconds.start(1000);
    everyMinute.start(60000);
    {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (!doneLine.isEmpty() || clock.elapsed() > (minutes + 1) * 60000LL)
                loop.quit();
        });
        check.start(100);
        loop.exec();
    }
    const qint64 sent = doneLine.section(QStringLiteral("sent="), 1).section(QLatin1Char(' '), 0, 0).toLongLong();
    runUntil(port, [&] { return received() >= sent; }, 3000);
    spin(1500);                                        // the last reply and the last tick of the view
    phases.stop();
    seconds.stop();
    everyMinute.stop();
    maxBlockMs = qMax(maxBlockMs, monitor.longestMs());
    rss = residentMb();
    autoSave->click();                                 // writes the rows still unsaved
    if (normal.last().to < 0)
        closeNormal();
    follow.stop();
    while (log.poll(1 << 20) > 0) {
    }

    const qint64 n = received();
    const qint64 lost = qMax<qint64>(0, (sent > 0 ? sent : frames) - n);
    const qint64 repliesMissing = qMax<qint64>(0, repliesDue(n) - repliesSeen);
    const qint64 logMissing = normalMissing(n, log);
    std::printf("soak minutes=%d rss_start_mb=%.1f rss_end_mb=%.1f lost=%lld replies_missing=%lld log_missing=%lld "
                "max_block_ms=%.1f\n",
                minutes, rssStart, rss, qlonglong(lost), qlonglong(repliesMissing), qlonglong(logMissing), maxBlockMs);
    std::fflush(stdout);
    return lost == 0 && repliesMissing == 0 && logMissing == 0 ? 0 : 1;
}
