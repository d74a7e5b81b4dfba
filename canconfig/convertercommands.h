#ifndef TAVICON_CONVERTERCOMMANDS_H
#define TAVICON_CONVERTERCOMMANDS_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The converter commands: set-and-start, bus status query, port speed change
// and the receive-ID filter, all on the 0xAA 0x55 code body sum skeleton.

// The controller's mode: silent sends nothing onto the bus, not even
// acknowledgements; loopback takes the frames it sends back as received. The
// mode box and the set-and-start number the modes 0 normal, 1 loopback,
// 2 silent, 3 loopback and silent.
struct ControllerMode
{
    bool silent = false;
    bool loopback = false;

    static constexpr ControllerMode fromIndex(int modeIndex)
    {
        return {modeIndex == 2 || modeIndex == 3, modeIndex == 1 || modeIndex == 3};
    }
    constexpr int index() const { return silent ? (loopback ? 3 : 2) : (loopback ? 1 : 0); }
};

// Everything the set-and-start command carries, as read from the page.
struct SetStartSettings
{
    bool manualTiming = false;    // raw bit timing instead of a table index
    bool variableFraming = false; // the converter's framing afterwards
    int speedIndex = 0;           // cbBoxCANbps index, table timing
    int frameTypeIndex = 0;       // 0 standard, 1 extended
    quint32 filter = 0;
    quint32 mask = 0;
    int modeIndex = 0;            // ControllerMode::index()
    bool retransmit = true;       // automatic retransmission allowed
    int syncIndex = 0;            // segment indexes, quanta - 1; manual timing
    int phase1Index = 0;
    int phase2Index = 0;
    int prescaler = 1;            // 1..1023, manual timing
};

// 20 bytes: code 0x02 / 0x03 (table / raw timing), plus 0x10 for variable framing.
QByteArray setStartCommand(const SetStartSettings &settings);
// The settings a set-and-start carries, as another program wrote it; nothing
// when `command` is not one (its length, header, code or sum).
std::optional<SetStartSettings> parseSetStartCommand(const QByteArray &command);

// A filter or mask text: hexadecimal as QString::toUInt reads it in base 16,
// all 32 bits (FFFFFFFF included). False when it does not convert or holds a
// line break.
bool parseFilterText(const QString &text, quint32 *value);

// AA 55 04, sixteen zeros, 04.
QByteArray busStatusQuery();
// AA 55 06, the speed index, fifteen zeros, the sum.
QByteArray speedChangeCommand(int speedIndex);

namespace ReceiveFilterCode {
constexpr quint8 UploadOnly = 0x10;    // pass only the identifiers listed
constexpr quint8 NoUpload = 0x11;      // pass all but those listed; none listed: all
}
constexpr int MaxReceiveIds = 50;

// 5 + 4n bytes: AA 55 code n, the identifiers low byte first, the sum.
QByteArray receiveFilterCommand(quint8 code, const QList<quint32> &identifiers);

#endif // TAVICON_CONVERTERCOMMANDS_H
