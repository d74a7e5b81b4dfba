#include "extcapoptions.h"

#include <QCommandLineParser>

#include <algorithm>

#include "canconfig/bittiming.h"
#include "session/sessionconfig.h"

namespace {

const char InterfaceName[] = "tavicon";
constexpr int DefaultBitrate = 500000;

// Braces end the fields of a sentence; a text may not hold them.
QByteArray field(const QString &text)
{
    QString t = text;
    t.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    return t.toUtf8();
}

} // namespace

bool parseExtcapArguments(const QStringList &arguments, ExtcapRequest *r, QString *why)
{
    QCommandLineParser parser;
    const auto flag = [](const char *name) { return QCommandLineOption(QString::fromLatin1(name)); };
    const auto valued = [](const char *name) {
        return QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    };
    const QCommandLineOption interfaces = flag("extcap-interfaces"), dlts = flag("extcap-dlts"),
        config = flag("extcap-config"), capture = flag("capture"), help = flag("help"), version = flag("version"),
        listenOnly = flag("listen-only");
    // Wireshark names its version (--extcap-version=4.0) with --extcap-interfaces.
    const QCommandLineOption wireshark = valued("extcap-version"), interface = valued("extcap-interface"),
        fifo = valued("fifo"), filter = valued("extcap-capture-filter"), port = valued("port"),
        portPath = valued("port-path"), portBaud = valued("port-baud"), bitrate = valued("bitrate"),
        busStatus = valued("bus-status"),
        framing = valued("framing");
    parser.addOptions({interfaces, dlts, config, capture, help, version, listenOnly, wireshark, interface, fifo,
                       filter, port, portPath, portBaud, bitrate, framing, busStatus});
    const bool parsed = parser.parse(arguments);
    // Wireshark reads a capture's standard error only once the pcap header has
    // come through the fifo, so the fifo is known even when the rest is refused.
    if (parser.isSet(capture)) {
        r->kind = ExtcapRequest::Capture;
        r->fifo = parser.value(fifo);
    }
    if (!parsed) {
        *why = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *why = QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first());
        return false;
    }
    const QList<std::pair<const QCommandLineOption *, ExtcapRequest::Kind>> kinds = {
        {&interfaces, ExtcapRequest::Interfaces}, {&dlts, ExtcapRequest::Dlts}, {&config, ExtcapRequest::Config},
        {&capture, ExtcapRequest::Capture}, {&help, ExtcapRequest::Help}, {&version, ExtcapRequest::Version}};
    int given = 0;
    for (const auto &[option, kind] : kinds) {
        if (parser.isSet(*option)) {
            if (!parser.isSet(capture))
                r->kind = kind;
            ++given;
        }
    }
    if (given == 0 && parser.isSet(filter)) {
        r->kind = ExtcapRequest::VerifyFilter;
        given = 1;
    }
    if (given != 1) {
        *why = QStringLiteral("give one of --extcap-interfaces, --extcap-dlts, --extcap-config, --capture, --help");
        return false;
    }
    if (r->kind == ExtcapRequest::Interfaces || r->kind == ExtcapRequest::Help || r->kind == ExtcapRequest::Version)
        return true;
    if (parser.value(interface) != QLatin1String(InterfaceName)) {
        *why = parser.isSet(interface)
            ? QStringLiteral("no interface \"%1\"; this program offers \"%2\"").arg(parser.value(interface), InterfaceName)
            : QStringLiteral("--extcap-interface %1 is missing").arg(InterfaceName);
        return false;
    }
    r->filter = parser.value(filter);
    if (r->kind != ExtcapRequest::Capture)
        return true;

    if (r->fifo.isEmpty()) {
        *why = QStringLiteral("--fifo is missing");
        return false;
    }
    if (!extcapFilterText(r->filter).isEmpty()) {
        *why = QString::fromUtf8(extcapFilterText(r->filter).trimmed());
        return false;
    }
    // A typed path holds a port the selector cannot list.
    r->port = parser.value(portPath).isEmpty() ? parser.value(port) : parser.value(portPath);
    if (r->port.isEmpty()) {
        *why = QStringLiteral("no serial port given: choose the converter's port in the interface's options "
                              "(--port, or --port-path for one not listed)");
        return false;
    }
    if (parser.isSet(busStatus) && !applyBusStatusText(parser.value(busStatus), &r->busStatusMs, why))
        return false;
    if (parser.isSet(portBaud) && !applyPortBaudText(parser.value(portBaud), &r->portBaud, why))
        return false;
    r->start = defaultSetStartSettings();
    if (!applyBitrateText(parser.isSet(bitrate) ? parser.value(bitrate) : QString::number(DefaultBitrate),
                          &r->start, why))
        return false;
    if (!parser.value(framing).isEmpty() && !applyFramingText(parser.value(framing), &r->start, why))
        return false;
    r->start.modeIndex = ControllerMode{parser.isSet(listenOnly), false}.index();
    return true;
}

