#ifndef TAVICON_EMULATOR_BUSSTATUS_H
#define TAVICON_EMULATOR_BUSSTATUS_H

#include <QByteArray>
#include <QString>

#include "canconfig/busstate.h"

// The 20-byte bus status reply (code 0x04) carrying `status`.
QByteArray busStatusReply(const BusStatus &status);

// Sets one value by its console key: rec, tec (0..255), off, passive, warning (0|1).
bool setBusStatusValue(BusStatus &status, const QString &key, const QString &value, QString *why);

#endif // TAVICON_EMULATOR_BUSSTATUS_H
