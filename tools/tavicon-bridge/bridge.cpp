#include "bridge.h"

#include <cstdio>

#include "candumpcapture.h"
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
    if (options.slcan) {
        slcan = std::make_unique<SlcanFace>(options.start, [this](const CanFrame &frame) {
            return fromFace(frame, nullptr, slcan.get());
        }, turns);
        if (!slcan->open(&reason)) {
            *why = QStringLiteral("slcan: %1").arg(reason);
            return false;
        }
        if (!options.slcanLink.isEmpty() && !link.create(options.slcanLink, slcan->serialPath(), &reason)) {
            *why = QStringLiteral("--slcan-link: %1").arg(reason);
            return false;
        }
        connect(slcan.get(), &SlcanFace::startRequested, &session, &ConverterSession::start);
        lines << QStringLiteral("SLCAN %1").arg(slcan->serialPath());
    }
    if (options.socketcand) {
        socketcand = std::make_unique<SocketcandFace>(options.name, [this](const CanFrame &frame, const QObject *origin) {
            return fromFace(frame, origin, socketcand.get());
        }, turns);
        if (!socketcand->listen(options.address, options.tcpPort, &reason)) {
            *why = QStringLiteral("cannot listen on %1:%2: %3")
                       .arg(options.address.toString()).arg(options.tcpPort).arg(reason);
            return false;
        }
        if (!options.address.isLoopback()) {
            std::fprintf(stderr, options.readOnly
                ? "tavicon-bridge: warning: whoever reaches %s can read the bus\n"
                : "tavicon-bridge: warning: whoever reaches %s can send frames onto the bus; "
                  "consider --read-only\n", qPrintable(socketcand->addressText()));
        }
        if (options.beacon)
            socketcand->startBeacon();
        lines << QStringLiteral("SOCKETCAND %1").arg(socketcand->addressText());
    }
    if (!options.candump.isEmpty()) {
        capture = std::make_unique<CandumpCapture>(options.name);
        if (!capture->open(options.candump, &reason)) {
            *why = QStringLiteral("cannot open %1: %2").arg(options.candump, reason);
            return false;
        }
        lines << QStringLiteral("CANDUMP %1").arg(options.candump);
    }
    if (!options.pcap.isEmpty()) {
        pcap = std::make_unique<CandumpCapture>(options.name, CandumpCapture::Pcap);
        if (!pcap->open(options.pcap, &reason)) {
            *why = QStringLiteral("cannot open %1: %2").arg(options.pcap, reason);
            return false;
        }
        lines << QStringLiteral("PCAP %1").arg(options.pcap);
    }
    for (const QString &line : std::as_const(lines))
        printLine(line);
    printLine(QStringLiteral("READY"));
    running = true;
    return true;
}

void Bridge::fromBus(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    if (slcan)
        slcan->deliver(frame, usecsSinceEpoch);
    if (socketcand)
        socketcand->deliver(frame, usecsSinceEpoch);
    if (capture && !capture->add(frame, usecsSinceEpoch))
        ++captureDropped;
    if (pcap && !pcap->add(frame, usecsSinceEpoch))
        ++captureDropped;
}

SendVerdict Bridge::fromFace(const CanFrame &frame, const QObject *origin, const QObject *face)
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
    if (slcan && face != slcan.get())
        slcan->deliver(frame, now);
    if (socketcand)
        socketcand->deliver(frame, now, origin);
    if (capture)
        capture->add(frame, now);
    if (pcap)
        pcap->add(frame, now);
    return SendVerdict::Sent;
}

void Bridge::stop()
{
    if (stopped)
        return;
    stopped = true;
    qint64 dropped = captureDropped;
    qint64 refused = 0;
    if (slcan) {
        dropped += slcan->framesDropped();
        refused += slcan->framesRefused();
        slcan->hangUp();
    }
    if (socketcand) {
        dropped += socketcand->framesDropped();
        refused += socketcand->framesRefused();
        socketcand->closeAll();
    }
    if (capture)
        capture->close();
    if (pcap)
        pcap->close();
    session.close();
    if (running)
        printLine(QStringLiteral("bridge from_bus=%1 to_bus=%2 dropped=%3 refused=%4")
                  .arg(session.framesReceived()).arg(session.framesSent()).arg(dropped).arg(refused));
}
