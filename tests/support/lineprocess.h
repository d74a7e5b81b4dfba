#ifndef TAVICON_TEST_LINEPROCESS_H
#define TAVICON_TEST_LINEPROCESS_H

#include <QProcess>
#include <QStringList>

// A program the test talks to by lines: its standard output collected line by
// line while the event loop runs, its standard error kept whole.
class LineProcess
{
public:
    LineProcess(const QString &program, const QStringList &arguments);
    ~LineProcess();

    // Runs the event loop until an output line starts with `prefix` (taken and
    // returned), the program ends, or `timeoutMs` passes (empty string).
    QString waitForLine(const QString &prefix, int timeoutMs = 5000);
    void writeLine(const QString &line);
    // Sends the signal and waits for the end; the exit status, or -1.
    int signalAndWait(int signal, int timeoutMs = 5000);
    int waitForExit(int timeoutMs = 5000);
    QStringList lines() const { return collected; }
    QString errorText() const { return QString::fromUtf8(errors); }

private:
    void collect();

    QProcess p;
    QByteArray partial;
    QByteArray errors;
    QStringList collected;
    int taken = 0;
};

#endif // TAVICON_TEST_LINEPROCESS_H
