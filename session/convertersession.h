#ifndef TAVICON_CONVERTERSESSION_H
#define TAVICON_CONVERTERSESSION_H

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>
#include <deque>

#include "canconfig/convertercommands.h"
#include "link/canframe.h"
#include "link/framescanner.h"

// A program's hold on the converter, without a window: the serial port opened
// at the port speed, one set-and-start, every CAN frame the converter sends,
// frames sent in the configured framing under the window's send-queue rule,
// and the window's test for a converter that has gone.
class ConverterSession : public QObject
{
    Q_OBJECT
public:
    explicit ConverterSession(QObject *parent = nullptr);

    // Opens `portName` at `baudRate`; false with the port's reason in `why`.
    bool open(const QString &portName, qint32 baudRate, QString *why);
    void close();
    bool isOpen() const { return port.isOpen(); }
    QString portName() const { return port.portName(); }

    // Writes one set-and-start; frames sent afterwards use its framing.
    void start(const SetStartSettings &settings);
    // Writes a set-and-start another program made, as it came, and takes
    // `settings`, what it carries, as the configuration from now on.
    void forwardStart(const QByteArray &command, const SetStartSettings &settings);
    // Writes a converter command another program made, as it came.
    void forward(const QByteArray &command);
    // The configuration of the last set-and-start.
    const SetStartSettings &settings() const { return current; }
    // Writes a bus status query; its reply comes as busStatusReceived, with
    // `asker` (the converter answers in order).
    void queryBusStatus(const void *asker = nullptr);

    // Whether one more frame may be queued: no more than baud/100 bytes wait.
    bool hasRoom() const;
    // Whether the converter, in its current mode, echoes the frames it is sent.
    bool echoesSentFrames() const;
    // Encodes and queues one frame; false (nothing written) without room or
    // for a frame that is not a classic CAN frame (isClassicCanFrame).
    bool send(const CanFrame &frame);

    qint64 framesReceived() const { return received; }
    qint64 framesSent() const { return sent; }

signals:
    // One CAN frame from the converter, in stream order, with the time its
    // bytes were read in microseconds since the Unix epoch.
    void frameReceived(const CanFrame &frame, qint64 usecsSinceEpoch);
    // The converter is gone (unplugged); the port has been closed.
    void lost(const QString &reason);
    // Bytes went out to the converter and the send queue has room.
    void roomAvailable();
    // The last bytes of `count` more sent frames went out to the converter.
    void framesWritten(qint64 count);
    // A bus status reply: its 17 payload bytes 2..18, the time they were read
    // and who asked for it.
    void busStatusReceived(const QByteArray &payload, qint64 usecsSinceEpoch, const void *asker);

private:
    class Dispatch;
    void readAvailable();
    void flushQuietLine();
    void portError(QSerialPort::SerialPortError error, bool lineFull);
    void write(const QByteArray &bytes);
    void countWritten(qint64 bytes);

    QSerialPort port;
    std::deque<const void *> askers;      // of the status queries not answered yet
    FrameScanner scanner;
    QTimer quietTimer;
    SetStartSettings current;
    qint64 received = 0;
    qint64 sent = 0;
    qint64 readTime = 0;
    // Bytes queued and written since the port was opened, and where each sent
    // frame not yet written ends among them.
    qint64 queuedBytes = 0;
    qint64 writtenBytes = 0;
    std::deque<qint64> frameEnds;
};

// Microseconds since the Unix epoch, now.
qint64 currentUsecsSinceEpoch();

#endif // TAVICON_CONVERTERSESSION_H
