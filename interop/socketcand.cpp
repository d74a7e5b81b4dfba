#include "interop/socketcand.h"

#include "link/hexdigits.h"

namespace {

constexpr quint32 Bit31 = 0x80000000u;
constexpr int MaxTokenDigits = 8;

// A number token as C's %x reads it: an optional '-' and 1..8 hex digits,
// the two's complement in 32 bits when negative; `digits` gets the digit count.
std::optional<quint32> hexToken(const QByteArray &token, int *digits = nullptr)
{
    const bool negative = token.startsWith('-');
    const QByteArrayView number = QByteArrayView(token).sliced(negative ? 1 : 0);
    if (digits)
        *digits = int(number.size());
    if (number.isEmpty() || number.size() > MaxTokenDigits)
        return std::nullopt;
    quint32 value = 0;
    for (const char c : number) {
        const int v = hexDigitValue(c);
        if (v < 0)
            return std::nullopt;
        value = value << 4 | quint32(v);
    }
    return negative ? 0u - value : value;
}

// SEC.USEC: seconds since the Unix epoch and six digits of microseconds.
QByteArray secondsText(qint64 usecsSinceEpoch)
{
    qint64 seconds = usecsSinceEpoch / 1000000;
    qint64 micros = usecsSinceEpoch % 1000000;
    if (micros < 0) {
        micros += 1000000;
        --seconds;
    }
    return QByteArray::number(seconds) + '.' + QByteArray::number(micros).rightJustified(6, '0');
}

// The tokens after "send": ID DLC B...
void readSend(const QList<QByteArray> &tokens, SocketcandCommand *c)
{
    if (tokens.size() < 3) {
        c->refusal = "send needs an identifier and a length";
        return;
    }
    int idDigits = 0;
    const std::optional<quint32> raw = hexToken(tokens.at(1), &idDigits);
    if (idDigits > MaxTokenDigits) {
        c->refusal = "identifier longer than 8 digits";
        return;
    }
    if (!raw) {
        c->refusal = "identifier is not hexadecimal";
        return;
    }
    const quint32 id = *raw & ~Bit31;
    if (id > maxIdentifier(FrameFormat::Extended)) {
        c->refusal = "identifier above 1FFFFFFF";
        return;
    }
    const std::optional<quint32> dlc = hexToken(tokens.at(2));
    if (!dlc || *dlc > quint32(FixedLayout::MaxData)) {
        c->refusal = "length is not 0 to 8";
        return;
    }
    if (tokens.size() - 3 != qsizetype(*dlc)) {
        c->refusal = "length is not the count of data bytes";
        return;
    }
    QByteArray data;
    for (qsizetype i = 3; i < tokens.size(); ++i) {
        const std::optional<quint32> byte = hexToken(tokens.at(i));
        if (!byte) {
            c->refusal = "data byte is not 1 to 8 hex digits";
            return;
        }
        data.append(char(*byte & 0xFF));
    }
    c->frame.identifier = id;
    c->frame.format = idDigits == MaxTokenDigits || id > maxIdentifier(FrameFormat::Standard) ? FrameFormat::Extended
                                                                       : FrameFormat::Standard;
    c->frame.remote = false;
    c->frame.length = int(data.size());
    c->frame.data = data;
}

} // namespace

SocketcandSplitter::Result SocketcandSplitter::split(const QByteArray &bytes)
{
    Result result;
    for (const char c : bytes) {
        if (!inMessage) {
            if (c == '<') {
                inMessage = true;
                partial = QByteArray(1, c);
            }
            continue;
        }
        partial.append(c);
        if (c == '>') {
            result.messages.append(partial);
            partial.clear();
            inMessage = false;
        } else if (partial.size() > Socketcand::MaxMessageLength) {
            result.overlong = true;
            partial.clear();
            inMessage = false;
            break;
        }
    }
    return result;
}

SocketcandCommand parseSocketcandCommand(const QByteArray &message)
{
    SocketcandCommand c;
    if (!message.startsWith('<') || !message.endsWith('>') || message.size() < 2)
        return c;
    const QByteArray inner = message.mid(1, message.size() - 2).simplified();
    const QList<QByteArray> tokens = inner.isEmpty() ? QList<QByteArray>() : inner.split(' ');
    if (tokens.isEmpty())
        return c;
    const QByteArray &word = tokens.first();
    const bool single = tokens.size() == 1;
    if (word == "open") {
        c.kind = SocketcandCommandKind::Open;
        if (tokens.size() == 2)
            c.name = tokens.at(1);
    } else if (word == "rawmode" && single) {
        c.kind = SocketcandCommandKind::RawMode;
    } else if (word == "echo" && single) {
        c.kind = SocketcandCommandKind::Echo;
    } else if ((word == "bcmmode" || word == "controlmode" || word == "isotpmode") && single) {
        c.kind = SocketcandCommandKind::UnsupportedMode;
    } else if (word == "send") {
        c.kind = SocketcandCommandKind::Send;
        readSend(tokens, &c);
    }
    return c;
}

