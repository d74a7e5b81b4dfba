#include "link/canframe.h"

namespace {

void putLittleEndian32(char *out, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = char((value >> (8 * i)) & 0xFF);
}

int sentDataLength(const CanFrame &frame, int room)
{
    return qBound(0, qMin(frame.length, int(frame.data.size())), room);
}

} // namespace

quint32 readLittleEndian(const char *in, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= quint32(quint8(in[i])) << (8 * i);
    return value;
}

quint8 commandSum(const char *bytes, int from, int to)
{
    quint8 sum = 0;
    for (int i = from; i < to; ++i)
        sum = quint8(sum + quint8(bytes[i]));
    return sum;
}

QByteArray buildSkeletonFrame(quint8 code, const QByteArray &body)
{
    QByteArray out;
    out.reserve(body.size() + 4);
    out.append(char(0xAA)).append(char(0x55)).append(char(code)).append(body);
    out.append(char(commandSum(out.constData(), 2, int(out.size()))));
    return out;
}

QByteArray buildFixedCommand(quint8 code, QByteArray body)
{
    body.resize(FixedLayout::FrameSize - 4, '\0');
    return buildSkeletonFrame(code, body);
}

quint32 maxIdentifier(FrameFormat format)
{
    return format == FrameFormat::Standard ? 0x7FFu : 0x1FFFFFFFu;
}

bool isClassicCanFrame(const CanFrame &frame)
{
    return frame.format != FrameFormat::Other && frame.identifier <= maxIdentifier(frame.format)
        && frame.length >= 0 && frame.length <= FixedLayout::MaxData
        && (frame.remote || frame.data.size() == frame.length);
}

bool isErrorFrame(const CanFrame &frame)
{
    return frame.format == FrameFormat::Extended && (frame.identifier & ~0x1FFFFFFFu) == CanErrorFlag
        && !frame.remote && frame.length == 8 && frame.data.size() == 8;
}

QByteArray encodeFixedFrame(const CanFrame &frame)
{
    QByteArray body(FixedLayout::FrameSize - 4, '\0');     // bytes 3..18
    char *b = body.data();
    b[0] = frame.format == FrameFormat::Extended ? 2 : 1;  // byte 3
    b[1] = frame.remote ? 2 : 1;                           // byte 4
    putLittleEndian32(b + 2, frame.identifier);            // bytes 5..8
    const int length = sentDataLength(frame, FixedLayout::MaxData);
    b[6] = char(length);                                   // byte 9
    for (int i = 0; i < length; ++i)                       // bytes 10..17
        b[7 + i] = frame.data.at(i);
    return buildSkeletonFrame(FixedLayout::CodeCanData, body);
}

QByteArray encodeVariableFrame(const CanFrame &frame)
{
    const bool extended = frame.format == FrameFormat::Extended;
    const int length = sentDataLength(frame, FixedLayout::MaxData);
    QByteArray out;
    out.reserve(length + 7);
    out.append(char(0xAA));
    out.append(char(0xC0 | (extended ? 0x20 : 0) | (frame.remote ? 0x10 : 0) | length));
    char id[4];
    putLittleEndian32(id, frame.identifier);
    out.append(id, extended ? 4 : 2);
    out.append(frame.data.constData(), length);
    out.append(char(0x55));
    return out;
}

CanFrame decodeFixedPayload(const char *payload)
{
    CanFrame frame;
    const quint8 format = quint8(payload[1]);
    frame.format = format == 1 ? FrameFormat::Standard
                 : format == 2 ? FrameFormat::Extended
                               : FrameFormat::Other;
    frame.remote = quint8(payload[2]) != 1;
    frame.identifier = readLittleEndian(payload + 3, 4);
    frame.length = qMin(int(quint8(payload[7])), FixedLayout::MaxData);
    frame.data = QByteArray(payload + 8, frame.length);
    return frame;
}

CanFrame decodeVariableFrame(const char *bytes)
{
    CanFrame frame;
    const quint8 control = quint8(bytes[1]);
    const bool extended = control & 0x20;
    frame.format = extended ? FrameFormat::Extended : FrameFormat::Standard;
    frame.remote = control & 0x10;
    frame.length = control & 0x0F;
    const int idBytes = extended ? 4 : 2;
    frame.identifier = readLittleEndian(bytes + 2, idBytes);
    frame.data = QByteArray(bytes + 2 + idBytes, frame.length);
    return frame;
}
