#include "converterface.h"

#include <cstdio>

#include "session/convertersession.h"

ConverterFace::ConverterFace(ConverterSession &s, bool readOnly, const FaceSendToBus &sendToBus, SendTurns &turns,
                             QObject *parent)
    : PtyFace(turns, parent)
    , session(s)
    , link(readOnly)
{
    link.setSendToBus([this, sendToBus](const CanFrame &frame) { return sendToBus(frame, this); });
    link.setToConverter([this](const HostCommand &command) { toConverter(command); });
    connect(&session, &ConverterSession::busStatusReceived, this,
            [this](const QByteArray &payload, qint64, const void *asker) { statusReplied(payload, asker); });
}

void ConverterFace::act(const QList<HostLinkReply> &replies)
{
    for (const HostLinkReply &reply : replies) {
        if (reply.refused)
            ++refused;
        if (!reply.kept.isEmpty())
            std::fprintf(stderr, "tavicon-bridge: converter face: not passed on: %s\n", reply.kept.constData());
    }
    waitForRoom(link.isWaiting(), [this] { act(link.resume()); });
}

void ConverterFace::toConverter(const HostCommand &command)
{
    if (command.statusQuery) {
        ++openQueries;
        session.queryBusStatus(this);
    } else if (command.started) {
        session.forwardStart(command.bytes, *command.started);
        emit started(*command.started);
    } else {
        session.forward(command.bytes);
    }
}

// The replies owed to a program that has closed the port are not given to the next.
void ConverterFace::clientLeft()
{
    link.hostGone();
    pty->discardUnread();
    repliesToDrop += openQueries;
    openQueries = 0;
}

void ConverterFace::statusReplied(const QByteArray &payload, const void *asker)
{
    if (asker != this || !pty)
        return;
    if (repliesToDrop > 0) {
        --repliesToDrop;
        return;
    }
    --openQueries;
    pty->send(buildSkeletonFrame(quint8(payload.at(0)), payload.mid(1)));     // as the converter wrote it
}

void ConverterFace::deliver(const CanFrame &frame, qint64, const void *origin)
{
    // The program's own frames come back only as the converter's loopback echo.
    if (!pty || origin == this || !isClassicCanFrame(frame))
        return;
    sendFrame(session.settings().variableFraming ? encodeVariableFrame(frame) : encodeFixedFrame(frame));
}
