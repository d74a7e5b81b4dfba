#ifndef TAVICON_SLCAN_H
#define TAVICON_SLCAN_H

#include <QByteArray>
#include <QList>
#include <optional>

#include "canconfig/convertercommands.h"
#include "interop/sendtobus.h"
#include "link/canframe.h"

// The slcan ("LAWICEL") serial protocol of CAN adapters: ASCII commands that
// end in '\r', answered with '\r' (done) or '\a' (refused), and received
// frames written as "t1232AABB\r". Hexadecimal digits are read in either
// case and written in upper case.

namespace Slcan {
constexpr char Ok = '\r';
constexpr char Error = '\a';
constexpr int MaxLineLength = 64;      // characters before the '\r'
constexpr int BitrateCount = 9;        // S0..S8
constexpr int TimestampModulo = 60000; // timestamps count milliseconds 0..59999 (0000..EA5F)
}

// One line of the byte stream from a client, without its '\r'.
struct SlcanLine
{
    QByteArray text;
    bool overlong = false;  // over MaxLineLength characters; `text` is empty
};

// Splits the client's bytes, in chunks of any size, into '\r'-terminated
// lines. A line over 64 characters is dropped up to its '\r' and comes out
// once, as `overlong`, when that '\r' arrives. A '\n' at the start of a line is
// skipped, so clients that end commands with "\r\n" work; any other '\n' is
// part of the line (and makes the command invalid).
class SlcanLineSplitter
{
public:
    QList<SlcanLine> split(const QByteArray &bytes);
    void clear();                      // forget a partial line (a client hung up)

private:
    QByteArray partial;
    bool dropping = false;
};

enum class SlcanCommandKind {
    Invalid,         // anything not below, a refused frame command, an overlong line
    SetBitrate,      // S0..S8: `value` 0..8
    Open,            // O
    OpenListenOnly,  // L
    Close,           // C
    Frame,           // t T r R: `frame`
    Version,         // V
    SerialNumber,    // N
    Flags,           // F
    Timestamps,      // Z0 / Z1: `value` 0 / 1
    Silent,          // M0 / M1: `value` 0 / 1 (normal / silent)
    NoRetransmit,    // A0 / A1: `value` 0 / 1 (retransmission on / off)
};

struct SlcanCommand
{
    SlcanCommandKind kind = SlcanCommandKind::Invalid;
    int value = 0;
    // Frame: standard (t, r: identifier 0..7FF, three digits) or extended
    // (T, R: eight digits, bit 31 dropped as SavvyCAN sets it, then
    // 0..1FFFFFFF), length 0..8. Data frames carry their
    // `length` bytes; remote frames carry `length` zero bytes, so that the
    // converter's encoders write their length.
    CanFrame frame;
};

// One line without its '\r'. Frame commands whose identifier is out of range,
// whose length is above 8 or not the count of data bytes, or which hold a
// character that is not a hexadecimal digit are Invalid; so are the
// four-character LAWICEL forms this adapter does not have (s, M/m masks, ...).
SlcanCommand parseSlcanCommand(const QByteArray &line);

// The line of a frame received from the bus: "tiiiL<data>", "TiiiiiiiiL<data>",
// "riiiL" or "RiiiiiiiiL", then four hex digits of `timestampMs` (0..59999)
// when it is not negative, then '\r'. Nothing when the protocol cannot show
// the frame: a standard identifier above 7FF, an extended one above 1FFFFFFF,
// the "other" format, or more than 8 data bytes.
std::optional<QByteArray> slcanFrameLine(const CanFrame &frame, int timestampMs = -1);

// The answers: "V0120\r" (hardware 01, software 20: python-can reads two
// decimal numbers), "NTAVI\r", and "F" + two upper hex digits + '\r' (bits
// 0 frames dropped, 1 send queue full, both cleared by F; 2 error warning,
// 5 error passive, 7 bus off, the converter's state).
QByteArray slcanVersionAnswer();
QByteArray slcanSerialNumberAnswer();
QByteArray slcanFlagsAnswer(quint8 flags);

// The bus speed of S0..S8 in bit/s (10k, 20k, 50k, 100k, 125k, 250k, 500k,
// 800k, 1M), or 0 outside 0..8. Each is a speed of the window's table.
int slcanBitrate(int code);

