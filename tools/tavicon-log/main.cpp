// tavicon-log: converts the program's traffic log files to the candump log
// format, to Vector ASC or to pcap, for other CAN tools and Wireshark.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "files/textfile.h"
#include "interop/canlogformats.h"
#include "traffic/logconversion.h"

namespace {

enum ExitStatus { Usage = 2 };

const char kDescription[] =
    "Converts traffic log files of Tavicon to the candump log format, to the\n"
    "Vector ASC format, which other CAN tools open, or to a pcap file for\n"
    "Wireshark and tshark.\n"
    "\n"
    "LOGFILE is one log file, or the automatic files of one run given in order.\n"
    "Each row's time of day takes the date that puts it nearest the previous\n"
    "row; the first row of a file takes the date nearest the time in the file's\n"
    "name (yyyyMMdd_hhmmss_zzz.txt, also with _2, _3 ...), in this machine's\n"
    "local time. Files without a date in their name need --date.\n"
    "\n"
    "candump lines: (seconds.microseconds) can0 123#112233; remote frames #R\n"
    "with their length when not 0. ASC: a date header, then seconds since the\n"
    "first row, channel 1, the identifier (x after it for extended), Rx or Tx,\n"
    "d or r, the length and the data bytes. pcap: a classic pcap file of link\n"
    "type 227 (SocketCAN), one record per row at its absolute time, sent rows\n"
    "included; written to standard output only when that is not a terminal.\n"
    "\n"
    "Rows that cannot be read or that a CAN frame cannot carry are reported as\n"
    "FILE:LINE: reason on standard error and skipped.\n"
    "\n"
    "Exit status: 0 every row converted, 1 some rows skipped, 2 a usage error or\n"
    "a file that cannot be read or written.";

void printError(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

bool stdoutIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stdout));
#else
    return isatty(STDOUT_FILENO);
#endif
}

// `binary`: the bytes as they are, also where standard output is text.
bool writeStandardOutput(const QByteArray &bytes, bool binary)
{
#ifdef Q_OS_WIN
    if (binary && _setmode(_fileno(stdout), _O_BINARY) == -1)
        return false;
#else
    Q_UNUSED(binary);
#endif
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
        && std::fflush(stdout) == 0;
}

int usageError(const QString &text)
{
    printError(QStringLiteral("tavicon-log: %1").arg(text));
    printError(QStringLiteral("Try 'tavicon-log --help'."));
    return Usage;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavicon-log"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVICON_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("Output format: candump (default), asc or pcap."),
                                    QStringLiteral("candump|asc|pcap"), QStringLiteral("candump"));
    const QCommandLineOption date(QStringLiteral("date"),
                                  QStringLiteral("Date of the first row of files without a date in their name."),
                                  QStringLiteral("yyyy-MM-dd"));
    const QCommandLineOption channel(QStringLiteral("channel"),
                                     QStringLiteral("Interface name of candump lines (default can0)."),
                                     QStringLiteral("NAME"), QStringLiteral("can0"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the result to FILE instead of standard output."),
                                    QStringLiteral("FILE"));
    parser.addOptions({format, date, channel, output});
    parser.addPositionalArgument(QStringLiteral("LOGFILE"), QStringLiteral("Traffic log files, in order."),
                                 QStringLiteral("LOGFILE..."));

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("tavicon-log %s\n", TAVICON_VERSION);
        return 0;
    }

    LogConversionOptions options;
    const std::optional<CanLogFormat> named = canLogFormatNamed(parser.value(format));
    if (!named)
        return usageError(QStringLiteral("unknown format \"%1\"; candump, asc or pcap").arg(parser.value(format)));
    options.format = *named;
    if (parser.isSet(date)) {
        options.date = QDate::fromString(parser.value(date), QStringLiteral("yyyy-MM-dd"));
        if (!options.date.isValid() || options.date.year() < 1970)
            return usageError(QStringLiteral("bad date \"%1\"; yyyy-MM-dd, 1970 or later").arg(parser.value(date)));
    }
    options.channel = parser.value(channel);
    if (!isCandumpChannelName(options.channel))
        return usageError(QStringLiteral("bad channel name \"%1\"").arg(options.channel));
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return usageError(QStringLiteral("no log file given"));
    if (makeFrameLogWriter(options.format, options.channel)->isBinary() && !parser.isSet(output) && stdoutIsTerminal())
        return usageError(QStringLiteral("a pcap file is not written to a terminal; give -o FILE or redirect the output"));

    if (parser.isSet(output)) {
        const QString target = QFileInfo(parser.value(output)).canonicalFilePath();
        for (const QString &file : files) {
            if (!target.isEmpty() && QFileInfo(file).canonicalFilePath() == target)
                return usageError(QStringLiteral("the output file %1 is one of the log files").arg(parser.value(output)));
        }
    }

    const LogConversion result = convertTrafficLogs(files, options);
    for (const QString &message : result.messages)
        printError(message);
    if (result.status == LogConversion::Failed)
        return result.status;

    if (parser.isSet(output)) {
        const QString fileName = parser.value(output);
        const bool written = result.binary ? writeBinaryFile(fileName, result.output) : writeTextFile(fileName, result.output);
        if (!written) {
            printError(QStringLiteral("%1: cannot be written").arg(fileName));
            return LogConversion::Failed;
        }
    } else if (!writeStandardOutput(result.output, result.binary)) {
        printError(QStringLiteral("tavicon-log: standard output cannot be written"));
        return LogConversion::Failed;
    }
    return result.status;
}
