#include "canconfig/convertercommands.h"

#include "files/textfile.h"
#include "link/canframe.h"

namespace {

constexpr quint8 CodeSetStartTable = 0x02;
constexpr quint8 CodeSetStartManual = 0x03;
constexpr quint8 VariableFramingBit = 0x10;
constexpr quint8 CodeSpeedChange = 0x06;

void appendLittleEndian32(QByteArray &out, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

} // namespace

QByteArray setStartCommand(const SetStartSettings &s)
{
    const quint8 retransmit = s.retransmit ? 1 : 0;
    QByteArray body;                                   // from byte 3
    quint8 code;
    if (s.manualTiming) {
        code = CodeSetStartManual;
        body.append(char(retransmit));                 // 3
        body.append(char(s.frameTypeIndex + 1));       // 4
        appendLittleEndian32(body, s.filter);          // 5..8
        appendLittleEndian32(body, s.mask);            // 9..12
        body.append(char(s.syncIndex));                // 13
        body.append(char(s.phase1Index));              // 14
        body.append(char(s.phase2Index));              // 15
        body.append(char(s.prescaler & 0xFF));         // 16
        body.append(char((s.prescaler >> 8) & 0xFF));  // 17
        body.append(char(s.modeIndex));                // 18
    } else {
        code = CodeSetStartTable;
        body.append(char(s.speedIndex + 1));           // 3
        body.append(char(s.frameTypeIndex + 1));       // 4
        appendLittleEndian32(body, s.filter);          // 5..8
        appendLittleEndian32(body, s.mask);            // 9..12
        body.append(char(s.modeIndex));                // 13
        body.append(char(retransmit));                 // 14; 15..18 stay 0
    }
    if (s.variableFraming)
        code |= VariableFramingBit;
    return buildFixedCommand(code, body);
}

std::optional<SetStartSettings> parseSetStartCommand(const QByteArray &c)
{
    if (c.size() != FixedLayout::FrameSize || quint8(c.at(0)) != 0xAA || quint8(c.at(1)) != 0x55
        || quint8(c.at(19)) != commandSum(c.constData(), 2, 19))
        return std::nullopt;
    const quint8 code = quint8(c.at(2));
    const quint8 form = code & ~VariableFramingBit;
    if ((code & ~(VariableFramingBit | 0x01)) != CodeSetStartTable)
        return std::nullopt;
    const auto byte = [&](int at) { return int(quint8(c.at(at))); };
    SetStartSettings s;
    s.variableFraming = code & VariableFramingBit;
    s.manualTiming = form == CodeSetStartManual;
    s.frameTypeIndex = byte(4) - 1;
    s.filter = readLittleEndian(c.constData() + 5, 4);
    s.mask = readLittleEndian(c.constData() + 9, 4);
    if (s.manualTiming) {
        s.retransmit = byte(3) != 0;
        s.syncIndex = byte(13);
        s.phase1Index = byte(14);
        s.phase2Index = byte(15);
        s.prescaler = byte(16) | byte(17) << 8;
        s.modeIndex = byte(18);
    } else {
        s.speedIndex = byte(3) - 1;
        s.modeIndex = byte(13);
        s.retransmit = byte(14) != 0;
    }
    return s;
}

bool parseFilterText(const QString &text, quint32 *value)
{
    if (containsLineBreak(text))
        return false;
    bool ok = false;
    const uint v = text.toUInt(&ok, 16);
    if (!ok)
        return false;
    *value = quint32(v);
    return true;
}

QByteArray busStatusQuery()
{
    return buildFixedCommand(FixedLayout::CodeBusStatus, QByteArray());
}

QByteArray speedChangeCommand(int speedIndex)
{
    return buildFixedCommand(CodeSpeedChange, QByteArray(1, char(speedIndex)));
}

QByteArray receiveFilterCommand(quint8 code, const QList<quint32> &identifiers)
{
    QByteArray body;
    body.reserve(1 + 4 * identifiers.size());
    body.append(char(identifiers.size()));
    for (quint32 id : identifiers)
        appendLittleEndian32(body, id);
    return buildSkeletonFrame(code, body);
}