std::optional<QByteArray> socketcandFrameMessage(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    const bool extended = frame.format == FrameFormat::Extended;
    if (frame.remote || !isClassicCanFrame(frame))
        return std::nullopt;
    QByteArray out;
    out.reserve(48);
    out.append(" < frame ");
    appendHexDigits(out, frame.identifier, extended ? 8 : 3);
    out.append(' ').append(secondsText(usecsSinceEpoch)).append(' ');
    for (int i = 0; i < frame.length; ++i)
        appendHexDigits(out, quint8(frame.data.at(i)), 2);
    out.append(" >");
    return out;
}

QByteArray socketcandErrorMessage(const CanFrame &frame, qint64 usecsSinceEpoch)
{
    return " < error " + QByteArray::number(frame.identifier & ~CanErrorFlag, 16).toUpper().rightJustified(3, '0') + ' '
         + secondsText(usecsSinceEpoch) + " >";
}

QByteArray socketcandBeacon(const QString &hostName, const QString &address, quint16 port,
                            const QString &busName)
{
    return QStringLiteral("<CANBeacon name=\"%1\" type=\"SocketCAN\" description=\"Tavicon bridge\">"
                          "<URL>can://%2:%3</URL><Bus name=\"%4\"/></CANBeacon>")
        .arg(hostName.toHtmlEscaped(), address.toHtmlEscaped(), QString::number(port),
             busName.toHtmlEscaped())
        .toUtf8();
}

SocketcandSession::SocketcandSession(const QByteArray &busName)
    : busName(busName)
{
}

void SocketcandSession::setSendToBus(SendToBus send)
{
    sendToBus = std::move(send);
}

QList<SocketcandReply> SocketcandSession::fromClient(const QByteArray &bytes)
{
    QList<SocketcandReply> replies;
    if (closed)
        return replies;
    if (!overlong) {
        const SocketcandSplitter::Result split = splitter.split(bytes);
        unhandled += split.messages;
        overlong = split.overlong;
    }
    waiting = false;
    while (!unhandled.isEmpty()) {
        const std::optional<SocketcandReply> reply = execute(parseSocketcandCommand(unhandled.constFirst()));
        if (!reply) {
            waiting = true;
            return replies;
        }
        unhandled.removeFirst();
        replies.append(*reply);
        if (closed) {
            unhandled.clear();
            return replies;
        }
    }
    if (overlong) {
        SocketcandReply reply;
        reply.close = closed = true;
        replies.append(reply);
    }
    return replies;
}

std::optional<SocketcandReply> SocketcandSession::execute(const SocketcandCommand &command)
{
    SocketcandReply reply;
    switch (command.kind) {
    case SocketcandCommandKind::Unknown:
        reply.answer = SocketcandAnswer::unknownCommand();
        break;
    case SocketcandCommandKind::Open:
        if (command.name == busName) {
            opened = true;
            reply.answer = SocketcandAnswer::ok();
        } else {
            reply.answer = SocketcandAnswer::couldNotOpenBus();
            reply.close = closed = true;
        }
        break;
    case SocketcandCommandKind::RawMode:
        if (!opened) {
            reply.answer = SocketcandAnswer::noBusOpen();
            break;
        }
        reply.rawModeStarted = !raw;
        raw = true;
        reply.answer = SocketcandAnswer::ok();
        break;
    case SocketcandCommandKind::Echo:
        reply.answer = SocketcandAnswer::echo();
        break;
    case SocketcandCommandKind::UnsupportedMode:
        reply.answer = SocketcandAnswer::unsupportedMode();
        break;
    case SocketcandCommandKind::Send: {
        if (!opened) {
            reply.refusal = "no bus open";
            break;
        }
        if (!command.refusal.isEmpty()) {
            reply.refusal = command.refusal;
            break;
        }
        const SendVerdict verdict = sendToBus ? sendToBus(command.frame) : SendVerdict::Sent;
        if (verdict == SendVerdict::NoRoom)
            return std::nullopt;
        if (verdict == SendVerdict::ReadOnly)
            reply.refusal = "the bus is read-only";
        break;
    }
    }
    return reply;
}
