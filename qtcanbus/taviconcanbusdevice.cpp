#include "qtcanbus/taviconcanbusdevice.h"

#include <QLoggingCategory>
#include <utility>

#include "qtcanbus/canbusconfiguration.h"
#include "qtcanbus/canbusframes.h"

namespace {
Q_LOGGING_CATEGORY(lcTaviconCanBus, "tavicon.canbus")
}

TaviconCanBusDevice::TaviconCanBusDevice(const QString &portName, QObject *parent)
    : QCanBusDevice(parent)
    , port(portName)
{
    for (const auto &[key, value] : defaultConfiguration())
        QCanBusDevice::setConfigurationParameter(key, value);
    takeConfiguration();
    connect(&session, &ConverterSession::frameReceived, this, &TaviconCanBusDevice::frameReceived);
    connect(&session, &ConverterSession::framesWritten, this, &TaviconCanBusDevice::lineTook);
    connect(&session, &ConverterSession::roomAvailable, this, &TaviconCanBusDevice::sendWaiting);
    connect(&session, &ConverterSession::lost, this, &TaviconCanBusDevice::portLost);
    connect(&poller, &BusStatusPoller::errorFrame, this, &TaviconCanBusDevice::busErrorFrame);
    connect(&poller, &BusStatusPoller::unanswered, this, [this](int ms) {
        qCWarning(lcTaviconCanBus, "no bus status reply from %s for %d ms: the converter may not be listening",
                  qPrintable(port), ms);
    });
}

TaviconCanBusDevice::~TaviconCanBusDevice()
{
    session.close();     // what the port still holds goes out first
}

void TaviconCanBusDevice::setConfigurationParameter(ConfigurationKey key, const QVariant &value)
{
    // An invalid value takes a key back to its default; RawFilterKey then has none.
    const QVariant taken = value.isValid() || key == RawFilterKey ? value : defaultConfigurationValue(key);
    QString refusal = taken.isValid() ? configurationRefusal(key, taken) : QString();
    if (refusal.isEmpty() && key == TaviconKey::PortSpeed && state() != UnconnectedState
        && taken.toInt() != configurationParameter(key).toInt())
        refusal = QStringLiteral("UserKey (serial port speed) is set before connectDevice()");
    if (!refusal.isEmpty()) {
        setError(refusal, ConfigurationError);
        return;
    }
    QCanBusDevice::setConfigurationParameter(key, taken);
    takeConfiguration();
    if (state() != ConnectedState)
        return;
    if (keyIsInSetStart(key))
        session.start(setStartSettingsOf(*this));
    else if (key == TaviconKey::BusStatusInterval)
        poller.setInterval(taken.toInt());
}

void TaviconCanBusDevice::takeConfiguration()
{
    filters = configurationParameter(RawFilterKey).value<QList<Filter>>();
    errorMask = errorFilterMask(configurationParameter(ErrorFilterKey)).value_or(0);
    receiveOwn = configurationParameter(ReceiveOwnKey).toBool();
}

bool TaviconCanBusDevice::open()
{
    QString why;
    if (!session.open(port, configurationParameter(TaviconKey::PortSpeed).toInt(), &why)) {
        setError(QStringLiteral("cannot open %1: %2").arg(port, why), ConnectionError);
        setState(UnconnectedState);
        return false;
    }
    session.start(setStartSettingsOf(*this));
    poller.start(configurationParameter(TaviconKey::BusStatusInterval).toInt());
    setState(ConnectedState);
    return true;
}

void TaviconCanBusDevice::close()
{
    poller.stop();
    session.close();
    dropFramesToWrite();
    setState(UnconnectedState);
}

bool TaviconCanBusDevice::writeFrame(const QCanBusFrame &frame)
{
    if (state() != ConnectedState) {
        setError(QStringLiteral("cannot write a frame: the device is not connected"), OperationError);
        return false;
    }
    QString refusal = sendRefusal(frame);
    if (refusal.isEmpty() && framesToWrite() >= MaxFramesToWrite)
        refusal = QStringLiteral("%1 frames wait to be written already").arg(MaxFramesToWrite);
    if (!refusal.isEmpty()) {
        setError(QStringLiteral("cannot write a frame: ") + refusal, WriteError);
        return false;
    }
    enqueueOutgoingFrame(frame);
    waiting.push_back(converterFrame(frame));
    sendWaiting();
    return true;
}

