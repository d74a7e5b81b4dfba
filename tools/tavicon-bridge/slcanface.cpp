#include "slcanface.h"

#include "sendturns.h"

namespace {
// What may wait for a client that does not read before frames are dropped.
constexpr qint64 MaxQueuedBytes = 1024 * 1024;
} // namespace

SlcanFace::SlcanFace(const SetStartSettings &configured, const FaceSendToBus &sendToBus, SendTurns &sendTurns,
                     QObject *parent)
    : QObject(parent)
    , session(configured)
    , turns(sendTurns)
{
    session.setSendToBus([this, sendToBus](const CanFrame &frame) { return sendToBus(frame, this); });
    session.setStartConverter([this](const SetStartSettings &settings) { emit startRequested(settings); });
}

SlcanFace::~SlcanFace()
{
    turns.forget(this);
}

bool SlcanFace::open(QString *why)
{
    pty = std::make_unique<PtyLine>();
    if (!pty->open(why)) {
        pty.reset();
        return false;
    }
    connect(pty.get(), &PtyLine::hostWrote, this, &SlcanFace::clientBytes);
    connect(pty.get(), &PtyLine::hostClosed, this, [this] { act(session.clientGone()); });
    return true;
}

void SlcanFace::close()
{
    turns.forget(this);
    pty.reset();
}

void SlcanFace::clientBytes(const QByteArray &bytes)
{
    act(session.fromClient(bytes));
}

void SlcanFace::act(const QList<SlcanReply> &replies)
{
    for (const SlcanReply &reply : replies) {
        if (reply.dropUnread)
            pty->discardUnread();
        pty->send(reply.answer);
        if (reply.refused)
            ++refused;
    }
    pty->setReading(!session.isWaiting());
    if (session.isWaiting())
        turns.wait(this, [this] { act(session.resume()); });
}

void SlcanFace::deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const void *origin)
{
    if (!pty || origin == this)
        return;
    const SlcanDelivery delivery = session.deliver(frame, usecsSinceEpoch / 1000);
    if (delivery.dropped)
        ++dropped;
    if (delivery.line.isEmpty())
        return;
    if (pty->queuedBytes() + delivery.line.size() > MaxQueuedBytes) {
        ++dropped;
        session.noteDropped();
        return;
    }
    pty->send(delivery.line);
}
