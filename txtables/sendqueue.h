#ifndef TAVICON_SENDQUEUE_H
#define TAVICON_SENDQUEUE_H

#include <QtGlobal>

// The most bytes a send table leaves waiting in the port's write queue before
// it refuses further frames: 100 ms of line time at the port's speed (10 bits
// per byte), never less than one fixed frame of 20 bytes.
qint64 sendQueueLimit(qint32 baudRate);

// Whether a frame may still be queued when `queuedBytes` wait to be written.
inline bool sendQueueHasRoom(qint64 queuedBytes, qint32 baudRate)
{
    return queuedBytes <= sendQueueLimit(baudRate);
}

#endif // TAVICON_SENDQUEUE_H
