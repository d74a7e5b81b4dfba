#ifndef TAVICON_RECEIVESTATS_H
#define TAVICON_RECEIVESTATS_H

#include <QtGlobal>

// Running totals of the receive path, for diagnostics and measurements.
struct ReceiveStats
{
    quint64 bytes = 0;        // bytes read from the port
    quint64 canFrames = 0;    // CAN frames accepted, shown or not
    quint64 otherFrames = 0;  // fixed frames of other codes (bus status and the like)
};

ReceiveStats &receiveStats();

#endif // TAVICON_RECEIVESTATS_H
