#ifndef TAVICON_HOSTLINKSESSION_H
#define TAVICON_HOSTLINKSESSION_H

#include <QByteArray>
#include <QList>
#include <optional>

#include "canconfig/convertercommands.h"
#include "interop/sendtobus.h"
#include "link/hoststreamparser.h"

// The converter's end of its serial line, as the bridge offers it to a
// program written for the converter (the window): what that program writes,
// read as the converter reads it, and what becomes of each message. CAN
// frames go to the bus through SendToBus; the converter's commands are
// passed on to it byte for byte, but for the port speed change, which would
// cut the bridge off the converter, and, read-only, for every command that
// changes the converter. Frames and commands go at once, in the host's order.
struct HostCommand
{
    QByteArray bytes;                       // to pass on as they came
    std::optional<SetStartSettings> started; // a set-and-start: the configuration from now on
    bool statusQuery = false;               // a bus status query: its reply goes back to this host
};
using ToConverter = std::function<void(const HostCommand &command)>;

struct HostLinkReply
{
    QByteArray kept;                        // a command not passed on, and why (for standard error)
    bool refused = false;                   // a CAN frame not sent (read-only, not a classic CAN frame)
};

// When the program has no room for a frame, the session waits: it keeps that
// message and the ones after it and goes on with resume(); the program stops
// reading the host meanwhile.
class HostLinkSession
{
public:
    explicit HostLinkSession(bool readOnly);
    void setSendToBus(SendToBus send);
    void setToConverter(ToConverter pass) { toConverter = std::move(pass); }

    // One reply per message handled.
    QList<HostLinkReply> fromHost(const QByteArray &bytes);
    QList<HostLinkReply> resume() { return fromHost(QByteArray()); }
    bool isWaiting() const { return waiting; }
    // The last program holding the port has closed it: its incomplete message
    // is dropped (its complete ones are still handled).
    void hostGone() { parser.clear(); }

private:
    // One message; nothing when a frame waits for room.
    std::optional<HostLinkReply> execute(const HostMessage &message);
    void pass(const HostCommand &command)
    {
        if (toConverter)
            toConverter(command);
    }

    HostStreamParser parser;
    QList<HostMessage> unhandled;
    SendToBus sendToBus;
    ToConverter toConverter;
    bool readOnly;
    bool waiting = false;
};

#endif // TAVICON_HOSTLINKSESSION_H
