// socketcand messages from any bytes: every answer is one message, a send is
// never answered, a frame goes to the bus only from a good send after the bus
// is open and then encodes well-formed and shows as a frame message, a send
// the program has no room for waits and goes on, and nothing follows a reply
// that closes the connection.

#include <QByteArray>

#include "fuzzframes.h"
#include "interop/socketcand.h"

// Byte 0: the program's verdict (no room: every other offer) and where the
// stream splits; the rest the client's stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const SendVerdict verdict = SendVerdict(data[0] % 3);
    const QByteArray stream(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    SocketcandSession session("can0");
    bool noRoom = false;
    session.setSendToBus([&](const CanFrame &frame) {
        check(session.isOpen());
        if (verdict == SendVerdict::NoRoom && (noRoom = !noRoom))
            return SendVerdict::NoRoom;
        check(!frame.remote);
        checkFrameForTheBus(frame);
        const std::optional<QByteArray> shown = socketcandFrameMessage(frame, 0);
        check(shown && shown->startsWith(" < frame ") && shown->endsWith(" >"));
        return verdict == SendVerdict::ReadOnly ? verdict : SendVerdict::Sent;
    });
    const qsizetype split = stream.isEmpty() ? 0 : data[0] % (stream.size() + 1);
    QList<SocketcandReply> replies;
    for (const QByteArray &part : {stream.left(split), stream.mid(split)}) {
        replies += session.fromClient(part);
        for (int resumed = 0; session.isWaiting(); ++resumed) {
            check(resumed <= stream.count('>'));   // each time one more send goes
            replies += session.resume();
        }
    }
    for (qsizetype i = 0; i < replies.size(); ++i) {
        const SocketcandReply &reply = replies.at(i);
        check(!reply.close || i == replies.size() - 1);
        if (!reply.refusal.isEmpty())
            check(reply.answer.isEmpty() && !reply.close);
        if (!reply.answer.isEmpty()) {        // sends and an overlong message are not answered
            check(reply.answer.startsWith("< ") && reply.answer.endsWith(" >") && reply.answer.count('<') == 1
                  && reply.answer.count('>') == 1);
            check(reply.answer.size() <= 64);
        }
    }
    SocketcandSplitter splitter;
    for (const QByteArray &message : splitter.split(stream).messages)
        check(message.startsWith('<') && message.endsWith('>') && message.count('>') == 1
              && message.size() <= Socketcand::MaxMessageLength + 1);   // 512 and the >
    return 0;
}
