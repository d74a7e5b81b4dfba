#include "slcanface.h"

SlcanFace::SlcanFace(const SetStartSettings &configured, const FaceSendToBus &sendToBus, SendTurns &turns,
                     QObject *parent)
    : PtyFace(turns, parent)
    , session(configured)
{
    session.setSendToBus([this, sendToBus](const CanFrame &frame) { return sendToBus(frame, this); });
    session.setStartConverter([this](const SetStartSettings &settings) { emit startRequested(settings); });
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
    waitForRoom(session.isWaiting(), [this] { act(session.resume()); });
}

void SlcanFace::deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const void *origin)
{
    if (!pty || origin == this)
        return;
    const SlcanDelivery delivery = session.deliver(frame, usecsSinceEpoch / 1000);
    if (delivery.dropped)
        ++dropped;
    if (!delivery.line.isEmpty() && !sendFrame(delivery.line))
        session.noteDropped();
}
