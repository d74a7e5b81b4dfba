#ifndef TAVICON_BRIDGEOPTIONS_H
#define TAVICON_BRIDGEOPTIONS_H

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include "canconfig/convertercommands.h"
#include "interop/socketcand.h"

struct BridgeOptions
{
    QString port;
    qint32 portBaud = 2000000;
    SetStartSettings start;             // the configuration sent at start-up
    bool slcan = false;
    QString slcanLink;
    bool converter = false;
    QString converterLink;
    bool socketcand = false;
    QHostAddress address = QHostAddress::LocalHost;
    quint16 tcpPort = Socketcand::DefaultPort;
    QString name = QStringLiteral("can0");
    bool beacon = false;
    bool readOnly = false;
    int busStatusMs = 1000;             // 0: no bus status queries
    QString candump;
    QString pcap;
};

// Reads the command line (program name first). --help prints the usage and
// ends the process with status 0; a wrong option returns false with the
// reason in `why`.
bool parseBridgeOptions(const QStringList &arguments, BridgeOptions *options, QString *why);

#endif // TAVICON_BRIDGEOPTIONS_H
