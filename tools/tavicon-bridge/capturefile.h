#ifndef TAVICON_CAPTUREFILE_H
#define TAVICON_CAPTUREFILE_H

#include <QFile>
#include <QObject>
#include <QTimer>
#include <memory>

#include "bridgeface.h"
#include "interop/framelogwriter.h"

// Every frame on the bus in a log file of another tool's format: a candump
// log appended to, or a new pcap file. Written at least once a second, sooner
// when much is waiting, and at close.
class CaptureFile : public QObject, public BridgeFace
{
    Q_OBJECT
public:
    CaptureFile(CanLogFormat format, const QString &channel, QObject *parent = nullptr);
    ~CaptureFile() override;

    bool open(const QString &path, QString *why);

    // Frames the format cannot show are counted as dropped.
    void deliver(const CanFrame &frame, qint64 usecsSinceEpoch, const void *origin) override;
    qint64 framesDropped() const override { return dropped; }
    void close() override;

private:
    // Writes what waits; reports the first failure on stderr.
    void flush();

    std::unique_ptr<FrameLogWriter> writer;
    QFile file;
    QByteArray pending;
    QTimer flushTimer;
    qint64 dropped = 0;
    bool failed = false;
};

#endif // TAVICON_CAPTUREFILE_H
