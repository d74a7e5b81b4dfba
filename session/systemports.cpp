#include "session/systemports.h"

#include <QDir>
#include <QSerialPortInfo>

QList<SystemPort> systemPorts()
{
    QList<SystemPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        QString description = info.description();
        if (!info.manufacturer().isEmpty() && !description.contains(info.manufacturer()))
            description = (description + QLatin1Char(' ') + info.manufacturer()).trimmed();
        ports.append({info.systemLocation(), description, info.hasVendorIdentifier()});
    }
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files, QDir::Name))
        ports.append({link.filePath(), link.symLinkTarget(), true});
    return ports;
}
