#ifndef TAVICON_BENCH_EMULATORPROCESS_H
#define TAVICON_BENCH_EMULATORPROCESS_H

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <utility>

// The converter emulator as a separate process: its serial end, and commands
// sent to it on its standard input.
class EmulatorProcess : public QObject
{
    Q_OBJECT

public:
    explicit EmulatorProcess(const QStringList &arguments = {});
    ~EmulatorProcess() override;

    bool isRunning() const { return !port.isEmpty(); }
    QString portName() const { return port; }
    void command(const QString &line);
    // Runs the event loop until an output line starts with `prefix`; returns
    // that line, or an empty string after `timeoutMs`.
    QString waitForLine(const QString &prefix, int timeoutMs);
    // The output lines collected so far and not yet taken.
    QStringList takeLines() { return std::exchange(lines, {}); }

    // Generated "seq" data carries the frame number in its first four bytes,
    // low byte first; this reads it back from a traffic-view data text.
    static quint32 sequenceNumber(const QString &dataText);

signals:
    void lineArrived();

private:
    void collectOutput();

    QProcess process;
    QString port;
    QByteArray partialLine;
    QStringList lines;
};

#endif // TAVICON_BENCH_EMULATORPROCESS_H
