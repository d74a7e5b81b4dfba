#include "session/convertersession.h"

#include <chrono>
#include <cerrno>

#include "link/serialline.h"
#include "txtables/sendqueue.h"

qint64 currentUsecsSinceEpoch()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

class ConverterSession::Dispatch : public FrameSink
{
public:
    explicit Dispatch(ConverterSession &session) : s(session) {}

    void canFrameReceived(const CanFrame &frame, FrameFraming) override
    {
        ++s.received;
        emit s.frameReceived(frame, s.readTime);
    }
    // Status replies go to who asked; other converter commands are not traffic.
    void fixedFrameReceived(const char *payload) override
    {
        if (quint8(payload[0]) != FixedLayout::CodeBusStatus)
            return;
        const void *asker = nullptr;
        if (!s.askers.empty()) {
            asker = s.askers.front();
            s.askers.pop_front();
        }
        emit s.busStatusReceived(QByteArray(payload, FixedLayout::PayloadSize), s.readTime, asker);
    }

private:
    ConverterSession &s;
};

ConverterSession::ConverterSession(QObject *parent)
    : QObject(parent)
{
    connect(&port, &QSerialPort::readyRead, this, &ConverterSession::readAvailable);
    connect(&port, &QSerialPort::bytesWritten, this, [this](qint64 bytes) {
        countWritten(bytes);
        if (hasRoom())
            emit roomAvailable();
    });
    quietTimer.setSingleShot(true);
    quietTimer.setInterval(ConverterQuietMs);
    connect(&quietTimer, &QTimer::timeout, this, &ConverterSession::flushQuietLine);
    // Whether the line is merely full is asked at once, while errno is that of
    // the failed call; the port is closed later, outside its own notifier.
    connect(&port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        const bool full = error == QSerialPort::ResourceError && serialLineMerelyFull(port, errno);
        QMetaObject::invokeMethod(this, [this, error, full] { portError(error, full); }, Qt::QueuedConnection);
    });
}

bool ConverterSession::open(const QString &portName, qint32 baudRate, QString *why)
{
    port.setPortName(portName);
    port.setBaudRate(baudRate);
    if (!port.open(QIODevice::ReadWrite)) {
        *why = port.errorString();
        return false;
    }
    scanner.reset();
    askers.clear();
    queuedBytes = writtenBytes = 0;
    frameEnds.clear();
    return true;
}

void ConverterSession::close()
{
    quietTimer.stop();
    if (port.isOpen()) {
        port.flush();
        port.close();
    }
    scanner.reset();
    askers.clear();
}

void ConverterSession::start(const SetStartSettings &settings)
{
    current = settings;
    write(setStartCommand(settings));
}

void ConverterSession::write(const QByteArray &bytes)
{
    const qint64 taken = port.write(bytes);
    if (taken > 0)
        queuedBytes += taken;
}

void ConverterSession::countWritten(qint64 bytes)
{
    writtenBytes += bytes;
    qint64 frames = 0;
    for (; !frameEnds.empty() && frameEnds.front() <= writtenBytes; frameEnds.pop_front())
        ++frames;
    if (frames > 0)
        emit framesWritten(frames);
}

void ConverterSession::forwardStart(const QByteArray &command, const SetStartSettings &settings)
{
    current = settings;
    write(command);
}

void ConverterSession::forward(const QByteArray &command)
{
    write(command);
}

void ConverterSession::queryBusStatus(const void *asker)
{
    askers.push_back(asker);
    write(busStatusQuery());
}

bool ConverterSession::hasRoom() const
{
    return port.isOpen() && sendQueueHasRoom(port.bytesToWrite(), port.baudRate());
}

bool ConverterSession::echoesSentFrames() const
{
    return ControllerMode::fromIndex(current.modeIndex).loopback;
}

bool ConverterSession::send(const CanFrame &frame)
{
    if (!hasRoom() || !isClassicCanFrame(frame))
        return false;
    CanFrame out = frame;
    if (out.remote)
        out.data = QByteArray(out.length, '\0');   // the encoders take the length from the data
    write(current.variableFraming ? encodeVariableFrame(out) : encodeFixedFrame(out));
    frameEnds.push_back(queuedBytes);
    ++sent;
    return true;
}

void ConverterSession::readAvailable()
{
    const QByteArray chunk = port.readAll();
    readTime = currentUsecsSinceEpoch();
    Dispatch dispatch(*this);
    scanner.feed(chunk, dispatch);
    if (scanner.pendingSize() > 0)
        quietTimer.start();
    else
        quietTimer.stop();
}

void ConverterSession::flushQuietLine()
{
    Dispatch dispatch(*this);
    scanner.flush(dispatch);
}

void ConverterSession::portError(QSerialPort::SerialPortError error, bool lineFull)
{
    if (!serialPortLost(error, lineFull)) {
        if (lineFull)
            port.clearError();
        return;
    }
    if (!port.isOpen())
        return;
    const QString reason = port.errorString();
    port.clearError();
    close();
    emit lost(reason);
}
