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
// the debug channel (the variable-length encoder reports every frame there),
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

private:
    QTemporaryDir workDir;

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

// Longest gap between ticks of a 1 ms timer: how long the event loop was busy
// without coming back for other events.
class BlockMonitor
{
public:
    BlockMonitor()
    {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            if (last >= 0)
                longest = qMax(longest, now - last);
            last = now;
        });
    }
    void start()
    {
        clock.start();
        last = -1;
        longest = 0;
        timer.start();
    }
    double longestMs() const { return double(longest) / 1e6; }

private:
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 longest = 0;
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
