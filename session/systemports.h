#ifndef TAVICON_SYSTEMPORTS_H
#define TAVICON_SYSTEMPORTS_H

#include <QList>
#include <QString>

// A serial port a converter may sit on, as a program offers it in a list.
struct SystemPort
{
    QString path;
    QString description;
    bool usb = false;
};

// The system's serial ports, then the stable /dev/serial/by-id/ names of USB
// adapters (described by the port they lead to).
QList<SystemPort> systemPorts();

#endif // TAVICON_SYSTEMPORTS_H
