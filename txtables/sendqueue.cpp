#include "txtables/sendqueue.h"

qint64 sendQueueLimit(qint32 baudRate)
{
    return qMax<qint64>(20, qint64(baudRate) / 100);
}
