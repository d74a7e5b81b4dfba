#ifndef TAVICON_TRAFFICTEXT_H
#define TAVICON_TRAFFICTEXT_H

#include <QString>
#include <QStringList>
#include <QTime>

#include "link/canframe.h"

// Column texts of the traffic view.

namespace TrafficColumn {
enum { Row, Direction, Time, Kind, Format, Identifier, Length, Data, Count };
}

// The eight column headers, "序号" to "数据(16进制)".
QStringList trafficHeaderLabels();
// The fixed texts of the direction, frame kind and frame type columns.
namespace TrafficText {
extern const QString Received;          // "接受"
extern const QString Sent;              // "发送"
extern const QString DataFrame;         // "数据帧"
extern const QString RemoteFrame;       // "远程帧"
extern const QString Standard;          // "标准帧"
extern const QString Extended;          // "扩展帧"
extern const QString VariableExtended;  // "/扩展帧", statistics mode, variable-length protocol
}

// "0x" and eight lower-case hexadecimal digits.
QString receivedIdText(quint32 identifier);
// Two digits per byte; a blank after each of the first seven pairs; texts of
// fewer than eight bytes are filled with blanks to 21 characters; " " for no data.
QString hexDataText(const QByteArray &data);
// "hh:mm:ss zzz"
QString trafficTimeText(const QTime &time);
// The same for the current local time. Converting to local time is costly, so
// it is done once per second; the milliseconds come from the system clock.
QString currentTrafficTimeText();
// The eight texts of a received frame shown in `row`. The format column is a
// null string for a fixed frame of unknown format: that cell is left as it is.
QStringList receivedRowTexts(const CanFrame &frame, int row);
// The same for statistics mode, where extended frames of the variable-length
// protocol are marked "/扩展帧".
QStringList statisticsRowTexts(const CanFrame &frame, FrameFraming framing, int row);

#endif // TAVICON_TRAFFICTEXT_H
