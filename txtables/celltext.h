#ifndef TAVICON_CELLTEXT_H
#define TAVICON_CELLTEXT_H

#include <QByteArray>
#include <QString>

#include "link/canframe.h"

// The identifier and data byte texts of the send tables' cells (and of their
// files). A text is refused rather than sent as something the row does not say.

// Hexadecimal as QString::toInt reads it in base 16 (blanks around, an optional
// "+" and "0x" prefix), without a minus sign or a line break, 0..7FFFFFFF.
bool parseIdentifierText(const QString &text, quint32 *identifier);

enum class DataTextFault { None, TooManyBytes, BadByte };
// The text trimmed at both ends and split at every single blank; each piece is
// one byte. An empty piece is 00 (two adjacent blanks add a 00 byte; an empty
// text is one 00 byte); any other piece must read as an identifier text does,
// with a value 00..FF. At most eight pieces. A text with a line break anywhere
// is a BadByte.
DataTextFault parseDataText(const QString &text, QByteArray *bytes);

// The data frame a send-table row describes, or the status-bar text of its first
// fault, checked in this order: the identifier, its range for the frame type,
// the number of pieces, then the pieces from the first.
struct TableRowFrame
{
    CanFrame frame;
    QString fault;               // null when the frame may be sent
    bool ok() const { return fault.isNull(); }
};
TableRowFrame tableRowFrame(const QString &identifierText, const QString &dataText, FrameFormat format);

namespace CellTextFault {
extern const QString BadIdentifier;      // "ID值错误，请输入16进制数"
extern const QString IdentifierRange;    // "ID值超出范围：…"
extern const QString TooManyBytes;       // "数据长度不能超过8个字节"
extern const QString BadByte;            // "数据值错误，…"
}

#endif // TAVICON_CELLTEXT_H
