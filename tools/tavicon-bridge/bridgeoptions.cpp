#include "bridgeoptions.h"

#include <QCommandLineParser>

#include "canconfig/bittiming.h"
#include "interop/canlogformats.h"
#include "interop/socketcand.h"
#include "session/sessionconfig.h"

namespace {

constexpr int MaxBusNameLength = 64;

const char Description[] =
    "Owns the converter's serial port and offers the CAN bus to other programs:\n"
    "as an slcan adapter on a pseudo-terminal (python-can's slcan interface,\n"
    "slcand for a SocketCAN interface), as a socketcand server over TCP, as the\n"
    "converter itself on a pseudo-terminal (for the Tavicon window and other\n"
    "programs written for the converter), and as a candump log file or a pcap\n"
    "file for Wireshark.\n"
    "\n"
    "The converter gets one set-and-start at start-up: from --config (a cfg.txt\n"
    "as the window writes it), else the window's defaults (1M, normal mode, fixed\n"
    "framing); --bitrate, --mode and --framing override it. --bitrate takes any\n"
    "rate up to 1000000 that 36 MHz / (prescaler x (1 + BS1 + BS2)) makes exactly.\n"
    "\n"
    "The converter's bus status is asked for every second (--bus-status); a change\n"
    "of its state or error counters reaches every face as an error frame, as\n"
    "Linux's CAN drivers report one (socketcand's error message, slcan's F flags,\n"
    "the candump and pcap files).\n"
    "\n"
    "Standard output, flushed: SLCAN <pty>, SOCKETCAND <addr>:<port>, CONVERTER\n"
    "<pty>, CANDUMP <file>, PCAP <file> (for the faces asked for), then READY.\n"
    "SIGINT or SIGTERM ends the bridge with the line\n"
    "  bridge from_bus=<n> to_bus=<n> dropped=<n> refused=<n> bus_errors=<n>\n"
    "\n"
    "Exit status: 0 ended by a signal, 1 a port or file that cannot be opened,\n"
    "2 a usage error, 3 the converter lost while running (PORT LOST <reason>\n"
    "on standard error).\n"
    "\n"
    "The socketcand face listens on 127.0.0.1 unless an address is given; on any\n"
    "other address whoever reaches it can send frames onto the bus (see --read-only).";

// "[ADDR:]PORT" of --socketcand.
bool parseListenAddress(const QString &text, BridgeOptions *o, QString *why)
{
    const int colon = int(text.lastIndexOf(QLatin1Char(':')));
    const QString portText = colon >= 0 ? text.mid(colon + 1) : text;
    bool ok = false;
    const uint port = portText.toUInt(&ok, 10);
    if (!ok || port < 1 || port > 65535) {
        *why = QStringLiteral("--socketcand: \"%1\" is not a port 1..65535").arg(portText);
        return false;
    }
    o->tcpPort = quint16(port);
    if (colon < 0)
        return true;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host == QLatin1String("localhost")) {
        o->address = QHostAddress::LocalHost;
        return true;
    }
    if (!o->address.setAddress(host)) {
        *why = QStringLiteral("--socketcand: \"%1\" is not an IP address").arg(host);
        return false;
    }
    return true;
}

// Takes --socketcand and its optional value out of the arguments: a value is
// the next argument when it does not start with "-".
QStringList takeSocketcand(QStringList arguments, bool *given, QString *value)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString a = arguments.at(i);
        if (a == QLatin1String("--"))
            break;
        if (a == QLatin1String("--socketcand")) {
            *given = true;
            arguments.removeAt(i);
            if (i < arguments.size() && !arguments.at(i).startsWith(QLatin1Char('-')))
                *value = arguments.takeAt(i);
            --i;
        } else if (a.startsWith(QLatin1String("--socketcand="))) {
            *given = true;
            *value = a.mid(int(qstrlen("--socketcand=")));
            arguments.removeAt(i--);
        }
    }
    return arguments;
}

} // namespace

