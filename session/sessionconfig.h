#ifndef TAVICON_SESSIONCONFIG_H
#define TAVICON_SESSIONCONFIG_H

#include <QString>

#include "canconfig/configfile.h"
#include "canconfig/convertercommands.h"

// The set-and-start a program without the window sends: the window's own
// configuration, from its cfg.txt or its defaults.

// What the window sends when it has no cfg.txt: 1M from the table, normal
// mode, standard frames, filter and mask 0, retransmission, fixed framing.
SetStartSettings defaultSetStartSettings();

// What the window sends after reading `line` from cfg.txt: each text selects
// the item it names (a text naming none leaves the window's initial choice),
// false with the reason in `why` where the window refuses to send (a
// prescaler outside 1..1023, a filter or mask that is not hexadecimal).
bool setStartFromConfig(const ConfigLine &line, SetStartSettings *settings, QString *why);

// Reads the file with the window's reader; false with the reason in `why`
// when it cannot be read or holds no configuration line.
bool readConfigFile(const QString &path, SetStartSettings *settings, QString *why);

// The text of a --bitrate option: a rate 1..1000000 in bit/s that the
// converter's clock makes exactly, written into the timing of `settings`;
// false with a message naming the nearest rates made.
bool applyBitrateText(const QString &text, SetStartSettings *settings, QString *why);
// The same for a rate given as a number, its message without the option's name.
bool applyBitrate(int bitsPerSecond, SetStartSettings *settings, QString *why);

// The text of a --port-baud option: a positive decimal speed of the serial
// port written to `baud`; false with a message otherwise.
bool applyPortBaudText(const QString &text, qint32 *baud, QString *why);

#endif // TAVICON_SESSIONCONFIG_H
