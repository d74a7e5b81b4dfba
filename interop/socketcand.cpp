#include "interop/socketcand.h"

namespace {

constexpr quint32 MaxStandardId = 0x7FF;
constexpr quint32 MaxExtendedId = 0x1FFFFFFF;
constexpr quint32 Bit31 = 0x80000000u;
constexpr int MaxTokenDigits = 8;

const char HexDigits[] = "0123456789ABCDEF";

void appendHex(QByteArray &out, quint32 value, int digits)
{
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out.append(HexDigits[(value >> shift) & 0xF]);
}

// A token of 1..8 hex digits, or nothing.
std::optional<quint32> hexToken(const QByteArray &token)
{
    if (token.isEmpty() || token.size() > MaxTokenDigits)
        return std::nullopt;
    quint32 value = 0;
    for (const char c : token) {
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else
            return std::nullopt;
        value = value << 4 | quint32(v);
    }
    return value;
}

QByteArray error(const char *text)
{
    return QByteArray("< error ") + text + " >";
}

// The tokens after "send": ID DLC B...
void readSend(const QList<QByteArray> &tokens, SocketcandCommand *c)
{
    if (tokens.size() < 3) {
        c->refusal = error("send needs an identifier and a length");
        return;
    }
    const QByteArray &idToken = tokens.at(1);
    if (idToken.size() > MaxTokenDigits) {
        c->refusal = error("identifier longer than 8 digits");
        return;
    }
    const std::optional<quint32> raw = hexToken(idToken);
    if (!raw) {
        c->refusal = error("identifier is not hexadecimal");
        return;
    }
    const quint32 id = *raw & ~Bit31;
    if (id > MaxExtendedId) {
        c->refusal = error("identifier above 1FFFFFFF");
        return;
    }
    const std::optional<quint32> dlc = hexToken(tokens.at(2));
    if (!dlc || *dlc > quint32(FixedLayout::MaxData)) {
        c->refusal = error("length is not 0 to 8");
        return;
    }
    if (tokens.size() - 3 != qsizetype(*dlc)) {
        c->refusal = error("length is not the count of data bytes");
        return;
    }
    QByteArray data;
    for (qsizetype i = 3; i < tokens.size(); ++i) {
        const std::optional<quint32> byte = hexToken(tokens.at(i));
        if (!byte) {
            c->refusal = error("data byte is not 1 to 8 hex digits");
            return;
        }
        data.append(char(*byte & 0xFF));
    }
    c->frame.identifier = id;
    c->frame.format = idToken.size() == MaxTokenDigits || id > MaxStandardId ? FrameFormat::Extended
                                                                            : FrameFormat::Standard;
    c->frame.remote = false;
    c->frame.length = int(data.size());
    c->frame.data = data;
}

} // namespace

SocketcandSplitter::Result SocketcandSplitter::feed(const QByteArray &bytes)
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
    if (frame.remote || frame.format == FrameFormat::Other
        || frame.identifier > (extended ? MaxExtendedId : MaxStandardId)
        || frame.length < 0 || frame.length > FixedLayout::MaxData
        || frame.data.size() < frame.length)
        return std::nullopt;
    qint64 seconds = usecsSinceEpoch / 1000000;
    qint64 micros = usecsSinceEpoch % 1000000;
    if (micros < 0) {
        micros += 1000000;
        --seconds;
    }
    QByteArray out;
    out.reserve(48);
    out.append(" < frame ");
    appendHex(out, frame.identifier, extended ? 8 : 3);
    out.append(' ').append(QByteArray::number(seconds)).append('.');
    out.append(QByteArray::number(micros).rightJustified(6, '0')).append(' ');
    for (int i = 0; i < frame.length; ++i)
        appendHex(out, quint8(frame.data.at(i)), 2);
    out.append(" >");
    return out;
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

void SocketcandSession::setSendGate(SendGate sendGate)
{
    gate = std::move(sendGate);
}

QList<SocketcandReply> SocketcandSession::feed(const QByteArray &bytes)
{
    QList<SocketcandReply> replies;
    if (closed)
        return replies;
    const SocketcandSplitter::Result split = splitter.feed(bytes);
    for (const QByteArray &message : split.messages) {
        replies.append(handle(parseSocketcandCommand(message)));
        if (closed)
            return replies;
    }
    if (split.overlong) {
        SocketcandReply reply;
        reply.close = closed = true;
        replies.append(reply);
    }
    return replies;
}

SocketcandReply SocketcandSession::handle(const SocketcandCommand &command)
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
            reply.answer = SocketcandAnswer::noBusOpen();
            break;
        }
        if (!command.refusal.isEmpty()) {
            reply.answer = command.refusal;
            break;
        }
        const SendVerdict verdict = gate ? gate(command.frame) : SendVerdict::Allowed;
        if (verdict == SendVerdict::ReadOnly)
            reply.answer = SocketcandAnswer::readOnly();
        else if (verdict == SendVerdict::QueueFull)
            reply.answer = SocketcandAnswer::queueFull();
        else
            reply.frame = command.frame;
        break;
    }
    }
    return reply;
}
