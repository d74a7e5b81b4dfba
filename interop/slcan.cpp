#include "interop/slcan.h"

#include "canconfig/bittiming.h"
#include "link/hexdigits.h"

namespace {

constexpr quint32 Bit31 = 0x80000000u;


// `digits` hex digits from `text` at `from`, or -1 when one is not a digit.
qint64 hexNumber(const QByteArray &text, int from, int digits)
{
    qint64 value = 0;
    for (int i = from; i < from + digits; ++i) {
        const int v = hexDigitValue(text.at(i));
        if (v < 0)
            return -1;
        value = value * 16 + v;
    }
    return value;
}

bool isFrameLetter(char c)
{
    return c == 't' || c == 'T' || c == 'r' || c == 'R';
}

SlcanCommand command(SlcanCommandKind kind, int value = 0)
{
    SlcanCommand c;
    c.kind = kind;
    c.value = value;
    return c;
}

// t/T/r/R lines: the identifier, one length digit, and for data frames
// exactly that many bytes in hex.
SlcanCommand frameCommand(const QByteArray &line)
{
    const char letter = line.at(0);
    const bool extended = letter == 'T' || letter == 'R';
    const bool remote = letter == 'r' || letter == 'R';
    const int idDigits = extended ? 8 : 3;
    SlcanCommand refused;
    if (line.size() < 1 + idDigits + 1)
        return refused;
    qint64 id = hexNumber(line, 1, idDigits);
    if (extended && id > 0)
        id &= ~qint64(Bit31);
    const int length = hexDigitValue(line.at(1 + idDigits));
    if (id < 0 || quint64(id) > maxIdentifier(extended ? FrameFormat::Extended : FrameFormat::Standard)
        || length < 0 || length > FixedLayout::MaxData)
        return refused;
    const int dataFrom = 2 + idDigits;
    if (line.size() != dataFrom + (remote ? 0 : 2 * length))
        return refused;
    SlcanCommand c = command(SlcanCommandKind::Frame);
    c.frame.identifier = quint32(id);
    c.frame.format = extended ? FrameFormat::Extended : FrameFormat::Standard;
    c.frame.remote = remote;
    c.frame.length = length;
    c.frame.data = QByteArray(length, '\0');
    if (!remote) {
        for (int i = 0; i < length; ++i) {
            const qint64 byte = hexNumber(line, dataFrom + 2 * i, 2);
            if (byte < 0)
                return refused;
            c.frame.data[i] = char(byte);
        }
    }
    return c;
}

// "Z0", "Z1" and the like: the letter and one digit 0 or 1.
SlcanCommand switchCommand(const QByteArray &line, SlcanCommandKind kind)
{
    if (line.size() != 2 || (line.at(1) != '0' && line.at(1) != '1'))
        return SlcanCommand();
    return command(kind, line.at(1) - '0');
}

} // namespace

QList<SlcanLine> SlcanLineSplitter::split(const QByteArray &bytes)
{
    QList<SlcanLine> lines;
    for (const char c : bytes) {
        if (c == '\r') {
            SlcanLine line;
            line.overlong = dropping;
            if (!dropping)
                line.text = partial;
            lines.append(line);
            partial.clear();
            dropping = false;
        } else if (dropping || (c == '\n' && partial.isEmpty())) {
            continue;
        } else if (partial.size() == Slcan::MaxLineLength) {
            partial.clear();
            dropping = true;
        } else {
            partial.append(c);
        }
    }
    return lines;
}

void SlcanLineSplitter::clear()
{
    partial.clear();
    dropping = false;
}

