#include "emulator/generationsettings.h"

#include <cmath>

namespace {

bool parseFraction(const QString &value, double *out)
{
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok || !(v >= 0.0 && v <= 1.0))
        return false;
    *out = v;
    return true;
}

bool setFraming(GenerationSettings &s, const QString &value)
{
    using F = GenerationSettings::Framing;
    if (value == QLatin1String("auto"))
        s.framing = F::Auto;
    else if (value == QLatin1String("fixed"))
        s.framing = F::Fixed;
    else if (value == QLatin1String("variable"))
        s.framing = F::Variable;
    else if (value == QLatin1String("mixed"))
        s.framing = F::Mixed;
    else
        return false;
    return true;
}

bool setFormat(GenerationSettings &s, const QString &value)
{
    using F = GenerationSettings::Format;
    if (value == QLatin1String("random"))
        s.format = F::Random;
    else if (value == QLatin1String("std"))
        s.format = F::Standard;
    else if (value == QLatin1String("ext"))
        s.format = F::Extended;
    else
        return false;
    return true;
}

bool setId(GenerationSettings &s, const QString &value)
{
    s.idSetSize = 0;
    if (value == QLatin1String("random")) {
        s.randomId = true;
        return true;
    }
    if (value.startsWith(QLatin1String("set:"))) {
        bool ok = false;
        const uint size = value.mid(4).toUInt(&ok, 10);
        if (!ok || size < 1 || size > 2048)
            return false;
        s.randomId = false;
        s.idSetSize = size;
        return true;
    }
    QString digits = value;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    if (digits.isEmpty() || digits.size() > 8 || !isHexText(digits))
        return false;
    s.randomId = false;
    s.id = digits.toUInt(nullptr, 16);
    return true;
}

bool setData(GenerationSettings &s, const QString &value)
{
    using D = GenerationSettings::Data;
    if (value == QLatin1String("random")) {
        s.data = D::Random;
        return true;
    }
    if (value == QLatin1String("seq")) {
        s.data = D::Sequence;
        return true;
    }
    // Fixed bytes; an empty text gives frames without data.
    if (value.size() % 2 != 0 || value.size() > 16 || !isHexText(value))
        return false;
    s.data = D::Fixed;
    s.fixedData = QByteArray::fromHex(value.toLatin1());
    return true;
}

} // namespace

bool isHexText(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool hex = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

bool setGenerationValue(GenerationSettings &s, const QString &key, const QString &value, QString *why)
{
    bool ok = false;
    if (key == QLatin1String("count")) {
        const qint64 n = value.toLongLong(&ok);
        if (!ok || n < 0) {
            *why = QStringLiteral("count must be a whole number >= 0");
            return false;
        }
        s.count = n;
    } else if (key == QLatin1String("rate")) {
        const double r = value.toDouble(&ok);
        if (!ok || !std::isfinite(r) || r < 0) {
            *why = QStringLiteral("rate must be a number >= 0");
            return false;
        }
        s.rate = r;
    } else if (key == QLatin1String("framing")) {
        if (!setFraming(s, value)) {
            *why = QStringLiteral("framing must be fixed, variable, mixed or auto");
            return false;
        }
    } else if (key == QLatin1String("id")) {
        if (!setId(s, value)) {
            *why = QStringLiteral("id must be hexadecimal (up to 8 digits), random or set:<1..2048>");
            return false;
        }
    } else if (key == QLatin1String("format")) {
        if (!setFormat(s, value)) {
            *why = QStringLiteral("format must be std, ext or random");
            return false;
        }
    } else if (key == QLatin1String("data")) {
        if (!setData(s, value)) {
            *why = QStringLiteral("data must be up to 8 hexadecimal bytes, random or seq");
            return false;
        }
    } else if (key == QLatin1String("remote") || key == QLatin1String("noise")) {
        if (!parseFraction(value, key == QLatin1String("remote") ? &s.remoteShare : &s.noise)) {
            *why = QStringLiteral("%1 must be a number from 0 to 1").arg(key);
            return false;
        }
    } else if (key == QLatin1String("seed")) {
        const quint32 seed = value.toUInt(&ok, 0);
        if (!ok) {
            *why = QStringLiteral("seed must be an unsigned 32-bit number");
            return false;
        }
        s.seed = seed;
    } else if (key == QLatin1String("delay")) {
        const int ms = value.toInt(&ok);
        if (!ok || ms < 0) {
            *why = QStringLiteral("delay must be milliseconds >= 0");
            return false;
        }
        s.delayMs = ms;
    } else {
        *why = QStringLiteral("unknown key %1").arg(key);
        return false;
    }
    return true;
}
