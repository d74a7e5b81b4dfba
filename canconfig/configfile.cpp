#include "canconfig/configfile.h"

#include "canconfig/bittiming.h"

namespace {

const QString ManualTrue = QStringLiteral("Manual BPS TRUE");
const QString ManualFalse = QStringLiteral("Manual BPS FALSE");
const QString SendOnce = QStringLiteral("SendOnce");
const QString SendAlways = QStringLiteral("SendAlways");
const QString Fixed = QStringLiteral("Fixed");
const QString Variable = QStringLiteral("Variable");

QStringList numberedItems(const char *prefix, int count)
{
    QStringList items;
    for (int i = 1; i <= count; ++i)
        items << QStringLiteral("%1%2tq").arg(QLatin1String(prefix)).arg(i);
    return items;
}

QStringList canSpeedItems()
{
    QStringList items;
    for (int i = 0; i < BitTimingRowCount; ++i)
        items << QLatin1String(bitTimingRow(i)->item);
    return items;
}

// Selects the item of `box` that `text` names, if any.
void selectItem(ConfigBox box, const QString &text, int *index)
{
    if (const int i = int(configItems(box).indexOf(text)); i >= 0)
        *index = i;
}

} // namespace

QByteArray configFileText(const ConfigLine &c)
{
    const QStringList fields = {
        c.portSpeed, c.mode, c.frameType, c.canSpeed, c.phase1, c.phase2, c.prescaler, c.busSpeed,
        c.filter, c.mask, c.manualTiming ? ManualTrue : ManualFalse, c.sendOnce ? SendOnce : SendAlways,
        c.fixedFraming ? Fixed : Variable,
    };
    QString text;
    for (const QString &field : fields)
        text += field + QLatin1Char(',');
    return text.toUtf8();
}

bool parseConfigFields(const QStringList &f, ConfigLine *config)
{
    if (f.size() < ConfigFieldCount)
        return false;
    *config = {f.at(0), f.at(1), f.at(2), f.at(3), f.at(4), f.at(5), f.at(6), f.at(7), f.at(8), f.at(9),
               f.at(10) == ManualTrue, f.at(11) == SendOnce, f.at(12) == Fixed};
    return true;
}

const QStringList &configItems(ConfigBox box)
{
    static const QStringList items[] = {
        {QStringLiteral("2000000"), QStringLiteral("1228800"), QStringLiteral("115200"), QStringLiteral("38400"),
         QStringLiteral("19200"), QStringLiteral("9600")},
        {QStringLiteral("正常模式"), QStringLiteral("环回模式"), QStringLiteral("静默模式"), QStringLiteral("环回静默模式")},
        {QStringLiteral("标准帧"), QStringLiteral("扩展帧")},
        canSpeedItems(),
        numberedItems("CAN_BS1_", 16),
        numberedItems("CAN_BS2_", 8),
    };
    return items[int(box)];
}

SetStartSettings defaultSetStartSettings()
{
    SetStartSettings s;
    const BitTimingRow *row = bitTimingRow(0);
    s.phase1Index = row->phase1Index;
    s.phase2Index = row->phase2Index;
    s.prescaler = row->prescaler;
    return s;
}

ConfigRefusal readConfigLine(const ConfigLine &c, SetStartSettings *s)
{
    selectItem(ConfigBox::Mode, c.mode, &s->modeIndex);
    selectItem(ConfigBox::FrameType, c.frameType, &s->frameTypeIndex);
    const int speed = s->speedIndex;
    selectItem(ConfigBox::CanSpeed, c.canSpeed, &s->speedIndex);
    if (s->speedIndex != speed) {
        s->phase1Index = bitTimingRow(s->speedIndex)->phase1Index;
        s->phase2Index = bitTimingRow(s->speedIndex)->phase2Index;
    }
    selectItem(ConfigBox::Phase1, c.phase1, &s->phase1Index);
    selectItem(ConfigBox::Phase2, c.phase2, &s->phase2Index);
    s->manualTiming = c.manualTiming;
    s->retransmit = !c.sendOnce;
    s->variableFraming = !c.fixedFraming;
    const std::optional<int> prescaler = prescalerValue(c.prescaler);
    if (!prescaler || !prescalerInRange(*prescaler))
        return ConfigRefusal::Prescaler;
    s->prescaler = *prescaler;
    if (!parseFilterText(c.filter, &s->filter) || !parseFilterText(c.mask, &s->mask))
        return ConfigRefusal::FilterOrMask;
    return ConfigRefusal::None;
}

ConfigLine configLineFor(const SetStartSettings &s, int portSpeedIndex, const QString &prescaler,
                         const QString &busSpeed, const QString &filter, const QString &mask)
{
    const auto item = [](ConfigBox box, int index) { return configItems(box).value(index); };
    return {item(ConfigBox::PortSpeed, portSpeedIndex), item(ConfigBox::Mode, s.modeIndex),
            item(ConfigBox::FrameType, s.frameTypeIndex), item(ConfigBox::CanSpeed, s.speedIndex),
            item(ConfigBox::Phase1, s.phase1Index), item(ConfigBox::Phase2, s.phase2Index),
            prescaler, busSpeed, filter, mask, s.manualTiming, !s.retransmit, !s.variableFraming};
}
