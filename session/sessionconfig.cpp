#include "session/sessionconfig.h"

#include <QStringList>

#include "files/textfile.h"
#include "canconfig/bittiming.h"

namespace {

// The window's item texts of the configuration boxes, in their order.
const QStringList ModeItems = {QStringLiteral("正常模式"), QStringLiteral("环回模式"),
                               QStringLiteral("静默模式"), QStringLiteral("环回静默模式")};
const QStringList FrameTypeItems = {QStringLiteral("标准帧"), QStringLiteral("扩展帧")};

int canSpeedIndex(const QString &text)
{
    for (int i = 0; i < BitTimingRowCount; ++i) {
        if (text == QLatin1String(bitTimingRow(i)->item))
            return i;
    }
    return -1;
}

// "CAN_BS1_5tq" and the like: the index (quanta - 1), or -1.
int segmentIndex(const QString &text, const char *prefix, int quanta)
{
    for (int i = 0; i < quanta; ++i) {
        if (text == QStringLiteral("%1%2tq").arg(QLatin1String(prefix)).arg(i + 1))
            return i;
    }
    return -1;
}

// The window's form before a configuration line is applied: 250K selected
// and the segment boxes at their first item.
constexpr int FormSpeedIndex = 4;

} // namespace

SetStartSettings defaultSetStartSettings()
{
    SetStartSettings s;
    const BitTimingRow *row = bitTimingRow(0);
    s.speedIndex = 0;
    s.phase1Index = row->phase1Index;
    s.phase2Index = row->phase2Index;
    s.prescaler = row->prescaler;
    return s;
}

bool setStartFromConfig(const ConfigLine &c, SetStartSettings *settings, QString *why)
{
    SetStartSettings s;
    s.speedIndex = FormSpeedIndex;
    if (const int i = int(ModeItems.indexOf(c.mode)); i >= 0)
        s.modeIndex = i;
    if (const int i = int(FrameTypeItems.indexOf(c.frameType)); i >= 0)
        s.frameTypeIndex = i;
    // Selecting another bus speed applies its table row; the stored segments win.
    if (const int i = canSpeedIndex(c.canSpeed); i >= 0 && i != s.speedIndex) {
        s.speedIndex = i;
        s.phase1Index = bitTimingRow(i)->phase1Index;
        s.phase2Index = bitTimingRow(i)->phase2Index;
    }
    if (const int i = segmentIndex(c.phase1, "CAN_BS1_", 16); i >= 0)
        s.phase1Index = i;
    if (const int i = segmentIndex(c.phase2, "CAN_BS2_", 8); i >= 0)
        s.phase2Index = i;
    const std::optional<int> prescaler = prescalerValue(c.prescaler);
    if (!prescaler || !prescalerInRange(*prescaler)) {
        *why = QStringLiteral("prescaler \"%1\" is not a number 1..1023").arg(c.prescaler);
        return false;
    }
    s.prescaler = *prescaler;
    if (!parseFilterText(c.filter, &s.filter) || !parseFilterText(c.mask, &s.mask)) {
        *why = QStringLiteral("filter \"%1\" or mask \"%2\" is not hexadecimal").arg(c.filter, c.mask);
        return false;
    }
    s.manualTiming = c.manualTiming;
    s.retransmit = !c.sendOnce;
    s.variableFraming = !c.fixedFraming;
    *settings = s;
    return true;
}

bool readConfigFile(const QString &path, SetStartSettings *settings, QString *why)
{
    bool found = false;
    bool ok = false;
    const bool opened = forEachTextLine(path, [&](const QByteArray &line) {
        found = true;
        ConfigLine c;
        if (!parseConfigFields(simplifiedLineFields(line), &c)) {
            *why = QStringLiteral("%1 holds fewer than %2 settings").arg(path).arg(ConfigFieldCount);
            return false;
        }
        QString reason;
        ok = setStartFromConfig(c, settings, &reason);
        if (!ok)
            *why = QStringLiteral("%1: %2").arg(path, reason);
        return false;
    });
    if (!opened) {
        *why = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    if (!found)
        *why = QStringLiteral("%1 holds no configuration").arg(path);
    return found && ok;
}

bool applyBitrateText(const QString &text, SetStartSettings *s, QString *why)
{
    bool ok = false;
    const int rate = text.toInt(&ok, 10);
    if (!ok || rate < 1 || rate > 1000000) {
        *why = QStringLiteral("--bitrate: \"%1\" is not a rate 1..1000000").arg(text);
        return false;
    }
    if (applyBitrate(rate, s, why))
        return true;
    why->prepend(QStringLiteral("--bitrate: "));
    return false;
}

bool applyBitrate(int rate, SetStartSettings *s, QString *why)
{
    if (rate < 1 || rate > 1000000) {
        *why = QStringLiteral("%1 bit/s is not a rate 1..1000000").arg(rate);
        return false;
    }
    const BitrateTiming timing = bitrateTiming(rate);
    if (applyBitrateTiming(timing, s))
        return true;
    QStringList nearest;
    if (timing.below > 0)
        nearest << QString::number(timing.below);
    if (timing.above > 0)
        nearest << QString::number(timing.above);
    *why = QStringLiteral("the converter's clock cannot make %1 bit/s exactly; nearest: %2")
               .arg(rate).arg(nearest.join(QStringLiteral(", ")));
    return false;
}

bool applyPortBaudText(const QString &text, qint32 *baud, QString *why)
{
    bool ok = false;
    const qint32 value = text.toInt(&ok, 10);
    if (!ok || value <= 0) {
        *why = QStringLiteral("--port-baud: \"%1\" is not a speed").arg(text);
        return false;
    }
    *baud = value;
    return true;
}
