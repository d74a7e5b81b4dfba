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
}

Bridge::~Bridge()
{
    stop();
}

SendVerdict Bridge::gate(const CanFrame &) const
{
    if (options.readOnly)
        return SendVerdict::ReadOnly;
    return session.hasRoom() ? SendVerdict::Allowed : SendVerdict::QueueFull;
}

bool Bridge::start(QString *why)
{
    QString reason;
    if (!session.open(options.port, options.portBaud, &reason)) {
        *why = QStringLiteral("cannot open %1: %2").arg(options.port, reason);
        return false;
    }
    session.start(options.start);
    const SendGate sendGate = [this](const CanFrame &frame) { return gate(frame); };
    QStringList lines;
    if (options.slcan) {
        slcan = std::make_unique<SlcanFace>(options.start, sendGate);
        if (!slcan->open(&reason)) {
            *why = QStringLiteral("slcan: %1").arg(reason);
            return false;
        }
        if (!options.slcanLink.isEmpty() && !link.create(options.slcanLink, slcan->serialPath(), &reason)) {
            *why = QStringLiteral("--slcan-link: %1").arg(reason);
            return false;
        }
        connect(slcan.get(), &SlcanFace::startRequested, &session, &ConverterSession::start);
        connect(slcan.get(), &SlcanFace::frameSent, this,
                [this](const CanFrame &frame) { fromFace(frame, nullptr, slcan.get()); });
        lines << QStringLiteral("SLCAN %1").arg(slcan->serialPath());
    }
    if (options.socketcand) {
        socketcand = std::make_unique<SocketcandFace>(options.name, sendGate);
        if (!socketcand->listen(options.address, options.tcpPort, &reason)) {
            *why = QStringLiteral("cannot listen on %1:%2: %3")
                       .arg(options.address.toString()).arg(options.tcpPort).arg(reason);
            return false;
        }
        connect(socketcand.get(), &SocketcandFace::frameSent, this,
                [this](const CanFrame &frame, const QObject *origin) { fromFace(frame, origin, socketcand.get()); });
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

void Bridge::fromFace(const CanFrame &frame, const QObject *origin, const QObject *face)
{
    if (!session.send(frame))
        return;                     // the gate has let it through: does not happen
    const qint64 now = currentUsecsSinceEpoch();
    if (slcan && face != slcan.get())
        slcan->deliver(frame, now);
    if (socketcand)
        socketcand->deliver(frame, now, origin);
    if (capture)
        capture->add(frame, now);
    if (pcap)
        pcap->add(frame, now);
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
