#include "support/tshark.h"

QStringList tsharkCanFields(const QStringList &extra)
{
    QStringList arguments = {"--disable-protocol", "autosar-nm", "--disable-protocol", "signal_pdu",
                             "--disable-protocol", "ipdum", "-T", "fields"};
    for (const QString &field : QStringList{"can.id", "can.flags.xtd", "can.flags.rtr", "can.len", "data.data"} + extra)
        arguments << "-e" << field;
    return arguments;
}
