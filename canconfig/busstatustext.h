#ifndef TAVICON_BUSSTATUSTEXT_H
#define TAVICON_BUSSTATUSTEXT_H

#include <QByteArray>
#include <QString>

// The status-bar text of a bus status reply, from its 17 payload bytes (code
// byte first): bus state, error state, then the two error counters.
QString busStatusText(const QByteArray &payload);

#endif // TAVICON_BUSSTATUSTEXT_H
