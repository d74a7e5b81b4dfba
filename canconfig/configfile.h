#ifndef TAVICON_CONFIGFILE_H
#define TAVICON_CONFIGFILE_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// The line of cfg.txt: 13 settings, each followed by ",".

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

#endif // TAVICON_CONFIGFILE_H
