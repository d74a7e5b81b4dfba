#ifndef TAVICON_CANBUSFRAMES_H
#define TAVICON_CANBUSFRAMES_H

#include <QCanBusDevice>
#include <QCanBusFrame>
#include <QString>

#include "link/canframe.h"

// Frames between the converter's form (link/canframe.h) and Qt's.

// A frame from the converter that a classic CAN frame carries (isClassicCanFrame),
// stamped with the time its bytes were read. A remote frame's length is its
// payload's size, as Qt has it.
QCanBusFrame qtFrame(const CanFrame &frame, qint64 usecsSinceEpoch);
// A bus error frame (canconfig/busstate.h): its classes as error(), its data.
QCanBusFrame qtErrorFrame(const CanFrame &frame, qint64 usecsSinceEpoch);

// Why the converter cannot send `frame`; empty when it can: a classic data
// or remote frame of 0..8 bytes whose identifier fits its format.
QString sendRefusal(const QCanBusFrame &frame);
// The converter's form of a frame sendRefusal takes.
CanFrame converterFrame(const QCanBusFrame &frame);

// Qt's filter rule for data and remote frames: with no filters every frame
// passes, else those that one filter matches by identifier under its mask,
// frame type (InvalidFrame: any) and format.
bool passesFilters(const QList<QCanBusDevice::Filter> &filters, const QCanBusFrame &frame);

// The text of an error frame qtErrorFrame makes: its classes, the controller
// state and the two counters.
QString errorFrameText(const QCanBusFrame &frame);

#endif // TAVICON_CANBUSFRAMES_H