// What the program does for one command: when `dropUnread` is set, forget
// what the client has not read yet (queued frames and answers); then write
// `answer` to the client. `refused`: a frame command that was not sent
// (counted by the program). Set-and-starts and frames went to the converter
// at once, in the client's order, through the session's callbacks.
struct SlcanReply
{
    QByteArray answer;
    bool refused = false;
    bool dropUnread = false;
};

// Sends a set-and-start with these settings to the converter.
using StartConverter = std::function<void(const SetStartSettings &settings)>;

// What a received frame does on this face.
struct SlcanDelivery
{
    QByteArray line;        // the bytes to write; empty when there are none
    bool dropped = false;   // open, but the face cannot show the frame: count it
};

// One slcan adapter's state, without I/O: closed or open (listen-only or
// not), its bitrate, timestamps, the mode and retransmission for the next
// open, and the error flags F reports.
//
// Every open starts a fresh channel: what the client has not read is
// dropped, and an open while open that asks for other settings (listen-only
// or not) sends their set-and-start. When the program has no room for a
// frame, the session waits: it keeps that line and the ones after it, sets
// bit 1 of the flags, and goes on with resume(); the program stops reading
// the client meanwhile, so that a burst is slowed down, never refused.
class SlcanSession
{
public:
    // The face starts closed with the configured settings (timing, framing,
    // filter, mode, retransmission); S, M and A change copies of them.
    explicit SlcanSession(const SetStartSettings &configured);

    // Given each frame command that passes the protocol's rules while open and
    // not listen-only; a session without it sends every frame nowhere.
    void setSendToBus(SendToBus send);
    // Given the set-and-start of each open that needs one.
    void setStartConverter(StartConverter start) { startConverter = std::move(start); }

    // Splits, parses and handles the bytes of a client: one reply per line
    // handled.
    QList<SlcanReply> fromClient(const QByteArray &bytes);
    // Handles what waits, after the program has room again.
    QList<SlcanReply> resume() { return fromClient(QByteArray()); }
    bool isWaiting() const { return waiting; }

    // The last client has closed the port, as if the adapter were unplugged
    // and plugged in again: once the complete lines it wrote are handled, the
    // channel closes as on C, with what it did not read and its partial line
    // dropped. The converter is left as it is.
    QList<SlcanReply> clientGone();

    // A frame from the bus, received at `msecsSinceEpoch`: nothing while
    // closed or for an error frame, else its line (timestamped after Z1), or
    // dropped (sets bit 0 of the flags) when the face cannot show it.
    SlcanDelivery deliver(const CanFrame &frame, qint64 msecsSinceEpoch);
    // The program dropped frames for this face (the client does not read):
    // sets bit 0 of the flags.
    void noteDropped();
    // The converter's last bus status reply: F shows its state until the next.
    void setBusState(bool errorWarning, bool errorPassive, bool busOff);

    // The converter was configured anew (by another program): the next open
    // starts from `settings`, not from an earlier S.
    void reconfigure(const SetStartSettings &settings) { configured = timing = settings; }

    // The settings the next open sends (or the last open sent, while open).
    SetStartSettings nextStart(bool listenOnlyOpen) const;

    static constexpr quint8 FlagDropped = 0x01;
    static constexpr quint8 FlagQueueFull = 0x02;
    static constexpr quint8 FlagErrorWarning = 0x04;
    static constexpr quint8 FlagErrorPassive = 0x20;
    static constexpr quint8 FlagBusOff = 0x80;

private:
    // One command; nothing (and bit 1 of the flags set) when a frame waits for room.
    std::optional<SlcanReply> execute(const SlcanCommand &command);
    SlcanReply close();

    SetStartSettings configured;
    SetStartSettings timing;   // configured, with the timing of the last S
    SetStartSettings started;  // what the open sent
    SendToBus sendToBus;
    StartConverter startConverter;
    SlcanLineSplitter splitter;
    QList<SlcanLine> unhandled; // lines split but not handled yet
    bool goneAfterUnhandled = false;
    bool waiting = false;
    bool open = false;
    bool listenOnly = false;
    bool timestampsOn = false;
    std::optional<bool> silent;     // M0 / M1 given
    std::optional<bool> retransmit; // A0 / A1 given
    quint8 errorFlags = 0;      // cleared by F
    quint8 stateFlags = 0;      // from the last bus status reply
};

#endif // TAVICON_SLCAN_H
