#include "emulatorprocess.h"

#include <QEventLoop>
#include <QTimer>

EmulatorProcess::EmulatorProcess(const QStringList &arguments)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&process, &QProcess::readyReadStandardOutput, this, &EmulatorProcess::collectOutput);
    process.start(QStringLiteral(CONVERTER_EMULATOR), arguments);
    if (!process.waitForStarted(5000))
        return;
    port = waitForLine(QStringLiteral("PORT "), 5000).mid(5).trimmed();
}

EmulatorProcess::~EmulatorProcess()
{
    if (process.state() != QProcess::NotRunning) {
        process.write("quit\n");
        if (!process.waitForFinished(2000)) {
            process.kill();
            process.waitForFinished(2000);
        }
    }
}

void EmulatorProcess::command(const QString &line)
{
    process.write(line.toUtf8() + '\n');
}

void EmulatorProcess::collectOutput()
{
    partialLine += process.readAllStandardOutput();
    int newline;
    bool any = false;
    while ((newline = int(partialLine.indexOf('\n'))) >= 0) {
        lines << QString::fromUtf8(partialLine.left(newline));
        partialLine.remove(0, newline + 1);
        any = true;
    }
    if (any)
        emit lineArrived();
}

QString EmulatorProcess::waitForLine(const QString &prefix, int timeoutMs)
{
    auto take = [&]() -> QString {
        for (int i = 0; i < lines.size(); ++i) {
            if (lines.at(i).startsWith(prefix))
                return lines.takeAt(i);
        }
        return QString();
    };
    QString found = take();
    if (!found.isEmpty())
        return found;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &EmulatorProcess::lineArrived, &loop, [&] {
        found = take();
        if (!found.isEmpty())
            loop.quit();
    });
    connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    loop.exec();
    return found;
}

quint32 EmulatorProcess::sequenceNumber(const QString &dataText)
{
    const QStringList pairs = dataText.simplified().split(QLatin1Char(' '));
    quint32 value = 0;
    for (int i = 0; i < 4 && i < pairs.size(); ++i)
        value |= pairs.at(i).toUInt(nullptr, 16) << (8 * i);
    return value;
}
