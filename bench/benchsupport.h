#ifndef TAVICON_BENCHSUPPORT_H
#define TAVICON_BENCHSUPPORT_H

// Shared by the benchmarks: how long the event loop was blocked, and running
// it until the window has taken what the converter sent.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QStringList>
#include <QEventLoop>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTimer>

#include "app/mainwindow.h"
#include "link/receivestats.h"

// The benchmarks' application: offscreen unless a platform is named, without
// the debug channel (the window reports every variable-length frame it sends there),
// and working in a fresh temporary folder, where the window keeps its files.
class BenchApplication : public QApplication
{
public:
    BenchApplication(int &argc, char **argv)
        : QApplication(offscreenUnlessNamed(argc), argv)
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        QDir::setCurrent(workDir.path());
    }

    // The number after `option` on the command line, or `fallback`.
    qint64 numberOption(const QString &option, qint64 fallback) const
    {
        const QStringList args = arguments();
        const int at = int(args.indexOf(option));
        return at > 0 && at + 1 < args.size() ? args.at(at + 1).toLongLong() : fallback;
    }

    // Every event the loop hands out passes here, and while one is handled
    // (with whatever it sends on) the loop takes no other: the longest of
    // those is the longest the loop was blocked. Timed without a timer of
    // its own, which would wake the loop a thousand times a second and add
    // to the CPU time the benchmarks report.
    bool notify(QObject *receiver, QEvent *event) override
    {
        if (nesting++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --nesting;
            return handled;
        }
        const qint64 begin = eventClock.nsecsElapsed();
        const bool handled = QApplication::notify(receiver, event);
        longestEventNs = qMax(longestEventNs, eventClock.nsecsElapsed() - begin);
        --nesting;
        return handled;
    }
    void restartEventTiming() { longestEventNs = 0; }
    qint64 longestEventNanoseconds() const { return longestEventNs; }

private:
    QTemporaryDir workDir;
    QElapsedTimer eventClock = startedClock();
    int nesting = 0;
    qint64 longestEventNs = 0;

    static QElapsedTimer startedClock()
    {
        QElapsedTimer clock;
        clock.start();
        return clock;
    }

    static int &offscreenUnlessNamed(int &argc)
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return argc;
    }
};

// The program-wide values a new window starts from, as at program start.
inline void resetWindowState()
{
    nextTrafficRow = 0;
    statisticsIds.clear();
    savedRowCount = 0;
}

// How long the event loop was blocked at most since start(): the longest
// time one event took to handle.
class BlockMonitor
{
public:
    void start() { application()->restartEventTiming(); }
    double longestMs() const { return double(application()->longestEventNanoseconds()) / 1e6; }

private:
    static BenchApplication *application() { return static_cast<BenchApplication *>(QCoreApplication::instance()); }
};

// Runs the event loop until `done()` holds, checked after every delivery of
// `port` and every 20 ms, or until nothing has arrived for `idleMs`.
template <typename Done>
void runUntil(QSerialPort *port, Done done, int idleMs)
{
    QEventLoop loop;
    quint64 lastBytes = receiveStats().bytes;
    QElapsedTimer idle;
    idle.start();
    QTimer poll;
    QObject::connect(port, &QIODevice::readyRead, &loop, [&] {
        if (done())
            loop.quit();
    });
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (receiveStats().bytes != lastBytes) {
            lastBytes = receiveStats().bytes;
            idle.restart();
        }
        if (done() || idle.elapsed() > idleMs)
            loop.quit();
    });
    poll.start(20);
    if (!done())
        loop.exec();
}

#endif // TAVICON_BENCHSUPPORT_H
