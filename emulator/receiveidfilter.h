#ifndef TAVICON_EMULATOR_RECEIVEIDFILTER_H
#define TAVICON_EMULATOR_RECEIVEIDFILTER_H

#include <QByteArray>
#include <QList>

// The converter's receive-ID filter: which CAN frames from the bus it passes
// on to the host. Identifiers are compared as 32-bit values, whatever the
// frame format. At power-up it passes everything.
class ReceiveIdFilter
{
public:
    // Takes the setting of a complete receive-ID filter command (5 + 4n bytes,
    // checked by the caller): code 0x11 blocks the listed identifiers (none
    // listed: passes all), code 0x10 passes only those (none: passes nothing).
    void program(const QByteArray &command);

    bool passes(quint32 identifier) const;

private:
    bool listPasses = false;      // code 0x10: the list is what passes
    QList<quint32> identifiers;
};

#endif // TAVICON_EMULATOR_RECEIVEIDFILTER_H
