#ifndef TAVICON_CANBUSCONFIGURATION_H
#define TAVICON_CANBUSCONFIGURATION_H

#include <QCanBusDevice>
#include <QList>
#include <QPair>
#include <QVariant>
#include <optional>

#include "canconfig/convertercommands.h"

// The configuration keys of the tavicon CAN bus device: which it takes, their
// values before any is set, and the set-and-start they ask for.

// This device's own keys beyond Qt's. Qt's key type holds no value above
// UserKey + 1 (its range ends at 31), so the others take values just below
// UserKey, which Qt leaves unused.
namespace TaviconKey {
constexpr auto PortSpeed = QCanBusDevice::ConfigurationKey(QCanBusDevice::UserKey);              // int bit/s, 2000000
constexpr auto Framing = QCanBusDevice::ConfigurationKey(QCanBusDevice::UserKey + 1);            // "fixed" or "variable"
constexpr auto ListenOnly = QCanBusDevice::ConfigurationKey(QCanBusDevice::UserKey - 1);         // bool, false
constexpr auto BusStatusInterval = QCanBusDevice::ConfigurationKey(QCanBusDevice::UserKey - 2);  // int ms, 1000; 0 off
}

// Every key with a value before any is set (RawFilterKey has none: all frames pass).
QList<QPair<QCanBusDevice::ConfigurationKey, QVariant>> defaultConfiguration();
// The value `key` falls back to when it is set to an invalid QVariant.
QVariant defaultConfigurationValue(QCanBusDevice::ConfigurationKey key);

// Why `value` cannot be taken for `key`, naming the key; empty when it can.
QString configurationRefusal(QCanBusDevice::ConfigurationKey key, const QVariant &value);

// Whether a change of `key` is carried to the converter by a new set-and-start.
bool keyIsInSetStart(QCanBusDevice::ConfigurationKey key);
// The set-and-start for `device`'s configuration: the window's defaults with
// the bit rate, mode and framing of its keys.
SetStartSettings setStartSettingsOf(const QCanBusDevice &device);

// ErrorFilterKey as a mask of error classes; nothing when it is no mask.
std::optional<quint32> errorFilterMask(const QVariant &value);

#endif // TAVICON_CANBUSCONFIGURATION_H
