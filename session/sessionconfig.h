#ifndef TAVICON_SESSIONCONFIG_H
#define TAVICON_SESSIONCONFIG_H

#include <QString>
#include <optional>

#include "canconfig/configfile.h"

// The set-and-start a program without the window sends: the window's own
// configuration, from its cfg.txt (canconfig/configfile.h) or its defaults.

// Reads the file's first line onto the form's choices; false with the reason
// in `why` when it cannot be read, holds no configuration line or the window
// would refuse to send it.
bool readConfigFile(const QString &path, SetStartSettings *settings, QString *why);

// The text of a --bitrate option: a rate 1..1000000 in bit/s that the
// converter's clock makes exactly, written into the timing of `settings`;
// false with a message naming the nearest rates made.
bool applyBitrateText(const QString &text, SetStartSettings *settings, QString *why);
// The same for a rate given as a number, its message without the option's name.
bool applyBitrate(int bitsPerSecond, SetStartSettings *settings, QString *why);

// The framing a name gives: "variable" true, "fixed" false, else nothing.
std::optional<bool> variableFramingNamed(const QString &text);
// The text of a --framing option, "fixed" or "variable", written into
// `settings`; false with a message otherwise.
bool applyFramingText(const QString &text, SetStartSettings *settings, QString *why);

// The text of a --bus-status option: milliseconds between bus status
// queries, 0 for none; false with a message otherwise.
bool applyBusStatusText(const QString &text, int *intervalMs, QString *why);

// The text of a --port-baud option: a positive decimal speed of the serial
// port written to `baud`; false with a message otherwise.
bool applyPortBaudText(const QString &text, qint32 *baud, QString *why);

#endif // TAVICON_SESSIONCONFIG_H
