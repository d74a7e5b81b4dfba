#ifndef TAVICON_EXTCAPOPTIONS_H
#define TAVICON_EXTCAPOPTIONS_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "canconfig/convertercommands.h"

// What Wireshark asks of an extcap program, by its command line, and the
// sentences it answers with.

struct ExtcapRequest
{
    enum Kind { Interfaces, Dlts, Config, Capture, Help, Version };
    Kind kind = Help;
    QString wiresharkVersion;            // --extcap-version, when given
    QString fifo;
    QString port;
    qint32 portBaud = 2000000;
    SetStartSettings start;              // the set-and-start of a capture
};

// Reads the arguments (program name first); false with the reason in `why`.
bool parseExtcapArguments(const QStringList &arguments, ExtcapRequest *request, QString *why);

QByteArray extcapHelpText();
QByteArray extcapInterfacesText(const QString &helpUrl);
QByteArray extcapDltsText();

// A serial port offered in --port's list.
struct ExtcapPort
{
    QString path;
    QString description;
};

// The arguments of the interface. `editableSelector`: the port list also takes
// a typed path (Wireshark 4.2 and later know that kind; older versions drop
// an argument of a kind they do not know, and take a typed value for a plain
// selector only from their preferences and tshark's -o).
QByteArray extcapConfigText(const QList<ExtcapPort> &ports, bool editableSelector);

// Whether a Wireshark version text ("4.0", "4.2.5") is 4.2 or later.
bool wiresharkHasEditableSelector(const QString &version);

#endif // TAVICON_EXTCAPOPTIONS_H
