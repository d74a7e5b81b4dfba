#include "bridge.h"

#include <cstdio>

#include "capturefile.h"
#include "converterface.h"
#include "slcanface.h"
#include "socketcandface.h"

namespace {
void printLine(const QString &line)
{
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}
} // namespace

Bridge::Bridge(const BridgeOptions &o, QObject *parent)
    : QObject(parent)
    , options(o)
{
    connect(&session, &ConverterSession::frameReceived, this, &Bridge::fromBus);
    connect(&session, &ConverterSession::lost, this, &Bridge::portLost);
    connect(&session, &ConverterSession::roomAvailable, this, [this] {
        turns.serve([this] { return session.hasRoom(); });
    });
    // A change of the bus state reaches every face as an error frame.
    connect(&poller, &BusStatusPoller::errorFrame, this, [this](const CanFrame &frame, qint64 usecsSinceEpoch) {
        ++busErrors;
        fromBus(frame, usecsSinceEpoch);
    });
    connect(&poller, &BusStatusPoller::statusReceived, this, [this](const BusStatus &status) {
        if (slcan)
            slcan->setBusStatus(status);
    });
    connect(&poller, &BusStatusPoller::unanswered, this, [](int ms) {
        std::fprintf(stderr, "tavicon-bridge: no bus status reply for %d ms: the converter may not be listening\n", ms);
    });
}

Bridge::~Bridge()
{
    stop();
}

bool Bridge::start(QString *why)
{
    QString reason;
    if (!session.open(options.port, options.portBaud, &reason)) {
        *why = QStringLiteral("cannot open %1: %2").arg(options.port, reason);
        return false;
    }
    session.start(options.start);
    QStringList lines;
    if ((options.slcan && !openSlcan(&lines, why)) || (options.socketcand && !openSocketcand(&lines, why))
        || (options.converter && !openConverter(&lines, why))
        || (!options.candump.isEmpty() && !openCapture(CanLogFormat::Candump, options.candump, &lines, why))
        || (!options.pcap.isEmpty() && !openCapture(CanLogFormat::Pcap, options.pcap, &lines, why)))
        return false;
    for (const QString &line : std::as_const(lines))
        printLine(line);
    printLine(QStringLiteral("READY"));
    running = true;
    poller.start(options.busStatusMs);
    return true;
}

FaceSendToBus Bridge::sendToBus()
{
    return [this](const CanFrame &frame, const void *origin) { return fromClient(frame, origin); };
}

bool Bridge::openPty(PtyFace &face, const QString &name, const QString &linkPath, SerialEndLink &link,
                     QStringList *lines, QString *why)
{
    QString reason;
    if (!face.open(&reason)) {
        *why = QStringLiteral("%1: %2").arg(name, reason);
        return false;
    }
    if (!linkPath.isEmpty() && !link.create(linkPath, face.serialPath(), &reason)) {
        *why = QStringLiteral("--%1-link: %2").arg(name, reason);
        return false;
    }
    lines->append(QStringLiteral("%1 %2").arg(name.toUpper(), face.serialPath()));
    return true;
}

bool Bridge::openSlcan(QStringList *lines, QString *why)
{
    auto face = std::make_unique<SlcanFace>(options.start, sendToBus(), turns);
    if (!openPty(*face, QStringLiteral("slcan"), options.slcanLink, slcanLink, lines, why))
        return false;
    connect(face.get(), &SlcanFace::startRequested, &session, &ConverterSession::start);
    slcan = face.get();
    faces.push_back(std::move(face));
    return true;
}

bool Bridge::openSocketcand(QStringList *lines, QString *why)
{
    auto face = std::make_unique<SocketcandFace>(options.name, sendToBus(), turns);
    QString reason;
    if (!face->listen(options.address, options.tcpPort, &reason)) {
        *why = QStringLiteral("cannot listen on %1:%2: %3").arg(options.address.toString()).arg(options.tcpPort).arg(reason);
        return false;
    }
    if (!options.address.isLoopback()) {
        std::fprintf(stderr, options.readOnly
            ? "tavicon-bridge: warning: whoever reaches %s can read the bus\n"
            : "tavicon-bridge: warning: whoever reaches %s can send frames onto the bus; "
              "consider --read-only\n", qPrintable(face->addressText()));
    }
    if (options.beacon)
        face->startBeacon();
    lines->append(QStringLiteral("SOCKETCAND %1").arg(face->addressText()));
    faces.push_back(std::move(face));
    return true;
}

bool Bridge::openConverter(QStringList *lines, QString *why)
{
    auto face = std::make_unique<ConverterFace>(session, options.readOnly, sendToBus(), turns);
    if (!openPty(*face, QStringLiteral("converter"), options.converterLink, converterLink, lines, why))
        return false;
    // The window's configuration is the bridge's from now on: an slcan open sends it.
    connect(face.get(), &ConverterFace::started, this, [this](const SetStartSettings &settings) {
        if (slcan)
            slcan->reconfigure(settings);
    });
    faces.push_back(std::move(face));
    return true;
}

bool Bridge::openCapture(CanLogFormat format, const QString &path, QStringList *lines, QString *why)
{
    auto capture = std::make_unique<CaptureFile>(format, options.name);
    QString reason;
    if (!capture->open(path, &reason)) {
        *why = QStringLiteral("cannot open %1: %2").arg(path, reason);
        return false;
    }
    lines->append(QStringLiteral("%1 %2").arg(format == CanLogFormat::Pcap ? "PCAP" : "CANDUMP", path));
    faces.push_back(std::move(capture));
    return true;
}

void Bridge::fromBus(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    for (const std::unique_ptr<BridgeFace> &face : faces)
        face->deliver(frame, usecsSinceEpoch, nullptr);
}

SendVerdict Bridge::fromClient(const CanFrame &frame, const void *origin)
{
    if (options.readOnly)
        return SendVerdict::ReadOnly;
    if (!session.hasRoom())
        return SendVerdict::NoRoom;
    if (!session.send(frame))
        return SendVerdict::ReadOnly;   // the protocols' rules make frames the converter takes
    // In the loopback modes the converter's echo, read from the bus, is the
    // one copy every face gets, the sender included.
    if (session.echoesSentFrames())
        return SendVerdict::Sent;
    const qint64 now = currentUsecsSinceEpoch();
    for (const std::unique_ptr<BridgeFace> &face : faces)
        face->deliver(frame, now, origin);
    return SendVerdict::Sent;
}

void Bridge::stop()
{
    if (stopped)
        return;
    stopped = true;
    qint64 dropped = 0;
    qint64 refused = 0;
    for (const std::unique_ptr<BridgeFace> &face : faces) {
        dropped += face->framesDropped();
        refused += face->framesRefused();
        face->close();
    }
    poller.stop();
    session.close();
    if (running)
        printLine(QStringLiteral("bridge from_bus=%1 to_bus=%2 dropped=%3 refused=%4 bus_errors=%5")
                  .arg(session.framesReceived()).arg(session.framesSent()).arg(dropped).arg(refused).arg(busErrors));
}
