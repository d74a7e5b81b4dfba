#ifndef TAVICON_CANLOGFORMATS_H
#define TAVICON_CANLOGFORMATS_H

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "link/canframe.h"

// Lines of two log formats other CAN tools read. Frames are classic CAN frames
// (isClassicCanFrame); remote frames show no data.

// candump's log format: "(seconds.microseconds) can0 123#112233", three
// hexadecimal digits for standard and eight for extended identifiers, remote
// frames as "#R" followed by their length when it is not 0, error frames
// (isErrorFrame) with the flag in their eight digits. Ends in "\n".
// The time lies after the start of 1970.
QByteArray candumpLine(qint64 usecsSinceEpoch, const QString &channel, const CanFrame &frame);
// A channel name candump lines can hold: printable ASCII, no blank, no '#'.
bool isCandumpChannelName(const QString &name);

// Vector ASC: the three header lines, the date being that of `start` in the
// form "date Mon Dec 07 11:59:59.100 pm 2026" (English names, 12-hour clock).
QByteArray ascHeader(const QDateTime &start);
// One frame on channel 1 at `usecsSinceStart`:
// "   0.250000 1  123x            Rx   d 3 11 22 33".
QByteArray ascLine(qint64 usecsSinceStart, bool sent, const CanFrame &frame);

#endif // TAVICON_CANLOGFORMATS_H
