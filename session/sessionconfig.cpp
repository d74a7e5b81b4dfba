#include "session/sessionconfig.h"

#include <QStringList>

#include "files/textfile.h"
#include "canconfig/bittiming.h"

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
        SetStartSettings s = formStartSettings();
        const ConfigRefusal refusal = readConfigLine(c, &s);
        if (refusal == ConfigRefusal::Prescaler)
            *why = QStringLiteral("%1: prescaler \"%2\" is not a number 1..1023").arg(path, c.prescaler);
        else if (refusal == ConfigRefusal::FilterOrMask)
            *why = QStringLiteral("%1: filter \"%2\" or mask \"%3\" is not hexadecimal").arg(path, c.filter, c.mask);
        else
            *settings = s;
        ok = refusal == ConfigRefusal::None;
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

std::optional<bool> variableFramingNamed(const QString &text)
{
    if (text == QLatin1String("variable"))
        return true;
    if (text == QLatin1String("fixed"))
        return false;
    return std::nullopt;
}

bool applyFramingText(const QString &text, SetStartSettings *s, QString *why)
{
    const std::optional<bool> variable = variableFramingNamed(text);
    if (!variable) {
        *why = QStringLiteral("--framing: \"%1\" is not fixed or variable").arg(text);
        return false;
    }
    s->variableFraming = *variable;
    return true;
}

bool applyBusStatusText(const QString &text, int *intervalMs, QString *why)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 0) {
        *why = QStringLiteral("--bus-status: \"%1\" is not a number of milliseconds (0: never)").arg(text);
        return false;
    }
    *intervalMs = value;
    return true;
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
