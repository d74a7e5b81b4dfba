#ifndef TAVICON_CONFIGFILE_H
#define TAVICON_CONFIGFILE_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "canconfig/convertercommands.h"

// The line of cfg.txt: 13 settings, each followed by ",", and the
// set-and-start settings it stores.

struct ConfigLine
{
    QString portSpeed;       // cbBoxBps text
    QString mode;            // comboBoxMode text
    QString frameType;       // cbBoxType text
    QString canSpeed;        // cbBoxCANbps text
    QString phase1;          // cbBoxBP1 text
    QString phase2;          // cbBoxBP2 text
    QString prescaler;       // lineEditPrescale text
    QString busSpeed;        // lineEditCANBps text
    QString filter;          // lineEditFilter text, as typed
    QString mask;            // lineEditMask text, as typed
    bool manualTiming = false;
    bool sendOnce = false;
    bool fixedFraming = true;
};

constexpr int ConfigFieldCount = 13;

// The file's whole text: the 13 fields each followed by ",", no line end.
QByteArray configFileText(const ConfigLine &config);

// The settings of one line given as its fields (see simplifiedLineFields);
// false when there are fewer than 13. Fields after the 13th are ignored.
bool parseConfigFields(const QStringList &fields, ConfigLine *config);

// The boxes whose item texts the line stores, and their items in the form's
// order (the form holds the same items).
enum class ConfigBox { PortSpeed, Mode, FrameType, CanSpeed, Phase1, Phase2 };
const QStringList &configItems(ConfigBox box);

// The form's choices before a line is read: 250K selected, the segment boxes
// at their first item.
inline SetStartSettings formStartSettings()
{
    SetStartSettings s;
    s.speedIndex = 4;
    return s;
}

// The form's defaults, sent when there is no cfg.txt: 1M from the table,
// normal mode, standard frames, filter and mask 0, retransmission, fixed framing.
SetStartSettings defaultSetStartSettings();

enum class ConfigRefusal { None, Prescaler, FilterOrMask };

// Reads `line` onto `settings`: each text selects the item it names (a text
// naming none leaves the choice in `settings`; another bus speed brings its
// table row's segments, which stored segments override) and the three words
// set their switches. The prescaler, filter and mask are taken when they
// convert; otherwise the refusal, the prescaler's first (a prescaler outside
// 1..1023, a filter or mask that is not hexadecimal).
ConfigRefusal readConfigLine(const ConfigLine &line, SetStartSettings *settings);

// The line storing `settings` (its choices as their items' texts, its
// switches) with the port speed's item and the texts as typed.
ConfigLine configLineFor(const SetStartSettings &settings, int portSpeedIndex, const QString &prescaler,
                         const QString &busSpeed, const QString &filter, const QString &mask);

#endif // TAVICON_CONFIGFILE_H
