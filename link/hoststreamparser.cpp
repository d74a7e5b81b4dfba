#include "link/hoststreamparser.h"

#include "canconfig/convertercommands.h"

namespace {

constexpr quint8 Header = 0xAA;
constexpr quint8 SkeletonSecond = 0x55;
constexpr quint8 EndMark = 0x55;

bool isFilterCode(quint8 code) { return code == 0x10 || code == 0x11; }

// Which 20-byte message a code makes, or false for codes the converter does not know.
bool fixedKind(quint8 code, HostMessage::Kind *kind)
{
    switch (code) {
    case 0x01: *kind = HostMessage::Kind::CanData; return true;
    case 0x02: case 0x03: case 0x12: case 0x13: *kind = HostMessage::Kind::SetStart; return true;
    case 0x04: *kind = HostMessage::Kind::StatusQuery; return true;
    case 0x06: *kind = HostMessage::Kind::SpeedChange; return true;
    default: return false;
    }
}

enum class Match { Found, Incomplete, Nothing };

// Tries to read a message starting with 0xAA at `d[0]`, `n` bytes available.
Match matchAt(const char *d, int n, HostMessage *out, int *length)
{
    if (n < 2)
        return Match::Incomplete;
    const quint8 second = quint8(d[1]);
    if (second == SkeletonSecond) {
        if (n < 3)
            return Match::Incomplete;
        const quint8 code = quint8(d[2]);
        if (isFilterCode(code)) {
            if (n < 4)
                return Match::Incomplete;
            const int ids = quint8(d[3]);
            if (ids > MaxReceiveIds)
                return Match::Nothing;
            const int len = 5 + 4 * ids;
            if (n < len)
                return Match::Incomplete;
            if (commandSum(d, 2, len - 1) != quint8(d[len - 1]))
                return Match::Nothing;
            out->kind = HostMessage::Kind::Filter;
            *length = len;
            return Match::Found;
        }
        HostMessage::Kind kind;
        if (!fixedKind(code, &kind))
            return Match::Nothing;
        if (n < FixedLayout::FrameSize)
            return Match::Incomplete;
        if (commandSum(d, 2, FixedLayout::FrameSize - 1) != quint8(d[FixedLayout::FrameSize - 1]))
            return Match::Nothing;
        out->kind = kind;
        if (kind == HostMessage::Kind::CanData) {
            out->frame = decodeFixedPayload(d + 2);
            out->framing = FrameFraming::Fixed;
        }
        *length = FixedLayout::FrameSize;
        return Match::Found;
    }
    if (VariableLayout::isControlByte(second)) {
        const int len = VariableLayout::frameSize(second);
        if (n < len)
            return Match::Incomplete;
        if (quint8(d[len - 1]) != EndMark)
            return Match::Nothing;
        out->kind = HostMessage::Kind::CanData;
        out->frame = decodeVariableFrame(d);
        out->framing = FrameFraming::Variable;
        *length = len;
        return Match::Found;
    }
    return Match::Nothing;
}

} // namespace

QList<HostMessage> HostStreamParser::feed(const QByteArray &bytes)
{
    QByteArray chunk;
    if (pending.isEmpty()) {
        chunk = bytes;
    } else {
        chunk = pending + bytes;
        pending.clear();
    }
    const char *d = chunk.constData();
    const int n = int(chunk.size());

    QList<HostMessage> found;
    int pos = 0;
    while (pos < n) {
        if (quint8(d[pos]) != Header) {
            ++pos;
            continue;
        }
        HostMessage message;
        int length = 0;
        const Match match = matchAt(d + pos, n - pos, &message, &length);
        if (match == Match::Incomplete)
            break;
        if (match == Match::Nothing) {
            ++pos;
            continue;
        }
        message.bytes = chunk.mid(pos, length);
        found.append(message);
        pos += length;
    }
    if (pos < n)
        pending = chunk.mid(pos);
    return found;
}
