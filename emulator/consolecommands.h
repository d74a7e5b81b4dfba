#ifndef TAVICON_EMULATOR_CONSOLECOMMANDS_H
#define TAVICON_EMULATOR_CONSOLECOMMANDS_H

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include "emulator/generationsettings.h"

class ConverterDevice;
class PtyLine;
class QSocketNotifier;
class TrafficGenerator;

// Reads commands from standard input, one per line, and answers each with
// "OK <command>" or "ERR <why>":
//   gen <count> [rate] [framing] [key=value ...]
//   status [rec=N] [tec=N] [off=0|1] [passive=0|1] [warning=0|1]
//   raw <hex>
//   quit
class ConsoleCommands : public QObject
{
    Q_OBJECT
public:
    // `baseSettings` are the generation settings of the command line, which
    // a gen command starts from.
    ConsoleCommands(PtyLine &line, ConverterDevice &device, TrafficGenerator &generator,
                    const GenerationSettings &baseSettings, bool quitOnEof,
                    QObject *parent = nullptr);

    // Runs one command line; public so the same path serves tests of the wording.
    void execute(const QString &commandLine);

signals:
    void quitRequested();

private:
    void readStdin();
    bool parseGeneration(const QStringList &args, GenerationSettings *out, QString *why) const;
    bool setStatus(const QStringList &args, QString *why);
    bool writeRaw(const QStringList &args, QString *why);

    PtyLine &line;
    ConverterDevice &device;
    TrafficGenerator &generator;
    GenerationSettings baseSettings;
    bool quitOnEof;
    QSocketNotifier *stdinNotifier = nullptr;
    QByteArray partialLine;
};

#endif // TAVICON_EMULATOR_CONSOLECOMMANDS_H
