#include "emulator/consolecommands.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <utility>
#include <unistd.h>

#include "emulator/busstatus.h"
#include "emulator/consoleoutput.h"
#include "emulator/converterdevice.h"
#include "console/ptyline.h"
#include "emulator/trafficgenerator.h"

namespace {

bool splitKeyValue(const QString &arg, QString *key, QString *value)
{
    const int eq = int(arg.indexOf(QLatin1Char('=')));
    if (eq <= 0)
        return false;
    *key = arg.left(eq);
    *value = arg.mid(eq + 1);
    return true;
}

} // namespace

ConsoleCommands::ConsoleCommands(PtyLine &line, ConverterDevice &device, TrafficGenerator &generator,
                                 const GenerationSettings &baseSettings, bool quitOnEof,
                                 QObject *parent)
    : QObject(parent)
    , line(line)
    , device(device)
    , generator(generator)
    , baseSettings(baseSettings)
    , quitOnEof(quitOnEof)
{
    if (fcntl(STDIN_FILENO, F_GETFD) == -1)
        return;                       // no standard input at all
    stdinNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(stdinNotifier, &QSocketNotifier::activated, this, &ConsoleCommands::readStdin);
}

void ConsoleCommands::readStdin()
{
    // One read per notification: standard input stays blocking, as it may be
    // shared with the caller's terminal.
    char buf[4096];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n < 0) {
        if (errno == EINTR || errno == EAGAIN)
            return;
    }
    if (n <= 0) {
        stdinNotifier->setEnabled(false);      // end of input: nothing more will come
        if (!partialLine.isEmpty())
            execute(QString::fromUtf8(std::exchange(partialLine, QByteArray())));
        if (quitOnEof)
            emit quitRequested();
        return;
    }
    partialLine.append(buf, int(n));
    int newline;
    while ((newline = int(partialLine.indexOf('\n'))) >= 0) {
        const QByteArray commandLine = partialLine.left(newline);
        partialLine.remove(0, newline + 1);
        execute(QString::fromUtf8(commandLine));
    }
}

void ConsoleCommands::execute(const QString &commandLine)
{
    const QStringList words = commandLine.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return;
    const QString command = words.first();
    const QStringList args = words.mid(1);
    QString why;
    bool ok = false;
    if (command == QLatin1String("gen")) {
        GenerationSettings settings;
        if (parseGeneration(args, &settings, &why)) {
            // Answered before the run starts, so OK gen always comes before its DONE line.
            printLine("OK gen");
            generator.start(settings);
            return;
        }
    } else if (command == QLatin1String("status")) {
        ok = setStatus(args, &why);
    } else if (command == QLatin1String("raw")) {
        ok = writeRaw(args, &why);
    } else if (command == QLatin1String("quit")) {
        if (!args.isEmpty()) {
            why = QStringLiteral("quit takes no arguments");
        } else {
            printLine("OK quit");
            emit quitRequested();
            return;
        }
    } else {
        why = QStringLiteral("unknown command %1").arg(command);
    }
    printLine(ok ? "OK " + command.toUtf8() : "ERR " + why.toUtf8());
}

bool ConsoleCommands::parseGeneration(const QStringList &args, GenerationSettings *out,
                                      QString *why) const
{
    // Positional count, rate and framing, then key=value settings.
    static const char *const positional[] = { "count", "rate", "framing" };
    GenerationSettings settings = baseSettings;
    settings.seed.reset();            // the command line's seed took effect at start-up
    int position = 0;
    bool haveCount = false;
    for (const QString &arg : args) {
        QString key, value;
        if (!splitKeyValue(arg, &key, &value)) {
            if (position >= 3) {
                *why = QStringLiteral("too many arguments");
                return false;
            }
            key = QLatin1String(positional[position++]);
            value = arg;
        }
        if (!setGenerationValue(settings, key, value, why))
            return false;
        haveCount = haveCount || key == QLatin1String("count");
    }
    if (!haveCount) {
        *why = QStringLiteral("gen needs a frame count");
        return false;
    }
    *out = settings;
    return true;
}

bool ConsoleCommands::setStatus(const QStringList &args, QString *why)
{
    BusStatus status = device.busStatus();
    for (const QString &arg : args) {
        QString key, value;
        if (!splitKeyValue(arg, &key, &value)) {
            *why = QStringLiteral("status takes key=value pairs");
            return false;
        }
        if (!setBusStatusValue(status, key, value, why))
            return false;
    }
    device.setBusStatus(status);
    return true;
}

bool ConsoleCommands::writeRaw(const QStringList &args, QString *why)
{
    const QString hex = args.join(QString());
    if (hex.isEmpty() || hex.size() % 2 != 0 || !isHexText(hex)) {
        *why = QStringLiteral("raw needs an even number of hexadecimal digits");
        return false;
    }
    line.send(QByteArray::fromHex(hex.toLatin1()));
    return true;
}
