#ifndef TAVICON_TAVICONCANBUSPLUGIN_H
#define TAVICON_TAVICONCANBUSPLUGIN_H

#include <QCanBusFactory>
#include <QObject>

// The plugin Qt SerialBus loads for the key "tavicon": the system's serial
// ports as devices, and a device on any port path, a pseudo-terminal too.
class TaviconCanBusPlugin : public QObject, public QCanBusFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QCanBusFactory" FILE "plugin.json")
    Q_INTERFACES(QCanBusFactory)

public:
    QList<QCanBusDeviceInfo> availableDevices(QString *errorMessage) const override;
    QCanBusDevice *createDevice(const QString &interfaceName, QString *errorMessage) const override;
};

#endif // TAVICON_TAVICONCANBUSPLUGIN_H
