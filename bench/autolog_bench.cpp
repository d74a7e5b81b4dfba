// The automatic traffic log at the converter's line rate: the emulator sends
// fixed frames at 10,000 frames/s into a view of 1000 rows with automatic
// saving on; afterwards every automatic file is read back and each frame
// number counted.
//
// One line, for scripts:
//   autolog frames=<n> logged=<n> missing=<n> duplicated=<n> files=<n> max_block_ms=<x>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLoggingCategory>
#include <QSerialPort>

#include <cstdio>

#include "app/mainwindow.h"
#include "benchsupport.h"
#include "emulatorprocess.h"
#include "support/logfiles.h"

namespace {

template <typename T>
T *child(MainWindow &window, const char *name)
{
    return window.findChild<T *>(QString::fromLatin1(name));
}

void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    BenchApplication app(argc, argv);
    const qint64 frames = app.numberOption(QStringLiteral("--frames"), 100000);
    const int lineRate = 10000;   // 2,000,000 baud: 10,000 fixed frames/s

    EmulatorProcess emulator;
    if (!emulator.isRunning()) {
        std::fprintf(stderr, "the converter emulator did not start\n");
        return 1;
    }

    qint64 files = 0;
    QList<qint64> seen(frames, 0);
    qint64 logged = 0;
    double maxBlockMs = 0;
    {
        resetWindowState();
        MainWindow window;
        window.show();
        child<QComboBox>(window, "cbBoxPort")->setEditText(emulator.portName());
        child<QAbstractButton>(window, "btnOpenClose")->click();
        QSerialPort *port = window.findChild<QSerialPort *>();
        QAbstractButton *autoSave = child<QAbstractButton>(window, "checkBoxAutoSave");
        autoSave->click();

        BlockMonitor monitor;
        const quint64 base = receiveStats().canFrames;
        monitor.start();
        emulator.command(QStringLiteral("gen %1 %2 fixed data=seq").arg(frames).arg(lineRate));
        runUntil(port, [&] { return qint64(receiveStats().canFrames - base) >= frames; }, 3000);
        spin(1500);                     // a last tick with the view as it is
        autoSave->click();
        maxBlockMs = monitor.longestMs();
    }

    for (const QString &file : autoLogFiles(QDir::currentPath())) {
        ++files;
        const QStringList lines = logLines(file);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            ++logged;
            const quint32 number = EmulatorProcess::sequenceNumber(logFieldText(lines.at(i), 7));
            if (number < quint64(frames))
                ++seen[number];
        }
    }
    qint64 missing = 0;
    qint64 duplicated = 0;
    for (qint64 count : seen) {
        missing += count == 0;
        duplicated += qMax<qint64>(0, count - 1);
    }
    std::printf("autolog frames=%lld logged=%lld missing=%lld duplicated=%lld files=%lld max_block_ms=%.1f\n",
                qlonglong(frames), qlonglong(logged), qlonglong(missing), qlonglong(duplicated), qlonglong(files),
                maxBlockMs);
    std::fflush(stdout);
    return missing == 0 && duplicated == 0 ? 0 : 1;
}
