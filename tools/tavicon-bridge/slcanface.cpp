#include "slcanface.h"

namespace {
// What may wait for a client that does not read before frames are dropped.
constexpr qint64 MaxQueuedBytes = 1024 * 1024;

bool isFrameCommand(const QByteArray &line)
{
    return !line.isEmpty() && QByteArrayView("tTrR").contains(line.at(0));
}
} // namespace

SlcanFace::SlcanFace(const SetStartSettings &configured, SendGate gate, QObject *parent)
    : QObject(parent)
    , session(configured)
{
    session.setSendGate(std::move(gate));
}

bool SlcanFace::open(QString *why)
{
    line = std::make_unique<PtyLine>();
    if (!line->open(why)) {
        line.reset();
        return false;
    }
    connect(line.get(), &PtyLine::received, this, &SlcanFace::received);
    return true;
}

void SlcanFace::hangUp()
{
    line.reset();
}

void SlcanFace::received(const QByteArray &bytes)
{
    for (const SlcanLine &l : splitter.feed(bytes)) {
        const SlcanCommand command = l.overlong ? SlcanCommand() : parseSlcanCommand(l.text);
        if (command.kind == SlcanCommandKind::Close && session.isOpen()) {
            // A client that left without reading: what it did not read is not
            // given to the next one.
            line->discardUnread();
        }
        const SlcanReply reply = session.handle(command);
        if ((command.kind == SlcanCommandKind::Frame && !reply.frame)
            || (command.kind == SlcanCommandKind::Invalid && isFrameCommand(l.text)))
            ++refused;
        line->send(reply.answer);
        if (reply.start)
            emit startRequested(*reply.start);
        if (reply.frame)
            emit frameSent(*reply.frame);
        if (!line)
            return;                 // the port was lost meanwhile
    }
}

void SlcanFace::deliver(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    if (!line)
        return;
    const SlcanDelivery delivery = session.received(frame, usecsSinceEpoch / 1000);
    if (delivery.dropped)
        ++dropped;
    if (delivery.line.isEmpty())
        return;
    if (line->queuedBytes() + delivery.line.size() > MaxQueuedBytes) {
        ++dropped;
        session.noteDropped();
        return;
    }
    line->send(delivery.line);
}
