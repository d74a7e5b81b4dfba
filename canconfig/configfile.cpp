#include "canconfig/configfile.h"

namespace {
const QString ManualTrue = QStringLiteral("Manual BPS TRUE");
const QString ManualFalse = QStringLiteral("Manual BPS FALSE");
const QString SendOnce = QStringLiteral("SendOnce");
const QString SendAlways = QStringLiteral("SendAlways");
const QString Fixed = QStringLiteral("Fixed");
const QString Variable = QStringLiteral("Variable");
}

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
    ConfigLine c;
    c.portSpeed = f.at(0);
    c.mode = f.at(1);
    c.frameType = f.at(2);
    c.canSpeed = f.at(3);
    c.phase1 = f.at(4);
    c.phase2 = f.at(5);
    c.prescaler = f.at(6);
    c.busSpeed = f.at(7);
    c.filter = f.at(8);
    c.mask = f.at(9);
    c.manualTiming = f.at(10) == ManualTrue;
    c.sendOnce = f.at(11) == SendOnce;
    c.fixedFraming = f.at(12) == Fixed;
    *config = c;
    return true;
}