void TaviconCanBusDevice::sendWaiting()
{
    // The outgoing queue was cleared (clear(Output)): what waited is gone.
    if (qint64(waiting.size()) > framesToWrite())
        waiting.clear();
    while (!waiting.empty() && session.hasRoom()) {
        session.send(waiting.front());
        waiting.pop_front();
    }
}

void TaviconCanBusDevice::lineTook(qint64 count)
{
    const auto now = QCanBusFrame::TimeStamp::fromMicroSeconds(currentUsecsSinceEpoch());
    for (qint64 i = 0; i < count && hasOutgoingFrames(); ++i) {
        QCanBusFrame frame = dequeueOutgoingFrame();
        if (receiveOwn && passesFilters(filters, frame)) {
            frame.setLocalEcho(true);
            frame.setTimeStamp(now);
            deliver(frame);
        }
    }
    emit framesWritten(count);
}

void TaviconCanBusDevice::frameReceived(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    if (!isClassicCanFrame(frame)) {
        setError(QStringLiteral("a frame from the converter is no classic CAN frame (identifier %1, %2 bytes)")
                     .arg(frame.identifier, 0, 16).arg(frame.length), ReadError);
        return;
    }
    const QCanBusFrame qt = qtFrame(frame, usecsSinceEpoch);
    if (passesFilters(filters, qt))
        deliver(qt);
}

void TaviconCanBusDevice::busErrorFrame(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    if (frame.identifier & errorMask)
        deliver(qtErrorFrame(frame, usecsSinceEpoch));
}

// Frames reach Qt's queue once per batch the port delivered, so that a reader
// wakes once for all of them.
void TaviconCanBusDevice::deliver(const QCanBusFrame &frame)
{
    if (received.isEmpty())
        QMetaObject::invokeMethod(this, &TaviconCanBusDevice::deliverNow, Qt::QueuedConnection);
    received.append(frame);
}

void TaviconCanBusDevice::deliverNow()
{
    enqueueReceivedFrames(std::exchange(received, {}));
}

void TaviconCanBusDevice::portLost(const QString &reason)
{
    dropFramesToWrite();
    setError(QStringLiteral("the converter on %1 is gone: %2").arg(port, reason), ConnectionError);
    setState(UnconnectedState);
}

void TaviconCanBusDevice::dropFramesToWrite()
{
    waiting.clear();
    while (hasOutgoingFrames())
        dequeueOutgoingFrame();
}

void TaviconCanBusDevice::resetController()
{
    if (state() != ConnectedState) {
        setError(QStringLiteral("cannot reset the controller: the device is not connected"), OperationError);
        return;
    }
    session.start(setStartSettingsOf(*this));
}

QCanBusDevice::CanBusStatus TaviconCanBusDevice::busStatus()
{
    if (state() != ConnectedState || !poller.status())
        return CanBusStatus::Unknown;
    switch (busState(*poller.status())) {
    case BusState::ErrorActive:
        return CanBusStatus::Good;
    case BusState::ErrorWarning:
        return CanBusStatus::Warning;
    case BusState::ErrorPassive:
        return CanBusStatus::Error;
    case BusState::BusOff:
        break;
    }
    return CanBusStatus::BusOff;
}

QString TaviconCanBusDevice::interpretErrorFrame(const QCanBusFrame &errorFrame)
{
    return errorFrameText(errorFrame);
}

QCanBusDeviceInfo TaviconCanBusDevice::deviceInfo() const
{
    return createDeviceInfo(QStringLiteral("tavicon"), port, false, false);
}

QCanBusDeviceInfo TaviconCanBusDevice::portInfo(const SystemPort &systemPort)
{
    return createDeviceInfo(QStringLiteral("tavicon"), systemPort.path, QString(), systemPort.description,
                            QString(), 0, false, false);
}
