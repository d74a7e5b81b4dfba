#include "txtables/celltext.h"

#include <QStringList>

#include "files/textfile.h"

namespace CellTextFault {
const QString BadIdentifier = QStringLiteral("ID值错误，请输入16进制数");
const QString IdentifierRange = QStringLiteral("ID值超出范围：标准帧最大为7FF，扩展帧最大为1FFFFFFF");
const QString TooManyBytes = QStringLiteral("数据长度不能超过8个字节");
const QString BadByte = QStringLiteral("数据值错误，每个字节应为00~FF的16进制数");
}

namespace {

// A hexadecimal text without a minus sign and within 0..max.
bool parseHex(const QString &text, quint32 max, quint32 *value)
{
    if (text.contains(QLatin1Char('-')))
        return false;
    bool ok = false;
    const int v = text.toInt(&ok, 16);
    if (!ok || v < 0 || quint32(v) > max)
        return false;
    *value = quint32(v);
    return true;
}

} // namespace

bool parseIdentifierText(const QString &text, quint32 *identifier)
{
    // toInt() would read past a pasted line break, and the traffic row would show it.
    return !containsLineBreak(text) && parseHex(text, 0x7FFFFFFFu, identifier);
}

DataTextFault parseDataText(const QString &text, QByteArray *bytes)
{
    if (containsLineBreak(text))
        return DataTextFault::BadByte;
    const QStringList pieces = text.trimmed().split(QLatin1Char(' '), Qt::KeepEmptyParts);
    if (pieces.size() > FixedLayout::MaxData)
        return DataTextFault::TooManyBytes;
    QByteArray out;
    out.reserve(pieces.size());
    for (const QString &piece : pieces) {
        quint32 byte = 0;
        if (!piece.isEmpty() && !parseHex(piece, 0xFF, &byte))
            return DataTextFault::BadByte;
        out.append(char(byte));
    }
    *bytes = out;
    return DataTextFault::None;
}

TableRowFrame tableRowFrame(const QString &identifierText, const QString &dataText, FrameFormat format)
{
    TableRowFrame result;
    CanFrame &frame = result.frame;
    frame.format = format;
    frame.remote = false;
    if (!parseIdentifierText(identifierText, &frame.identifier)) {
        result.fault = CellTextFault::BadIdentifier;
        return result;
    }
    if (frame.identifier > maxIdentifier(format)) {
        result.fault = CellTextFault::IdentifierRange;
        return result;
    }
    switch (parseDataText(dataText, &frame.data)) {
    case DataTextFault::TooManyBytes:
        result.fault = CellTextFault::TooManyBytes;
        return result;
    case DataTextFault::BadByte:
        result.fault = CellTextFault::BadByte;
        return result;
    case DataTextFault::None:
        break;
    }
    frame.length = int(frame.data.size());
    return result;
}
