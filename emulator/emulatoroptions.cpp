#include "emulator/emulatoroptions.h"

#include <QCommandLineParser>

namespace {

const char Description[] =
    "Stands in for the USB-to-CAN converter: opens a pseudo-terminal, prints\n"
    "\"PORT <path>\" as its first line and behaves like the converter on the\n"
    "serial end at <path>.\n"
    "\n"
    "Reported on standard output, one line each:\n"
    "  RX CAN fixed|variable std|ext data|remote id=<hex8> len=<n> data=<hex>\n"
    "  RX SETSTART code=<hex2> bytes=<hex>     RX STATUSQUERY\n"
    "  RX SPEED index=<n> speed=<bit/s>        (speed=none for an index without a speed)\n"
    "  RX FILTER code=<hex2> count=<n> bytes=<hex>\n"
    "  DONE sent=<frames> bytes=<bytes>        (a generation run is written out)\n"
    "\n"
    "Commands on standard input, one per line, answered by \"OK <command>\" or \"ERR <why>\":\n"
    "  gen <count> [rate] [framing] [key=value ...]\n"
    "      starts a generation run, replacing a running one (which then prints no DONE);\n"
    "      keys: id= format= data= noise= remote= seed= delay= (as the options below);\n"
    "      unset keys take the values of the command line\n"
    "  status [rec=N] [tec=N] [off=0|1] [passive=0|1] [warning=0|1]\n"
    "      sets the bus status answered to queries\n"
    "  raw <hex>   writes these bytes to the host verbatim\n"
    "  quit\n"
    "\n"
    "The converter answers bus status queries, remembers the framing of the last\n"
    "set-and-start (fixed at power-up) and, while its mode is loopback (1) or\n"
    "loopback+silent (3), echoes every CAN frame from the host in that framing.\n"
    "\n"
    "A port speed change is reported only: a pseudo-terminal has no real line\n"
    "speed, so the serial end keeps working at whatever speed the host opens it.\n"
    "\n"
    "The last receive-ID filter command decides which generated frames reach the\n"
    "host (identifiers compared as 32-bit values): code 11 blocks the listed\n"
    "identifiers (none listed: all pass, as at power-up), code 10 passes only\n"
    "those (none listed: nothing passes). A set-and-start leaves the filter as\n"
    "it is, and loopback echoes are never filtered. A filtered frame still takes\n"
    "its place in the run (its number in seq data, the run's count) but is\n"
    "neither written nor counted in DONE sent=.\n\n"
    "Remote frames are generated with the same data bytes as data frames.\n"
    "\n"
    "With --bus the converter sits on a simulated vehicle bus from start-up on:\n"
    "20 identifiers, 11 standard and 9 extended, each sent on its own period\n"
    "between 10 ms and 1 s, carrying alive counters and values that change with\n"
    "a drive that repeats every 100 s (speed, engine speed, gear, steering, brake\n"
    "pressure, temperatures that slowly warm up, battery, fuel level, distance),\n"
    "and a remote frame. The frames reach the host in the framing of the last\n"
    "set-and-start and through the receive-ID filter; in the loopback modes the\n"
    "controller hears only the host's own frames, so the bus falls silent. While\n"
    "the host does not read, bus frames are dropped rather than piled up. Status\n"
    "queries, loopback echo and the commands above work as without --bus.";

struct ValueOption
{
    const char *name;
    const char *key;      // the same setting's key in the gen command
    const char *valueName;
    const char *help;
};

const ValueOption generationOptions[] = {
    { "count", "count", "N", "Frames to generate at start-up (default 0 = none)." },
    { "rate", "rate", "R", "Frames per second; 0 = as fast as the line takes them (default)." },
    { "framing", "framing", "fixed|variable|mixed|auto",
      "Framing of generated frames; auto = that of the last set-and-start (default)." },
    { "id", "id", "HEX|random|set:N",
      "Identifier of generated frames: fixed; random (default); or set:N, the identifiers 0..N-1 "
      "(N up to 2048) in turn, frame k carrying k mod N." },
    { "format", "format", "std|ext|random", "Frame format (default random)." },
    { "data", "data", "HEX|random|seq",
      "Data: fixed bytes such as 0102aa; random length and bytes (default); or seq: 8 bytes, "
      "the frame number little-endian first." },
    { "remote-share", "remote", "P", "Fraction 0..1 of remote frames (default 0)." },
    { "noise", "noise", "P", "Chance 0..1 of 1-3 noise bytes (never 0xAA) before a frame (default 0)." },
    { "seed", "seed", "S", "Seed of the random generator, for repeatable traffic." },
    { "delay", "delay", "MS", "Wait before generating (default 0)." },
};

} // namespace

bool parseEmulatorOptions(const QStringList &arguments, EmulatorOptions *options, QString *why)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(Description));
    parser.addHelpOption();
    for (const ValueOption &o : generationOptions) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(o.name), QString::fromLatin1(o.help),
                                            QString::fromLatin1(o.valueName)));
    }
    const QCommandLineOption exitWhenDone(QStringLiteral("exit-when-done"),
        QStringLiteral("Quit once a generation run has been written out completely and the host "
                       "has read it (waiting 10 s at most for the host)."));
    const QCommandLineOption rec(QStringLiteral("rec"), QStringLiteral("Receive error counter 0..255."), QStringLiteral("N"));
    const QCommandLineOption tec(QStringLiteral("tec"), QStringLiteral("Transmit error counter 0..255."), QStringLiteral("N"));
    const QCommandLineOption busOff(QStringLiteral("bus-off"), QStringLiteral("Report bus-off."));
    const QCommandLineOption passive(QStringLiteral("error-passive"), QStringLiteral("Report error-passive."));
    const QCommandLineOption warning(QStringLiteral("error-warning"), QStringLiteral("Report error-warning."));
    const QCommandLineOption link(QStringLiteral("link"),
        QStringLiteral("Also make PATH a symbolic link to the serial end (removed at exit)."), QStringLiteral("PATH"));
    const QCommandLineOption quitOnEof(QStringLiteral("quit-on-eof"),
        QStringLiteral("Quit when standard input ends (ignored otherwise)."));
    const QCommandLineOption bus(QStringLiteral("bus"),
        QStringLiteral("Sit on a simulated vehicle bus: steady traffic of 20 identifiers (see above)."));
    parser.addOptions({ exitWhenDone, rec, tec, busOff, passive, warning, link, quitOnEof, bus });

    if (!parser.parse(arguments)) {
        *why = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        *why = QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first());
        return false;
    }

    for (const ValueOption &o : generationOptions) {
        const QString name = QString::fromLatin1(o.name);
        if (parser.isSet(name)
            && !setGenerationValue(options->generation, QString::fromLatin1(o.key), parser.value(name), why))
            return false;
    }
    if (parser.isSet(rec) && !setBusStatusValue(options->status, QStringLiteral("rec"), parser.value(rec), why))
        return false;
    if (parser.isSet(tec) && !setBusStatusValue(options->status, QStringLiteral("tec"), parser.value(tec), why))
        return false;
    options->status.busOff = parser.isSet(busOff);
    options->status.errorPassive = parser.isSet(passive);
    options->status.errorWarning = parser.isSet(warning);
    options->linkPath = parser.value(link);
    options->exitWhenDone = parser.isSet(exitWhenDone);
    options->quitOnEof = parser.isSet(quitOnEof);
    options->simulatedBus = parser.isSet(bus);
    return true;
}
