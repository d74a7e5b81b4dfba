#include "link/hostlinksession.h"

HostLinkSession::HostLinkSession(bool ro)
    : readOnly(ro)
{
}

void HostLinkSession::setSendToBus(SendToBus send)
{
    sendToBus = std::move(send);
}

QList<HostLinkReply> HostLinkSession::fromHost(const QByteArray &bytes)
{
    unhandled += parser.feed(bytes);
    QList<HostLinkReply> replies;
    waiting = false;
    while (!unhandled.isEmpty()) {
        const std::optional<HostLinkReply> reply = execute(unhandled.constFirst());
        if (!reply) {
            waiting = true;
            break;
        }
        unhandled.removeFirst();
        replies.append(*reply);
    }
    return replies;
}

std::optional<HostLinkReply> HostLinkSession::execute(const HostMessage &m)
{
    HostLinkReply reply;
    HostCommand command;
    command.bytes = m.bytes;
    switch (m.kind) {
    case HostMessage::Kind::CanData: {
        const SendVerdict verdict = !isClassicCanFrame(m.frame) ? SendVerdict::ReadOnly
                                  : sendToBus                   ? sendToBus(m.frame)
                                                                : SendVerdict::Sent;
        if (verdict == SendVerdict::NoRoom)
            return std::nullopt;
        reply.refused = verdict != SendVerdict::Sent;
        break;
    }
    case HostMessage::Kind::SetStart:
        if (readOnly) {
            reply.kept = "set-and-start " + m.bytes.toHex(' ') + " (read-only)";
        } else {
            command.started = parseSetStartCommand(m.bytes);
            pass(command);
        }
        break;
    case HostMessage::Kind::Filter:
        if (readOnly)
            reply.kept = "receive-ID filter " + m.bytes.toHex(' ') + " (read-only)";
        else
            pass(command);
        break;
    case HostMessage::Kind::StatusQuery:
        command.statusQuery = true;
        pass(command);
        break;
    case HostMessage::Kind::SpeedChange:
        reply.kept = "port speed change " + m.bytes.toHex(' ')
                   + " (it would cut the bridge off the converter: change the speed with the window on the "
                     "converter's own port, then start the bridge with --port-baud)";
        break;
    }
    return reply;
}
