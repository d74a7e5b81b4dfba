#include "canconfig/bittiming.h"

#include <QList>
#include <algorithm>

#include "files/textfile.h"
#include "canconfig/convertercommands.h"

namespace {

constexpr int ConverterClockHz = 36000000;
constexpr int MaxPrescaler = 1023;
constexpr int MaxPhase1 = 16;
constexpr int MaxPhase2 = 8;
constexpr int MinQuanta = 3;
constexpr int MaxQuanta = 1 + MaxPhase1 + MaxPhase2;
constexpr int MaxBitrate = 1000000;

const BitTimingRow rows[BitTimingRowCount] = {
    {"1M", 5, 4, 3},     {"800K", 7, 5, 3},   {"500K", 5, 4, 6},   {"400K", 4, 3, 9},
    {"250K", 5, 4, 12},  {"200K", 4, 3, 18},  {"125K", 5, 4, 24},  {"100K", 5, 4, 30},
    {"50K", 5, 4, 60},   {"20K", 4, 3, 180},  {"10K", 5, 4, 300},  {"5K", 5, 4, 600},
};

} // namespace

const BitTimingRow *bitTimingRow(int index)
{
    if (index < 0 || index >= BitTimingRowCount)
        return nullptr;
    return &rows[index];
}

std::optional<int> prescalerValue(const QString &text)
{
    if (containsLineBreak(text))
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

bool prescalerInRange(int prescaler)
{
    return prescaler >= 1 && prescaler <= MaxPrescaler;
}

std::optional<QString> busSpeedText(int syncIndex, int phase1Index, int phase2Index,
                                    const QString &prescalerText)
{
    const std::optional<int> prescaler = prescalerValue(prescalerText);
    if (!prescaler)
        return std::nullopt;
    if (!prescalerInRange(*prescaler))
        return QStringLiteral(" ");
    // Each index i counts i + 1 quanta.
    const int quanta = syncIndex + phase1Index + phase2Index + 3;
    if (quanta <= 0)
        return QStringLiteral(" ");
    const int bitsPerSecond = ConverterClockHz / quanta / *prescaler;
    return QString::asprintf("%d.%03dkbps", bitsPerSecond / 1000, bitsPerSecond % 1000);
}

int bitTimingRowRate(const BitTimingRow &row)
{
    return ConverterClockHz / ((row.phase1Index + row.phase2Index + 3) * row.prescaler);
}

namespace {

// The raw timing for `bitsPerSecond`, when the clock makes it exactly.
bool rawTiming(int bitsPerSecond, BitrateTiming *timing)
{
    if (bitsPerSecond <= 0 || bitsPerSecond > MaxBitrate || ConverterClockHz % bitsPerSecond != 0)
        return false;
    const int clocksPerBit = ConverterClockHz / bitsPerSecond;
    // Distance of a sample point from 7/8 as |8 (1 + BS1) - 7 q| / 8 q; the
    // best one kept as numerator and quanta.
    int bestOff = -1;
    int bestQuanta = 0;
    for (int quanta = MinQuanta; quanta <= MaxQuanta; ++quanta) {
        if (clocksPerBit % quanta != 0 || clocksPerBit / quanta > MaxPrescaler)
            continue;
        for (int phase2 = qMin(MaxPhase2, quanta - 2); phase2 >= 1; --phase2) {
            const int phase1 = quanta - 1 - phase2;
            if (phase1 < 1 || phase1 > MaxPhase1)
                continue;
            const int off = qAbs(8 * (1 + phase1) - 7 * quanta);
            if (bestOff >= 0 && qint64(off) * bestQuanta >= qint64(bestOff) * quanta)
                continue;
            bestOff = off;
            bestQuanta = quanta;
            timing->phase1Index = phase1 - 1;
            timing->phase2Index = phase2 - 1;
            timing->prescaler = clocksPerBit / quanta;
        }
    }
    return bestOff >= 0;
}

} // namespace

BitrateTiming bitrateTiming(int bitsPerSecond)
{
    BitrateTiming timing;
    for (int i = 0; i < BitTimingRowCount; ++i) {
        if (bitTimingRowRate(rows[i]) == bitsPerSecond) {
            timing.made = timing.table = true;
            timing.speedIndex = i;
            return timing;
        }
    }
    if (rawTiming(bitsPerSecond, &timing)) {
        timing.made = true;
        return timing;
    }
    // Every rate made is the clock over a divisor of it, found once.
    static const QList<int> madeRates = [] {
        QList<int> rates;
        BitrateTiming probe;
        for (int clocks = MaxPrescaler * MaxQuanta; clocks >= 1; --clocks) {
            if (ConverterClockHz % clocks == 0 && rawTiming(ConverterClockHz / clocks, &probe))
                rates.append(ConverterClockHz / clocks);
        }
        return rates;                                   // ascending
    }();
    const auto next = std::upper_bound(madeRates.cbegin(), madeRates.cend(), bitsPerSecond);
    timing.above = next == madeRates.cend() ? 0 : *next;
    timing.below = next == madeRates.cbegin() ? 0 : *(next - 1);
    return timing;
}

bool applyBitrateTiming(const BitrateTiming &timing, SetStartSettings *settings)
{
    if (!timing.made)
        return false;
    settings->manualTiming = !timing.table;
    if (timing.table) {
        settings->speedIndex = timing.speedIndex;
        return true;
    }
    settings->syncIndex = 0;
    settings->phase1Index = timing.phase1Index;
    settings->phase2Index = timing.phase2Index;
    settings->prescaler = timing.prescaler;
    return true;
}
