#ifndef TAVICON_EXTCAPOPTIONS_H
#define TAVICON_EXTCAPOPTIONS_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "canconfig/convertercommands.h"
#include "session/systemports.h"

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
    QString port;                        // --port-path when given, else --port
    qint32 portBaud = 2000000;
    int busStatusMs = 1000;              // bus status queries; 0: none
    SetStartSettings start;              // the set-and-start of a capture
};

// Reads the arguments (program name first); false with the reason in `why`.
// With --capture, `kind` and `fifo` are set even then, so that the refusal
// can follow a pcap header Wireshark is waiting for.
bool parseExtcapArguments(const QStringList &arguments, ExtcapRequest *request, QString *why);

QByteArray extcapHelpText();
QByteArray extcapInterfacesText(const QString &helpUrl);
QByteArray extcapDltsText();
// What a capture filter check prints: nothing for an empty filter, else why
// it cannot be used.
QByteArray extcapFilterText(const QString &filter);

// A serial port offered in --port's list.
using ExtcapPort = SystemPort;

// The arguments of the interface. The port is a plain selector: Wireshark 4.0
// drops an argument of a kind it does not know (an editable selector), and its
// options dialog saves a listed port over one it does not list, so such a port
// is typed into --port-path. The default is the first /dev/serial/by-id/ name, else
// the first USB port.
QByteArray extcapConfigText(const QList<ExtcapPort> &ports);

#endif // TAVICON_EXTCAPOPTIONS_H
