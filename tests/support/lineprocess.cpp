#include "support/lineprocess.h"

#include "support/ptypair.h"

#include <csignal>

LineProcess::LineProcess(const QString &program, const QStringList &arguments)
{
    QObject::connect(&p, &QProcess::readyReadStandardOutput, [this] { collect(); });
    QObject::connect(&p, &QProcess::readyReadStandardError, [this] { errors += p.readAllStandardError(); });
    p.start(program, arguments);
    p.waitForStarted(5000);
}

LineProcess::~LineProcess()
{
    p.disconnect();
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(3000);
    }
}

void LineProcess::collect()
{
    partial += p.readAllStandardOutput();
    for (int newline; (newline = int(partial.indexOf('\n'))) >= 0; partial.remove(0, newline + 1))
        collected << QString::fromUtf8(partial.left(newline));
}

QString LineProcess::waitForLine(const QString &prefix, int timeoutMs)
{
    const auto take = [&] {
        while (taken < collected.size()) {
            const QString line = collected.at(taken++);
            if (line.startsWith(prefix))
                return line;
        }
        return QString();
    };
    QString found;
    spinUntil([&] {
        found = take();
        return !found.isEmpty() || p.state() == QProcess::NotRunning;
    }, timeoutMs);
    if (found.isEmpty()) {
        collect();
        found = take();
    }
    return found;
}

void LineProcess::writeLine(const QString &line)
{
    p.write(line.toUtf8() + '\n');
}

int LineProcess::waitForExit(int timeoutMs)
{
    if (!spinUntil([&] { return p.state() == QProcess::NotRunning; }, timeoutMs))
        return -1;
    collect();
    errors += p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

int LineProcess::signalAndWait(int signal, int timeoutMs)
{
    if (p.state() != QProcess::NotRunning)
        ::kill(pid_t(p.processId()), signal);
    return waitForExit(timeoutMs);
}
