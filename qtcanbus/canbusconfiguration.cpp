#include "qtcanbus/canbusconfiguration.h"

#include <QCanBusFrame>
#include <QMetaEnum>

#include "canconfig/busstate.h"
#include "session/sessionconfig.h"

namespace {

using Key = QCanBusDevice::ConfigurationKey;
using Filters = QList<QCanBusDevice::Filter>;

QString keyName(Key key)
{
    if (key == TaviconKey::PortSpeed)
        return QStringLiteral("UserKey (serial port speed)");
    if (key == TaviconKey::Framing)
        return QStringLiteral("UserKey + 1 (framing)");
    if (key == TaviconKey::ListenOnly)
        return QStringLiteral("UserKey - 1 (listen-only)");
    if (key == TaviconKey::BusStatusInterval)
        return QStringLiteral("UserKey - 2 (bus status interval)");
    const char *name = QMetaEnum::fromType<Key>().valueToKey(key);
    return name ? QString::fromLatin1(name) : QStringLiteral("key %1").arg(int(key));
}

bool isBool(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<bool>();
}

// A whole number, as a number or its text; a bool is none.
std::optional<int> wholeNumber(const QVariant &value)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || isBool(value))
        return std::nullopt;
    return number;
}

// Error classes of the bus state changes: controller, bus off, restarted
// and the counters (Linux's CAN_ERR_CNT, a bit Qt 6.4 names UnknownError).
constexpr quint32 BusStateErrors = CanErrorFrame::Controller | CanErrorFrame::BusOff
                                 | CanErrorFrame::Restarted | CanErrorFrame::Counters;

} // namespace

QList<QPair<QCanBusDevice::ConfigurationKey, QVariant>> defaultConfiguration()
{
    return {{QCanBusDevice::BitRateKey, 500000},
            {QCanBusDevice::LoopbackKey, false},
            {QCanBusDevice::ReceiveOwnKey, false},
            {QCanBusDevice::ErrorFilterKey,
             QVariant::fromValue(QCanBusFrame::FrameErrors::fromInt(int(BusStateErrors)))},
            {QCanBusDevice::CanFdKey, false},
            {TaviconKey::PortSpeed, 2000000},
            {TaviconKey::Framing, QStringLiteral("fixed")},
            {TaviconKey::ListenOnly, false},
            {TaviconKey::BusStatusInterval, 1000}};
}

QVariant defaultConfigurationValue(QCanBusDevice::ConfigurationKey key)
{
    for (const auto &entry : defaultConfiguration()) {
        if (entry.first == key)
            return entry.second;
    }
    return QVariant();
}

std::optional<quint32> errorFilterMask(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<QCanBusFrame::FrameErrors>())
        return quint32(value.value<QCanBusFrame::FrameErrors>().toInt());
    bool ok = false;
    const uint mask = value.toUInt(&ok);
    if (!ok || isBool(value))
        return std::nullopt;
    return quint32(mask);
}

QString configurationRefusal(QCanBusDevice::ConfigurationKey key, const QVariant &value)
{
    const QString name = keyName(key);
    switch (int(key)) {
    case QCanBusDevice::RawFilterKey:
        if (value.metaType() != QMetaType::fromType<Filters>())
            return name + QStringLiteral(" takes a QList<QCanBusDevice::Filter>");
        for (const QCanBusDevice::Filter &filter : value.value<Filters>()) {
            if (filter.type == QCanBusFrame::UnknownFrame)
                return name + QStringLiteral(": a filter of type UnknownFrame is invalid (InvalidFrame matches every type)");
        }
        return QString();
    case QCanBusDevice::ErrorFilterKey:
        return errorFilterMask(value) ? QString() : name + QStringLiteral(" takes QCanBusFrame::FrameErrors");
    case QCanBusDevice::LoopbackKey:
    case QCanBusDevice::ReceiveOwnKey:
    case TaviconKey::ListenOnly:
        return isBool(value) ? QString() : name + QStringLiteral(" takes a bool");
    case QCanBusDevice::CanFdKey:
        if (!isBool(value))
            return name + QStringLiteral(" takes a bool");
        return value.toBool() ? name + QStringLiteral(": the converter is classic CAN only") : QString();
    case QCanBusDevice::BitRateKey: {
        const std::optional<int> rate = wholeNumber(value);
        if (!rate)
            return name + QStringLiteral(": \"%1\" is not a rate in bit/s").arg(value.toString());
        SetStartSettings scratch;
        QString why;
        return applyBitrate(*rate, &scratch, &why) ? QString() : name + QStringLiteral(": ") + why;
    }
    case TaviconKey::PortSpeed: {
        const std::optional<int> speed = wholeNumber(value);
        return speed && *speed > 0 ? QString() : name + QStringLiteral(": \"%1\" is not a speed in bit/s").arg(value.toString());
    }
    case TaviconKey::Framing: {
        return variableFramingNamed(value.toString())
            ? QString() : name + QStringLiteral(": \"%1\" is not fixed or variable").arg(value.toString());
    }
    case TaviconKey::BusStatusInterval: {
        const std::optional<int> ms = wholeNumber(value);
        return ms && *ms >= 0 ? QString() : name + QStringLiteral(": \"%1\" is not a number of milliseconds").arg(value.toString());
    }
    default:
        return name + QStringLiteral(" is not supported: the converter is a classic CAN controller");
    }
}

bool keyIsInSetStart(QCanBusDevice::ConfigurationKey key)
{
    return key == QCanBusDevice::BitRateKey || key == QCanBusDevice::LoopbackKey
        || key == TaviconKey::ListenOnly || key == TaviconKey::Framing;
}

SetStartSettings setStartSettingsOf(const QCanBusDevice &device)
{
    SetStartSettings s = defaultSetStartSettings();
    QString why;
    applyBitrate(device.configurationParameter(QCanBusDevice::BitRateKey).toInt(), &s, &why);
    const bool loopback = device.configurationParameter(QCanBusDevice::LoopbackKey).toBool();
    const bool silent = device.configurationParameter(TaviconKey::ListenOnly).toBool();
    s.modeIndex = ControllerMode{silent, loopback}.index();
    s.variableFraming = variableFramingNamed(device.configurationParameter(TaviconKey::Framing).toString()).value_or(false);
    return s;
}
