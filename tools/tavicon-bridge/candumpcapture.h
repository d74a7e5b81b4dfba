#ifndef TAVICON_CANDUMPCAPTURE_H
#define TAVICON_CANDUMPCAPTURE_H

#include <QFile>
#include <QObject>
#include <QTimer>

#include "link/canframe.h"

// Appends every frame as a candump log line, or writes a new pcap file of
// SocketCAN frames (the file header, then one record per frame); written at
// least once a second, sooner when much is waiting, and at close.
class CandumpCapture : public QObject
{
    Q_OBJECT
public:
    enum Format { Candump, Pcap };
    CandumpCapture(const QString &channel, Format format = Candump, QObject *parent = nullptr);
    ~CandumpCapture() override;

    bool open(const QString &path, QString *why);
    // Frames candump lines cannot show (the "other" format, more than 8 data
    // bytes; for pcap also identifiers out of range) are not written: false.
    bool add(const CanFrame &frame, qint64 usecsSinceEpoch);
    // Writes what waits; false (once reported on stderr) when the file refuses it.
    bool flush();
    void close();

private:
    Format format = Candump;
    QString channel;
    QFile file;
    QByteArray pending;
    QTimer flushTimer;
    bool failed = false;
};

#endif // TAVICON_CANDUMPCAPTURE_H
