#ifndef TAVICON_BITTIMING_H
#define TAVICON_BITTIMING_H

#include <QString>
#include <optional>

// The converter's CAN bit timing: the named bus speeds with their timing, and
// the bus speed a timing gives on the converter's 36 MHz clock.

// One named bus speed; the segment values are combo box indexes (quanta - 1).
struct BitTimingRow
{
    const char *item;          // "1M" .. "5K"
    int phase1Index;
    int phase2Index;
    int prescaler;
};

constexpr int BitTimingRowCount = 12;

// The row of `cbBoxCANbps` index `index`, or nullptr outside 0..11.
const BitTimingRow *bitTimingRow(int index);

// The prescaler text as a base-10 int (QString::toInt), or nothing when it does
// not convert or holds a line break (cfg.txt would keep it on a line of its
// own). A converted value may still lie outside 1..1023.
std::optional<int> prescalerValue(const QString &text);
bool prescalerInRange(int prescaler);

// The computed bus speed text for the given segment indexes and prescaler
// text: "%d.%03dkbps" from (36000000 / quanta) / prescaler, " " for a
// prescaler outside 1..1023, nothing (keep the shown text) when the prescaler
// text does not convert.
std::optional<QString> busSpeedText(int syncIndex, int phase1Index, int phase2Index,
                                    const QString &prescalerText);

#endif // TAVICON_BITTIMING_H
