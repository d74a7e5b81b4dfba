// What a program on the bridge's converter face writes, from any bytes: every
// frame for the bus encodes well-formed, every command passed on is a whole
// converter command as it came (a status query, a set-and-start that reads
// back, a receive-ID filter), read-only passes on nothing that changes the
// converter, the port speed change is never passed on, and a frame that waits
// for room goes on when resumed.

#include <QByteArray>

#include "canconfig/convertercommands.h"
#include "fuzzframes.h"
#include "link/hostlinksession.h"

// Byte 0: bit 0 read-only, bit 1 no room at every other frame, the rest where
// the stream splits; the rest the host's stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const bool readOnly = data[0] & 1, noRoomAtTimes = data[0] & 2;
    const QByteArray stream(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    HostLinkSession link(readOnly);
    bool noRoom = false;
    link.setSendToBus([&](const CanFrame &frame) {
        if (noRoomAtTimes && (noRoom = !noRoom))
            return SendVerdict::NoRoom;
        checkFrameForTheBus(frame);
        return readOnly ? SendVerdict::ReadOnly : SendVerdict::Sent;
    });
    link.setToConverter([&](const HostCommand &command) {
        const QByteArray &b = command.bytes;
        check(b.size() >= 5 && quint8(b.at(0)) == 0xAA && quint8(b.at(1)) == 0x55
              && quint8(b.back()) == commandSum(b.constData(), 2, int(b.size()) - 1));
        check(quint8(b.at(2)) != 0x06);                          // the port speed change
        if (command.statusQuery)
            check(b.size() == FixedLayout::FrameSize && quint8(b.at(2)) == FixedLayout::CodeBusStatus);
        else
            check(!readOnly);
        if (command.started)
            check(parseSetStartCommand(b).has_value() && b.size() == FixedLayout::FrameSize);
        else if (!command.statusQuery)
            check(quint8(b.at(2)) == ReceiveFilterCode::UploadOnly || quint8(b.at(2)) == ReceiveFilterCode::NoUpload);
    });
    const qsizetype split = stream.isEmpty() ? 0 : (data[0] >> 2) % (stream.size() + 1);
    for (const QByteArray &part : {stream.left(split), stream.mid(split)}) {
        for (const HostLinkReply &reply : link.fromHost(part))
            check(!reply.refused || reply.kept.isEmpty());
        for (int resumed = 0; link.isWaiting(); ++resumed) {
            check(resumed <= stream.size());
            link.resume();
        }
    }
    return 0;
}
