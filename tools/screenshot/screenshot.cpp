// tavicon-screenshot OUTPUT.png [SECONDS]: starts converter-emulator --bus,
// opens its serial end in the real main window (in a fresh working directory,
// so no local cfg.txt or tables change the picture), lets the traffic run for
// SECONDS (default 8) and saves the window as a PNG. Runs offscreen unless
// QT_QPA_PLATFORM says otherwise.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QPixmap>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>

#include "app/mainwindow.h"
#include "emulatorprocess.h"
#include "link/receivestats.h"

namespace {

void runEventLoopFor(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

int fail(const char *why)
{
    std::fprintf(stderr, "tavicon-screenshot: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool secondsOk = args.size() < 3;
    const int seconds = secondsOk ? 8 : args.at(2).toInt(&secondsOk);
    if (args.size() < 2 || args.size() > 3 || !secondsOk || seconds < 1)
        return fail("usage: tavicon-screenshot OUTPUT.png [SECONDS]");
    const QString output = QFileInfo(args.at(1)).absoluteFilePath();

    QTemporaryDir workDir;
    if (!workDir.isValid() || !QDir::setCurrent(workDir.path()))
        return fail("cannot make a working directory");

    EmulatorProcess emulator({ QStringLiteral("--bus") });
    if (!emulator.isRunning())
        return fail("the converter emulator did not start");

    MainWindow window;
    window.show();
    window.findChild<QComboBox *>(QStringLiteral("cbBoxPort"))->setEditText(emulator.portName());
    window.findChild<QAbstractButton *>(QStringLiteral("btnOpenClose"))->click();
    runEventLoopFor(seconds * 1000);
    if (receiveStats().canFrames == 0)
        return fail("no traffic reached the window");

    // The view repaints at intervals while traffic arrives: take the picture
    // when it is up to date.
    QTableWidget *view = window.findChild<QTableWidget *>(QStringLiteral("tableWidget"));
    QDeadlineTimer settle(2000);
    while (!view->viewport()->updatesEnabled() && !settle.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    if (!window.grab().save(output, "PNG"))
        return fail("cannot write the picture");
    std::printf("%s\n", qPrintable(output));
    return 0;
}
