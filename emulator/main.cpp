// converter-emulator: stands in for the USB-to-CAN converter on a pseudo-terminal.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "emulator/consolecommands.h"
#include "emulator/consoleoutput.h"
#include "emulator/converterdevice.h"
#include "emulator/emulatoroptions.h"
#include "console/ptyline.h"
#include "console/quitsignals.h"
#include "console/serialendlink.h"
#include "emulator/simulatedbus.h"
#include "emulator/trafficgenerator.h"

namespace {

// How long --exit-when-done waits for the host to read the last bytes.
constexpr int ExitDrainMs = 10000;

// A closed standard descriptor would be handed to the pty, and the console
// would then read commands from the serial line: fill the gaps with /dev/null.
void occupyStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1)
            ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    occupyStandardDescriptors();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("converter-emulator"));

    EmulatorOptions options;
    QString why;
    if (!parseEmulatorOptions(QCoreApplication::arguments(), &options, &why)) {
        std::fprintf(stderr, "converter-emulator: %s\n", qPrintable(why));
        return 2;
    }

    PtyLine line;
    if (!line.open(&why)) {
        std::fprintf(stderr, "converter-emulator: %s\n", qPrintable(why));
        return 1;
    }
    SerialEndLink link;
    if (!options.linkPath.isEmpty() && !link.create(options.linkPath, line.serialPath(), &why)) {
        std::fprintf(stderr, "converter-emulator: %s\n", qPrintable(why));
        return 1;
    }
    printLine("PORT " + line.serialPath().toLocal8Bit());

    ConverterDevice device(line);
    device.setBusStatus(options.status);
    TrafficGenerator generator(line, [&device] { return device.framing(); });
    generator.setFrameFilter([&device](quint32 identifier) { return device.passesFilter(identifier); });
    if (options.generation.seed)
        generator.seed(*options.generation.seed);
    // Bytes still unread in the pty vanish when it closes: after the last
    // run, wait until the host has read them (for a while at most).
    // Two empty looks in a row: the pty hands written bytes to the reading
    // side a moment later, so one empty look may come too early.
    QTimer drainCheck;
    QDeadlineTimer drainDeadline;
    int emptyLooks = 0;
    QObject::connect(&drainCheck, &QTimer::timeout, &app, [&] {
        emptyLooks = line.queuedBytes() == 0 && line.unreadByHost() == 0 ? emptyLooks + 1 : 0;
        if (emptyLooks >= 2 || drainDeadline.hasExpired())
            QCoreApplication::quit();
    });
    QObject::connect(&generator, &TrafficGenerator::finished, &app, [&](qint64 frames, qint64 bytes) {
        printLine("DONE sent=" + QByteArray::number(frames) + " bytes=" + QByteArray::number(bytes));
        if (options.exitWhenDone) {
            drainDeadline.setRemainingTime(ExitDrainMs);
            drainCheck.start(10);
        }
    });

    ConsoleCommands console(line, device, generator, options.generation, options.quitOnEof);
    QObject::connect(&console, &ConsoleCommands::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &app, &QCoreApplication::quit);

    if (options.generation.count > 0)
        generator.start(options.generation);
    SimulatedBus bus(line, device);
    if (options.simulatedBus)
        bus.start();

    return app.exec();
}
