#ifndef TAVICON_TAVICONCANBUSDEVICE_H
#define TAVICON_TAVICONCANBUSDEVICE_H

#include <QCanBusDevice>
#include <deque>

#include "session/busstatuspoller.h"
#include "session/convertersession.h"
#include "session/systemports.h"

// The converter on one serial port as a Qt CAN bus device: the converter
// session under Qt's API. Frames the send queue cannot take yet wait, in
// order, in Qt's outgoing queue, which holds every frame not yet on the line.
class TaviconCanBusDevice : public QCanBusDevice
{
    Q_OBJECT
public:
    explicit TaviconCanBusDevice(const QString &portName, QObject *parent = nullptr);
    ~TaviconCanBusDevice() override;

    // The most frames waiting to be written; writeFrame refuses more.
    static constexpr int MaxFramesToWrite = 10000;

    void setConfigurationParameter(ConfigurationKey key, const QVariant &value) override;
    bool writeFrame(const QCanBusFrame &frame) override;
    QString interpretErrorFrame(const QCanBusFrame &errorFrame) override;
    // A new set-and-start with the current configuration.
    void resetController() override;
    bool hasBusStatus() const override { return true; }
    CanBusStatus busStatus() override;
    QCanBusDeviceInfo deviceInfo() const override;

    static QCanBusDeviceInfo portInfo(const SystemPort &port);

protected:
    bool open() override;
    void close() override;

private:
    void takeConfiguration();
    void sendWaiting();
    void frameReceived(const CanFrame &frame, qint64 usecsSinceEpoch);
    void busErrorFrame(const CanFrame &frame, qint64 usecsSinceEpoch);
    void lineTook(qint64 count);
    void portLost(const QString &reason);
    void deliver(const QCanBusFrame &frame);
    void deliverNow();
    void dropFramesToWrite();

    QString port;
    ConverterSession session;
    BusStatusPoller poller{&session};
    std::deque<CanFrame> waiting;        // the tail of the outgoing queue not yet given to the session
    QList<QCanBusFrame> received;        // not yet handed to Qt's queue
    // The configuration as the frame paths use it.
    QList<Filter> filters;
    quint32 errorMask = 0;
    bool receiveOwn = false;
};

#endif // TAVICON_TAVICONCANBUSDEVICE_H
