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
    // VerifyFilter: Wireshark checks a capture filter as the user types it
    // (--extcap-capture-filter alone); no output means a valid filter.
    enum Kind { Interfaces, Dlts, Config, Capture, VerifyFilter, Help, Version };
    Kind kind = Help;
    QString filter;
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
// What a capture filter check prints: nothing for an empty filter, else why
// it cannot be used.
QByteArray extcapFilterText(const QString &filter);

// A serial port offered in --port's list.
struct ExtcapPort
{
    QString path;
    QString description;
};

// The arguments of the interface. The port is a plain selector: Wireshark 4.0
// drops an argument of a kind it does not know (an editable selector), and
// takes a port it does not list from its preferences or tshark's -o.
QByteArray extcapConfigText(const QList<ExtcapPort> &ports);

#endif // TAVICON_EXTCAPOPTIONS_H