bool parseBridgeOptions(const QStringList &arguments, BridgeOptions *o, QString *why)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromLatin1(Description));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("The converter's serial port."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption portBaud(QStringLiteral("port-baud"),
                                      QStringLiteral("Speed of the serial port (default 2000000)."),
                                      QStringLiteral("N"));
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("Configure the converter from this cfg.txt."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption bitrate(QStringLiteral("bitrate"), QStringLiteral("CAN bit rate in bit/s."),
                                     QStringLiteral("N"));
    const QCommandLineOption mode(QStringLiteral("mode"), QStringLiteral("Controller mode."),
                                  QStringLiteral("normal|silent|loopback|silent-loopback"));
    const QCommandLineOption framing(QStringLiteral("framing"), QStringLiteral("Framing of the serial line."),
                                     QStringLiteral("fixed|variable"));
    const QCommandLineOption slcan(QStringLiteral("slcan"),
                                   QStringLiteral("Offer an slcan adapter on a pseudo-terminal."));
    const QCommandLineOption slcanLink(QStringLiteral("slcan-link"),
        QStringLiteral("Also make PATH a symbolic link to the pseudo-terminal (replacing a link; removed at "
                       "exit). Implies --slcan."), QStringLiteral("PATH"));
    const QCommandLineOption converter(QStringLiteral("converter"),
        QStringLiteral("Offer the converter itself on a pseudo-terminal, for the window."));
    const QCommandLineOption converterLink(QStringLiteral("converter-link"),
        QStringLiteral("Also make PATH a symbolic link to the converter's pseudo-terminal (replacing a link; "
                       "removed at exit). Implies --converter."), QStringLiteral("PATH"));
    // Shown in the help only: the optional value is taken out before parsing.
    QCommandLineOption socketcandHelp(QStringLiteral("socketcand"),
        QStringLiteral("Serve socketcand on [[ADDR:]PORT] (default 127.0.0.1:29536)."), QStringLiteral("[ADDR:]PORT"));
    const QCommandLineOption name(QStringLiteral("name"),
                                  QStringLiteral("Bus name clients open and candump's channel (default can0)."),
                                  QStringLiteral("NAME"));
    const QCommandLineOption beacon(QStringLiteral("beacon"),
        QStringLiteral("Send the socketcand discovery beacon every 3 s to UDP port 42000."));
    const QCommandLineOption readOnly(QStringLiteral("read-only"),
                                      QStringLiteral("Refuse every frame the clients send."));
    const QCommandLineOption busStatus(QStringLiteral("bus-status"),
        QStringLiteral("Ask the converter for its bus status every MS milliseconds and report changes as error "
                       "frames (default 1000; 0: never)."), QStringLiteral("MS"));
    const QCommandLineOption candump(QStringLiteral("candump"),
                                     QStringLiteral("Append every frame to FILE as candump log lines."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption pcap(QStringLiteral("pcap"),
                                  QStringLiteral("Write every frame to FILE, a new pcap file (link type 227, "
                                                 "SocketCAN) for Wireshark."),
                                  QStringLiteral("FILE"));
    parser.addOptions({port, portBaud, config, bitrate, mode, framing, slcan, slcanLink, converter, converterLink,
                       socketcandHelp, name,
                       beacon, readOnly, busStatus, candump, pcap});

    QString socketcandValue;
    const QStringList rest = takeSocketcand(arguments, &o->socketcand, &socketcandValue);
    if (!parser.parse(rest)) {
        *why = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        *why = QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first());
        return false;
    }
    for (const QCommandLineOption *single : {&port, &portBaud, &config, &bitrate, &mode, &framing, &slcanLink, &converterLink,
                                             &name, &busStatus, &candump, &pcap}) {
        if (parser.values(*single).size() > 1) {
            *why = QStringLiteral("--%1 given more than once").arg(single->names().first());
            return false;
        }
    }

    o->port = parser.value(port);
    if (o->port.isEmpty()) {
        *why = QStringLiteral("--port is missing");
        return false;
    }
    if (parser.isSet(portBaud) && !applyPortBaudText(parser.value(portBaud), &o->portBaud, why))
        return false;
    o->start = defaultSetStartSettings();
    if (parser.isSet(config) && !readConfigFile(parser.value(config), &o->start, why)) {
        *why = QStringLiteral("--config: %1").arg(*why);
        return false;
    }
    if (parser.isSet(bitrate) && !applyBitrateText(parser.value(bitrate), &o->start, why))
        return false;
    if (parser.isSet(mode)) {
        const QStringList modes = {QStringLiteral("normal"), QStringLiteral("loopback"), QStringLiteral("silent"),
                                   QStringLiteral("silent-loopback")};
        const int index = int(modes.indexOf(parser.value(mode)));
        if (index < 0) {
            *why = QStringLiteral("--mode: \"%1\" is not normal, silent, loopback or silent-loopback")
                       .arg(parser.value(mode));
            return false;
        }
        o->start.modeIndex = index;
    }
    if (parser.isSet(framing) && !applyFramingText(parser.value(framing), &o->start, why))
        return false;

    o->slcanLink = parser.value(slcanLink);
    o->slcan = parser.isSet(slcan) || parser.isSet(slcanLink);
    o->converterLink = parser.value(converterLink);
    o->converter = parser.isSet(converter) || parser.isSet(converterLink);
    if (o->socketcand && !socketcandValue.isEmpty() && !parseListenAddress(socketcandValue, o, why))
        return false;
    if (parser.isSet(name)) {
        o->name = parser.value(name);
        // The name a socketcand client opens and the channel of candump lines.
        if (!isCandumpChannelName(o->name) || o->name.size() > MaxBusNameLength || o->name.contains(QLatin1Char('<'))
            || o->name.contains(QLatin1Char('>'))) {
            *why = QStringLiteral("--name: \"%1\" is not a bus name (up to %2 printable characters, no blank, #, < or >)")
                       .arg(o->name).arg(MaxBusNameLength);
            return false;
        }
    }
    o->beacon = parser.isSet(beacon);
    if (o->beacon && !o->socketcand) {
        *why = QStringLiteral("--beacon needs --socketcand");
        return false;
    }
    o->readOnly = parser.isSet(readOnly);
    if (parser.isSet(busStatus) && !applyBusStatusText(parser.value(busStatus), &o->busStatusMs, why))
        return false;
    o->candump = parser.value(candump);
    o->pcap = parser.value(pcap);
    if (!o->slcan && !o->socketcand && !o->converter && o->candump.isEmpty() && o->pcap.isEmpty()) {
        *why = QStringLiteral("give at least one of --slcan, --socketcand, --converter, --candump, --pcap");
        return false;
    }
    return true;
}
