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
QString trafficTimeText(int msecsOfDay);
// The current local time in milliseconds since midnight. Converting to local
// time is costly, so it is done once per second; the milliseconds come from
// the system clock.
int currentTrafficMsecsOfDay();
// The same as a time text.
QString currentTrafficTimeText();

// A received frame as its traffic row shows it, small and without texts of
// its own: a row's texts are made when they are read, and a saturated bus
// writes thousands of rows a second of which a repaint shows a few dozen.
struct ReceivedRow
{
    static constexpr int MaxData = VariableLayout::MaxData;

    int number = 0;
    int msecsOfDay = 0;   // local time of receipt
    quint32 identifier = 0;
    FrameFormat format = FrameFormat::Standard;
    bool remote = false;
    quint8 length = 0;
    quint8 dataSize = 0;
    char data[MaxData] = {};

    // The frame received now, shown in `row`; false when its length or data
    // does not fit.
    static bool make(const CanFrame &frame, int row, ReceivedRow *made);
    // The text of `column`; the format column's is a null string for a fixed
    // frame of unknown format.
    QString text(int column) const;
};

// The eight texts of a received frame shown in `row`. The format column is a
// null string for a fixed frame of unknown format: that cell is left as it is.
QStringList receivedRowTexts(const CanFrame &frame, int row);
// The same for statistics mode, where extended frames of the variable-length
// protocol are marked "/扩展帧".
QStringList statisticsRowTexts(const CanFrame &frame, FrameFraming framing, int row);

#endif // TAVICON_TRAFFICTEXT_H
