#ifndef TAVICON_SOCKETCAND_H
#define TAVICON_SOCKETCAND_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "interop/sendtobus.h"
#include "link/canframe.h"

// The socketcand protocol (CAN over TCP): messages "< word arguments >" with
// no separators between them. This side is the server.

namespace Socketcand {
constexpr int MaxMessageLength = 512;  // characters from '<' without its '>'
constexpr quint16 DefaultPort = 29536;
constexpr quint16 BeaconPort = 42000;
}

// Splits the client's bytes, in chunks of any size, into messages from '<' to
// the next '>' (both included). Bytes outside messages are skipped.
class SocketcandSplitter
{
public:
    struct Result
    {
        QList<QByteArray> messages;
        // A message grew over 512 characters without its '>': close the
        // connection (the messages before it are still in `messages`).
        bool overlong = false;
    };
    Result split(const QByteArray &bytes);

private:
    QByteArray partial;
    bool inMessage = false;
};

enum class SocketcandCommandKind {
    Unknown,          // anything not below
    Open,             // < open NAME >: `name`
    RawMode,          // < rawmode >
    Echo,             // < echo >
    UnsupportedMode,  // < bcmmode >, < controlmode >, < isotpmode >
    Send,             // < send ID DLC B... >: `frame` or `refusal`
};

struct SocketcandCommand
{
    SocketcandCommandKind kind = SocketcandCommandKind::Unknown;
    QByteArray name;            // Open; empty when the message names no bus
    // Send: a data frame with `length` bytes, extended when the ID token has
    // eight digits or its value is above 7FF, bit 31 of the ID dropped; each
    // byte token gives its low 8 bits.
    CanFrame frame;
    // Send: empty when the frame is good, else why it is refused: too few
    // tokens, not hexadecimal, an ID of more than eight digits or above
    // 1FFFFFFF without bit 31, DLC above 8 or not the count of bytes, a byte
    // token of more than eight digits.
    QByteArray refusal;
};

// One message as the splitter gives it, '<' and '>' included. Words are
// lower case, hexadecimal digits either case; blanks (any amount of white
// space) separate the tokens. Numbers are read as C's %x reads them: an
// optional '-' before 1..8 hex digits gives the two's complement of their
// value in 32 bits (SavvyCAN writes "-6dcba988" for 92345678, "-1" for FF).
SocketcandCommand parseSocketcandCommand(const QByteArray &message);

// " < frame ID SEC.USEC DATA >": one blank before '<', three upper hex digits
// of a standard identifier or eight of an extended one, seconds since the
// Unix epoch with six digits of microseconds, the data as contiguous upper
// hex ("< frame 123 1700000000.000000  >" without data). Nothing for a remote
// frame, a standard identifier above 7FF, an extended one above 1FFFFFFF, the
// "other" format, or more than 8 data bytes.
std::optional<QByteArray> socketcandFrameMessage(const CanFrame &frame, qint64 usecsSinceEpoch);

// " < error CLASS SEC.USEC >" for an error frame (isErrorFrame): its error
// classes, the identifier without CanErrorFlag, as at least three upper hex
// digits, as socketcand writes them.
QByteArray socketcandErrorMessage(const CanFrame &frame, qint64 usecsSinceEpoch);

// The discovery beacon: <CANBeacon name="HOST" type="SocketCAN"
// description="Tavicon bridge"><URL>can://ADDR:PORT</URL><Bus name="NAME"/></CANBeacon>,
// the host and bus names escaped for XML.
QByteArray socketcandBeacon(const QString &hostName, const QString &address, quint16 port,
                            const QString &busName);

// The server's fixed answers.
namespace SocketcandAnswer {
inline QByteArray hi() { return QByteArrayLiteral("< hi >"); }
inline QByteArray ok() { return QByteArrayLiteral("< ok >"); }
inline QByteArray echo() { return QByteArrayLiteral("< echo >"); }
inline QByteArray couldNotOpenBus() { return QByteArrayLiteral("< error could not open bus >"); }
inline QByteArray unsupportedMode() { return QByteArrayLiteral("< error unsupported mode >"); }
inline QByteArray unknownCommand() { return QByteArrayLiteral("< error unknown command >"); }
inline QByteArray noBusOpen() { return QByteArrayLiteral("< error no bus open >"); }
}

// What the program does for one message: write `answer` (in one write, when
// not empty), then close the connection when `close` is set (frames went to
// the bus through the session's SendToBus). `rawModeStarted`: this message switched the client to
// raw mode; its frames may go out 100 ms after this answer. `refusal`: a send
// was refused, for this reason (the client is not told).
struct SocketcandReply
{
    QByteArray answer;
    bool close = false;
    bool rawModeStarted = false;
    QByteArray refusal;
};

// One client's state, without I/O. Send `SocketcandAnswer::hi()` on accept.
// A send is never answered, good or refused (before the bus is open, not
// well-formed, read-only), as socketcand does: clients read every error
// message as a CAN error frame. `< rawmode >` before `< open >` is refused
// with an error message: there is no bus to read.
//
// When the program has no room for a send, the session waits: it handles
// nothing more, keeps the client's messages from that send on, and goes on
// with resume(); the program stops reading the client meanwhile, so that a
// burst is slowed down, never refused.
class SocketcandSession
{
public:
    explicit SocketcandSession(const QByteArray &busName);

    // Given each send that passes the protocol's rules after open; a session
    // without it sends every frame nowhere.
    void setSendToBus(SendToBus send);

    // Splits, parses and handles the client's bytes: one reply per message
    // handled, and a last one with `close` for an overlong message. Nothing is
    // read after a reply that closes.
    QList<SocketcandReply> fromClient(const QByteArray &bytes);
    // Handles what waits, after the program has room again.
    QList<SocketcandReply> resume() { return fromClient(QByteArray()); }
    bool isWaiting() const { return waiting; }

    bool isOpen() const { return opened; }
    // Frames from the bus go to this client (socketcandFrameMessage, made
    // once per frame for all clients) only in raw mode.
    bool inRawMode() const { return raw; }

private:
    // One message; nothing (and `waiting` set) when a send waits for room.
    std::optional<SocketcandReply> execute(const SocketcandCommand &command);

    QByteArray busName;
    SendToBus sendToBus;
    SocketcandSplitter splitter;
    QList<QByteArray> unhandled;  // messages split but not handled yet
    bool overlong = false;        // after `unhandled`, close
    bool waiting = false;
    bool opened = false;
    bool raw = false;
    bool closed = false;
};

#endif // TAVICON_SOCKETCAND_H
