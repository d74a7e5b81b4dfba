#ifndef TAVICON_BENCH_CHILDPROCESS_H
#define TAVICON_BENCH_CHILDPROCESS_H

// Shared by the benchmarks of the console programs: the CPU time a program
// they started has used, and running the event loop until something holds.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QList>

#include <unistd.h>

// utime + stime of a process, in microseconds.
inline double cpuMicroseconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) * 1e6 / double(sysconf(_SC_CLK_TCK));
}

template <typename Done>
bool runUntil(Done done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

#endif // TAVICON_BENCH_CHILDPROCESS_H
