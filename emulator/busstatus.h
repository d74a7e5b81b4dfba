#ifndef TAVICON_EMULATOR_BUSSTATUS_H
#define TAVICON_EMULATOR_BUSSTATUS_H

#include <QByteArray>
#include <QString>

// The CAN controller state the emulated converter reports.
struct BusStatus
{
    int receiveErrors = 0;     // 0..255
    int transmitErrors = 0;    // 0..255
    bool busOff = false;
    bool errorPassive = false;
    bool errorWarning = false;
};

// The 20-byte bus status reply (code 0x04) carrying `status`.
QByteArray busStatusReply(const BusStatus &status);

// Sets one value by its console key: rec, tec (0..255), off, passive, warning (0|1).
bool setBusStatusValue(BusStatus &status, const QString &key, const QString &value, QString *why);

#endif // TAVICON_EMULATOR_BUSSTATUS_H
