// slcan lines from any bytes: one answer per '\r', every frame command that
// is accepted reads back as its own line and gives a frame for the bus that
// encodes well-formed, every set-and-start is a well-formed command, and the
// timing search gives exact rates only.

#include <QByteArray>

#include "canconfig/bittiming.h"
#include "fuzzframes.h"
#include "interop/slcan.h"
#include "link/hexdigits.h"

namespace {

bool isAnswer(const QByteArray &a)
{
    if (a == "\r" || a == "\a" || a == slcanVersionAnswer() || a == slcanSerialNumberAnswer())
        return true;
    return a.size() == 4 && a.at(0) == 'F' && a.at(3) == '\r' && slcanFlagsAnswer(quint8(a.mid(1, 2).toUInt(nullptr, 16))) == a
        && (a.mid(1, 2).toUInt(nullptr, 16) & ~3u) == 0;
}

void checkStart(const SetStartSettings &s)
{
    const QByteArray command = setStartCommand(s);
    check(command.size() == FixedLayout::FrameSize && quint8(command.at(19)) == commandSum(command.constData(), 2, 19));
    check(s.modeIndex >= 0 && s.modeIndex <= 3);
    check(s.manualTiming ? s.prescaler >= 1 && s.prescaler <= 1023 && s.phase1Index <= 15 && s.phase2Index <= 7
                         : bitTimingRow(s.speedIndex) != nullptr);
}

} // namespace

// Byte 0: the program's verdict (no room: every other offer) and where the
// stream splits; bytes 1..4 a
// rate for the timing search; the rest the client's stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 5)
        return 0;
    const SendVerdict verdict = SendVerdict(data[0] % 3);
    const QByteArray stream(reinterpret_cast<const char *>(data) + 5, qsizetype(size - 5));

    const int rate = int((quint32(data[1]) << 24 | quint32(data[2]) << 16 | quint32(data[3]) << 8 | data[4]) % 1100000);
    const BitrateTiming timing = bitrateTiming(rate);
    if (timing.made && !timing.table) {
        const int quanta = 3 + timing.phase1Index + timing.phase2Index;
        check(timing.prescaler >= 1 && timing.prescaler <= 1023 && timing.phase1Index <= 15 && timing.phase2Index <= 7
              && qint64(rate) * timing.prescaler * quanta == 36000000);
    }
    check(timing.made || ((timing.below == 0 || timing.below < rate) && (timing.above == 0 || timing.above > rate)));

    SlcanLineSplitter splitter;
    for (const SlcanLine &line : splitter.split(stream)) {
        check(line.overlong ? line.text.isEmpty() : line.text.size() <= Slcan::MaxLineLength);
        const SlcanCommand command = parseSlcanCommand(line.text);
        if (command.kind == SlcanCommandKind::Frame) {
            checkFrameForTheBus(command.frame);
            // Read back as written, but for bit 31 of an extended identifier, which is dropped.
            QByteArray written = line.text.left(1) + line.text.mid(1).toUpper() + '\r';
            if (command.frame.format == FrameFormat::Extended && hexDigitValue(written.at(1)) >= 8)
                written[1] = "01234567"[hexDigitValue(written.at(1)) - 8];
            check(slcanFrameLine(command.frame) == written);
            check(!command.frame.remote || command.frame.data == QByteArray(command.frame.length, '\0'));
        }
    }

    SlcanSession session{SetStartSettings()};
    bool noRoom = false;
    qsizetype sent = 0;
    session.setSendToBus([&](const CanFrame &frame) {
        if (verdict == SendVerdict::NoRoom && (noRoom = !noRoom))
            return SendVerdict::NoRoom;
        checkFrameForTheBus(frame);
        sent += verdict != SendVerdict::ReadOnly;
        return verdict == SendVerdict::ReadOnly ? verdict : SendVerdict::Sent;
    });
    session.setStartConverter(checkStart);
    const qsizetype split = stream.isEmpty() ? 0 : data[0] % (stream.size() + 1);
    QList<SlcanReply> replies;
    for (const QByteArray &part : {stream.left(split), stream.mid(split)}) {
        replies += session.fromClient(part);
        for (int resumed = 0; session.isWaiting(); ++resumed) {
            check(resumed <= stream.count('\r'));   // each time one more frame goes
            replies += session.resume();
        }
    }
    check(replies.size() == stream.count('\r'));
    for (const SlcanReply &reply : replies) {
        check(isAnswer(reply.answer));
        check(!reply.refused || reply.answer == "\a");
    }
    const QList<SlcanReply> gone = session.clientGone();
    check(gone.size() == 1 && gone.constFirst().dropUnread && gone.constFirst().answer.isEmpty());
    check(sent <= stream.count('\r'));
    return 0;
}
