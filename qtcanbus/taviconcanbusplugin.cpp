#include "qtcanbus/taviconcanbusplugin.h"

#include "qtcanbus/taviconcanbusdevice.h"
#include "session/systemports.h"

QList<QCanBusDeviceInfo> TaviconCanBusPlugin::availableDevices(QString *errorMessage) const
{
    if (errorMessage)
        errorMessage->clear();
    QList<QCanBusDeviceInfo> devices;
    for (const SystemPort &port : systemPorts())
        devices.append(TaviconCanBusDevice::portInfo(port));
    return devices;
}

QCanBusDevice *TaviconCanBusPlugin::createDevice(const QString &interfaceName, QString *errorMessage) const
{
    if (interfaceName.isEmpty()) {
        if (errorMessage)
            *errorMessage = QStringLiteral("no serial port given");
        return nullptr;
    }
    if (errorMessage)
        errorMessage->clear();
    return new TaviconCanBusDevice(interfaceName);
}
