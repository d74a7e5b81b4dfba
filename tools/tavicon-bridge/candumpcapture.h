#ifndef TAVICON_CANDUMPCAPTURE_H
#define TAVICON_CANDUMPCAPTURE_H

#include <QFile>
#include <QObject>
#include <QTimer>

#include "link/canframe.h"

// Appends every frame as a candump log line; written at least once a second,
// sooner when much is waiting, and at close.
class CandumpCapture : public QObject
{
    Q_OBJECT
public:
    CandumpCapture(const QString &channel, QObject *parent = nullptr);
    ~CandumpCapture() override;

    bool open(const QString &path, QString *why);
    // Frames candump lines cannot show (the "other" format, more than 8 data
    // bytes) are not written: false.
    bool add(const CanFrame &frame, qint64 usecsSinceEpoch);
    // Writes what waits; false (once reported on stderr) when the file refuses it.
    bool flush();
    void close();

private:
    QString channel;
    QFile file;
    QByteArray pending;
    QTimer flushTimer;
    bool failed = false;
};

#endif // TAVICON_CANDUMPCAPTURE_H