SlcanCommand parseSlcanCommand(const QByteArray &line)
{
    if (line.isEmpty())
        return SlcanCommand();
    const bool single = line.size() == 1;
    switch (line.at(0)) {
    case 'S': {
        const int code = line.size() == 2 ? hexDigitValue(line.at(1)) : -1;
        if (code < 0 || code >= Slcan::BitrateCount)
            return SlcanCommand();
        return command(SlcanCommandKind::SetBitrate, code);
    }
    case 'O':
        return single ? command(SlcanCommandKind::Open) : SlcanCommand();
    case 'L':
        return single ? command(SlcanCommandKind::OpenListenOnly) : SlcanCommand();
    case 'C':
        return single ? command(SlcanCommandKind::Close) : SlcanCommand();
    case 'V':
        return single ? command(SlcanCommandKind::Version) : SlcanCommand();
    case 'N':
        return single ? command(SlcanCommandKind::SerialNumber) : SlcanCommand();
    case 'F':
        return single ? command(SlcanCommandKind::Flags) : SlcanCommand();
    case 'Z':
        return switchCommand(line, SlcanCommandKind::Timestamps);
    case 'M':
        return switchCommand(line, SlcanCommandKind::Silent);
    case 'A':
        return switchCommand(line, SlcanCommandKind::NoRetransmit);
    case 't':
    case 'T':
    case 'r':
    case 'R':
        return frameCommand(line);
    default:
        return SlcanCommand();
    }
}

std::optional<QByteArray> slcanFrameLine(const CanFrame &frame, int timestampMs)
{
    const bool extended = frame.format == FrameFormat::Extended;
    if (!isClassicCanFrame(frame))
        return std::nullopt;
    QByteArray line;
    line.reserve(1 + 8 + 1 + 16 + 4 + 1);
    line.append(frame.remote ? (extended ? 'R' : 'r') : (extended ? 'T' : 't'));
    appendHexDigits(line, frame.identifier, extended ? 8 : 3);
    appendHexDigits(line, quint32(frame.length), 1);
    if (!frame.remote) {
        for (int i = 0; i < frame.length; ++i)
            appendHexDigits(line, quint8(frame.data.at(i)), 2);
    }
    if (timestampMs >= 0)
        appendHexDigits(line, quint32(timestampMs % Slcan::TimestampModulo), 4);
    line.append(Slcan::Ok);
    return line;
}

QByteArray slcanVersionAnswer()
{
    return QByteArrayLiteral("V0120\r");
}

QByteArray slcanSerialNumberAnswer()
{
    return QByteArrayLiteral("NTAVI\r");
}

QByteArray slcanFlagsAnswer(quint8 flags)
{
    QByteArray answer("F");
    appendHexDigits(answer, flags, 2);
    return answer + Slcan::Ok;
}

int slcanBitrate(int code)
{
    static const int rates[Slcan::BitrateCount] = {10000,  20000,  50000,  100000, 125000,
                                                   250000, 500000, 800000, 1000000};
    return code >= 0 && code < Slcan::BitrateCount ? rates[code] : 0;
}

SlcanSession::SlcanSession(const SetStartSettings &configured)
    : configured(configured)
    , timing(configured)
{
}

void SlcanSession::setSendToBus(SendToBus send)
{
    sendToBus = std::move(send);
}

QList<SlcanReply> SlcanSession::fromClient(const QByteArray &bytes)
{
    unhandled += splitter.split(bytes);
    QList<SlcanReply> replies;
    waiting = false;
    while (!unhandled.isEmpty()) {
        const SlcanLine &line = unhandled.constFirst();
        const SlcanCommand command = line.overlong ? SlcanCommand() : parseSlcanCommand(line.text);
        std::optional<SlcanReply> reply = execute(command);
        if (!reply) {
            waiting = true;
            return replies;
        }
        // Frame commands not taken, and lines that start as one but break its rules.
        reply->refused = reply->answer == QByteArray(1, Slcan::Error)
            && (command.kind == SlcanCommandKind::Frame
                || (command.kind == SlcanCommandKind::Invalid && !line.text.isEmpty() && isFrameLetter(line.text.at(0))));
        unhandled.removeFirst();
        replies.append(*reply);
    }
    if (goneAfterUnhandled) {
        goneAfterUnhandled = false;
        splitter.clear();
        SlcanReply gone = close();
        gone.answer.clear();
        gone.dropUnread = true;       // its unread answers too
        replies.append(gone);
    }
    return replies;
}

QList<SlcanReply> SlcanSession::clientGone()
{
    goneAfterUnhandled = true;
    return waiting ? QList<SlcanReply>() : resume();
}