QByteArray extcapHelpText()
{
    return "Usage: tavicon-extcap --extcap-interfaces | --extcap-dlts --extcap-interface tavicon\n"
           "       | --extcap-config --extcap-interface tavicon\n"
           "       | --capture --extcap-interface tavicon --fifo PATH --port PATH|--port-path PATH\n"
           "         [--port-baud N] [--bitrate N] [--framing fixed|variable] [--listen-only]\n"
           "         [--bus-status MS]\n"
           "\n"
           "Wireshark's capture interface \"tavicon\" for the Tavicon USB-to-CAN converter. Wireshark\n"
           "and tshark run it from their extcap folder. A capture configures the converter with one\n"
           "set-and-start (--bitrate in bit/s, default 500000; --listen-only: silent mode, the\n"
           "converter does not acknowledge frames), then writes a pcap of link type 227 (SocketCAN)\n"
           "to the fifo, one record per frame, until SIGINT or SIGTERM. --port-path, when not empty,\n"
           "names a port that --port's list does not hold (a pseudo-terminal, a udev link).\n"
           "The converter is asked for its bus status every --bus-status ms (default 1000, 0:\n"
           "never); a change of its state or error counters is captured as an error frame, as\n"
           "Linux's CAN drivers report one.\n"
           "\n"
           "A capture writes the pcap header before it checks anything else: Wireshark reads standard\n"
           "error only after it. Standard error stays empty unless the capture fails or frames are\n"
           "lost (frames a SocketCAN record cannot carry, frames the reader did not take).\n"
           "\n"
           "Exit status: 0 ended by a signal or by the reader, 1 a usage error, a port that cannot\n"
           "be opened or a converter lost while capturing (the reason on standard error).\n";
}

QByteArray extcapInterfacesText(const QString &helpUrl)
{
    return "extcap {version=" TAVICON_VERSION "}{help=" + field(helpUrl) + "}\n"
           "interface {value=" + QByteArray(InterfaceName) + "}{display=Tavicon USB-to-CAN converter}\n";
}

QByteArray extcapDltsText()
{
    return "dlt {number=227}{name=CAN_SOCKETCAN}{display=CAN}\n";
}

QByteArray extcapFilterText(const QString &filter)
{
    if (filter.trimmed().isEmpty())
        return QByteArray();
    return "capture filters are not supported; use a display filter such as can.id == 0x123\n";
}

QByteArray extcapConfigText(const QList<ExtcapPort> &ports)
{
    // The stable name of a USB adapter, else a USB port: never a built-in UART
    // that merely comes first.
    const auto isById = [](const ExtcapPort &p) { return p.path.startsWith(QLatin1String("/dev/serial/by-id/")); };
    auto chosen = std::find_if(ports.cbegin(), ports.cend(), isById);
    if (chosen == ports.cend())
        chosen = std::find_if(ports.cbegin(), ports.cend(), [](const ExtcapPort &p) { return p.usb; });
    QByteArray text = "arg {number=0}{call=--port}{display=Serial port}{type=selector}"
                      "{tooltip=The converter's serial port}\n";
    for (auto p = ports.cbegin(); p != ports.cend(); ++p) {
        const QByteArray path = field(p->path);
        text += "value {arg=0}{value=" + path + "}{display=" + path
              + (p->description.isEmpty() ? QByteArray() : " (" + field(p->description) + ')') + "}{default="
              + (p == chosen ? "true" : "false") + "}\n";
    }
    text += "arg {number=1}{call=--port-path}{display=Other port (path)}{type=string}"
            "{tooltip=A port the list does not hold, such as a pseudo-terminal or a udev link; "
            "used instead of the list when not empty}\n";
    text += "arg {number=2}{call=--port-baud}{display=Port speed}{type=unsigned}{default=2000000}"
            "{tooltip=Speed of the serial port in baud}\n"
            "arg {number=3}{call=--bitrate}{display=CAN bit rate}{type=selector}"
            "{tooltip=The bus speed the converter is set to}\n";
    for (int i = 0; i < BitTimingRowCount; ++i) {
        const BitTimingRow *row = bitTimingRow(i);
        const int rate = bitTimingRowRate(*row);
        text += "value {arg=3}{value=" + QByteArray::number(rate) + "}{display=" + row->item + "}{default="
              + (rate == DefaultBitrate ? "true" : "false") + "}\n";
    }
    text += "arg {number=4}{call=--framing}{display=Serial framing}{type=radio}"
            "{tooltip=The framing of the converter's serial line}\n"
            "value {arg=4}{value=fixed}{display=Fixed (20 bytes a frame)}{default=true}\n"
            "value {arg=4}{value=variable}{display=Variable length}{default=false}\n"
            "arg {number=5}{call=--listen-only}{display=Listen only}{type=boolflag}{default=false}"
            "{tooltip=Silent mode: the converter does not acknowledge frames}\n"
            "arg {number=6}{call=--bus-status}{display=Bus status every (ms)}{type=unsigned}{default=1000}"
            "{tooltip=How often the converter is asked for its bus state; a change is captured as an error "
            "frame; 0: never}\n";
    return text;
}
