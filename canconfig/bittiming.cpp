#include "canconfig/bittiming.h"

#include "app/textfile.h"

namespace {

constexpr int ConverterClockHz = 36000000;
constexpr int MaxPrescaler = 1023;

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
