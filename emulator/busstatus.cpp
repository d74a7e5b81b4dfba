#include "emulator/busstatus.h"

#include "link/canframe.h"

QByteArray busStatusReply(const BusStatus &status)
{
    QByteArray body(FixedLayout::FrameSize - 4, '\0');   // bytes 3..18; 3 and 4 unused
    body[2] = char(status.receiveErrors);                // byte 5
    body[3] = char(status.transmitErrors);               // byte 6
    body[4] = char(status.busOff ? 1 : 0);               // byte 7
    body[5] = char(status.errorPassive ? 1 : 0);         // byte 8
    body[6] = char(status.errorWarning ? 1 : 0);         // byte 9
    return buildFixedCommand(FixedLayout::CodeBusStatus, body);
}

bool setBusStatusValue(BusStatus &status, const QString &key, const QString &value, QString *why)
{
    bool ok = false;
    const int number = value.toInt(&ok, 0);
    if (key == QLatin1String("rec") || key == QLatin1String("tec")) {
        if (!ok || number < 0 || number > 255) {
            *why = QStringLiteral("%1 must be 0..255").arg(key);
            return false;
        }
        (key == QLatin1String("rec") ? status.receiveErrors : status.transmitErrors) = number;
        return true;
    }
    bool *flag = key == QLatin1String("off")       ? &status.busOff
               : key == QLatin1String("passive")   ? &status.errorPassive
               : key == QLatin1String("warning")   ? &status.errorWarning
                                                   : nullptr;
    if (!flag) {
        *why = QStringLiteral("unknown status key %1").arg(key);
        return false;
    }
    if (!ok || (number != 0 && number != 1)) {
        *why = QStringLiteral("%1 must be 0 or 1").arg(key);
        return false;
    }
    *flag = number == 1;
    return true;
}