SetStartSettings SlcanSession::nextStart(bool listenOnlyOpen) const
{
    SetStartSettings s = timing;
    ControllerMode mode = ControllerMode::fromIndex(s.modeIndex);
    if (listenOnlyOpen || silent.has_value())
        mode.silent = listenOnlyOpen || *silent;
    s.modeIndex = mode.index();
    s.retransmit = retransmit.value_or(configured.retransmit);
    return s;
}

SlcanReply SlcanSession::close()
{
    SlcanReply reply;
    reply.answer = QByteArray(1, Slcan::Ok);
    reply.dropUnread = open;        // what the client did not read is not given to the next one
    open = false;
    listenOnly = false;
    return reply;
}

std::optional<SlcanReply> SlcanSession::execute(const SlcanCommand &command)
{
    SlcanReply reply;
    reply.answer = QByteArray(1, Slcan::Ok);
    const QByteArray refused(1, Slcan::Error);
    switch (command.kind) {
    case SlcanCommandKind::Invalid:
        reply.answer = refused;
        break;
    case SlcanCommandKind::SetBitrate:
        if (open || !applyBitrateTiming(bitrateTiming(slcanBitrate(command.value)), &timing))
            reply.answer = refused;
        break;
    case SlcanCommandKind::Open:
    case SlcanCommandKind::OpenListenOnly: {
        // A fresh channel each time: nothing queued before it reaches the client.
        listenOnly = command.kind == SlcanCommandKind::OpenListenOnly;
        const SetStartSettings settings = nextStart(listenOnly);
        reply.dropUnread = open;
        if (!open || setStartCommand(settings) != setStartCommand(started)) {
            started = settings;
            if (startConverter)
                startConverter(settings);
        }
        open = true;
        break;
    }
    case SlcanCommandKind::Close:
        return close();
    case SlcanCommandKind::Frame: {
        if (!open || listenOnly) {
            reply.answer = refused;
            break;
        }
        const SendVerdict verdict = sendToBus ? sendToBus(command.frame) : SendVerdict::Sent;
        if (verdict == SendVerdict::NoRoom) {
            errorFlags |= FlagQueueFull;
            return std::nullopt;
        }
        if (verdict != SendVerdict::Sent)
            reply.answer = refused;
        break;
    }
    case SlcanCommandKind::Version:
        reply.answer = slcanVersionAnswer();
        break;
    case SlcanCommandKind::SerialNumber:
        reply.answer = slcanSerialNumberAnswer();
        break;
    case SlcanCommandKind::Flags:
        reply.answer = slcanFlagsAnswer(errorFlags | stateFlags);
        errorFlags = 0;
        break;
    case SlcanCommandKind::Timestamps:
        timestampsOn = command.value == 1;
        break;
    case SlcanCommandKind::Silent:
        silent = command.value == 1;
        break;
    case SlcanCommandKind::NoRetransmit:
        retransmit = command.value == 0;
        break;
    }
    return reply;
}

SlcanDelivery SlcanSession::deliver(const CanFrame &frame, qint64 msecsSinceEpoch)
{
    SlcanDelivery delivery;
    if (!open || isErrorFrame(frame))     // the protocol has no error frames: F tells the state
        return delivery;
    int stamp = -1;
    if (timestampsOn) {
        stamp = int(msecsSinceEpoch % Slcan::TimestampModulo);
        if (stamp < 0)
            stamp += Slcan::TimestampModulo;
    }
    if (const std::optional<QByteArray> line = slcanFrameLine(frame, stamp)) {
        delivery.line = *line;
    } else {
        delivery.dropped = true;
        errorFlags |= FlagDropped;
    }
    return delivery;
}

void SlcanSession::setBusState(bool errorWarning, bool errorPassive, bool busOff)
{
    stateFlags = (errorWarning ? FlagErrorWarning : 0) | (errorPassive ? FlagErrorPassive : 0) | (busOff ? FlagBusOff : 0);
}

void SlcanSession::noteDropped()
{
    errorFlags |= FlagDropped;
}
