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
// The bus speed in bit/s a row's timing gives on the converter's clock.
int bitTimingRowRate(const BitTimingRow &row);

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

// The timing for a bus speed given in bit/s, as the set-and-start command
// carries it. The clock makes 36 MHz / (prescaler x (1 + BS1 + BS2)) with
// prescaler 1..1023, BS1 1..16, BS2 1..8, up to 1,000,000 bit/s.
struct BitrateTiming
{
    bool made = false;        // the rate is made exactly
    bool table = false;       // a speed of the table: `speedIndex`
    int speedIndex = 0;
    int phase1Index = 0;      // raw timing: BS1 - 1, BS2 - 1, SJW index 0
    int phase2Index = 0;
    int prescaler = 1;
    int below = 0;            // not made: the nearest rates made below and
    int above = 0;            // above (0: none)
};

// A speed of the table comes in the table form; any other rate made exactly
// as raw timing, the one whose sample point (1 + BS1) / (1 + BS1 + BS2) is
// nearest 87.5 % (a tie: the fewest quanta, then the earlier sample point).
BitrateTiming bitrateTiming(int bitsPerSecond);

struct SetStartSettings;
// Writes a made timing into the timing fields of `settings` (manualTiming,
// speedIndex, syncIndex, phase1Index, phase2Index, prescaler); false, and
// `settings` untouched, for a rate not made.
bool applyBitrateTiming(const BitrateTiming &timing, SetStartSettings *settings);

#endif // TAVICON_BITTIMING_H
