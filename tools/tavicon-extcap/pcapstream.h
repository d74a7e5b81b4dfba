#ifndef TAVICON_PCAPSTREAM_H
#define TAVICON_PCAPSTREAM_H

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

#include "interop/framelogwriter.h"

class QSocketNotifier;

// A pcap stream into the fifo Wireshark reads. Records are written as soon as
// the event loop has handled what the serial port brought, without ever
// blocking it: what the reader has not taken yet waits here.
class PcapStream : public QObject
{
    Q_OBJECT
public:
    explicit PcapStream(QObject *parent = nullptr);
    ~PcapStream() override;

    // Opens `path` for writing (waiting for its reader) and writes the file
    // header before it returns; false with the reason in `why`.
    bool open(const QString &path, QString *why);
    // Frames a pcap record cannot carry are counted, not written.
    void add(const CanFrame &frame, qint64 usecsSinceEpoch);
    // Writes what the fifo takes now.
    void writeNow();
    // Records refused because 32 MB were already waiting for the reader.
    qint64 dropped() const { return droppedRecords; }
    qint64 notCarried() const { return uncarried; }

signals:
    // The reader has closed the fifo.
    void readerGone();

private:
    std::unique_ptr<FrameLogWriter> writer = makeFrameLogWriter(CanLogFormat::Pcap, QString());
    int fd = -1;
    QByteArray pending;
    QSocketNotifier *writable = nullptr;
    bool scheduled = false;
    qint64 droppedRecords = 0;
    qint64 uncarried = 0;
};

#endif // TAVICON_PCAPSTREAM_H
