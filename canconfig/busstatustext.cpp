#include "canconfig/busstatustext.h"

namespace {
// Payload offsets of the reply.
constexpr int ReceiveErrors = 3;
constexpr int TransmitErrors = 4;
constexpr int BusOff = 5;
constexpr int ErrorPassive = 6;
constexpr int ErrorWarning = 7;
constexpr int PayloadSize = 17;
}

QString busStatusText(const QByteArray &payload)
{
    if (payload.size() < PayloadSize)
        return QString();
    const auto byte = [&](int offset) { return uint(quint8(payload.at(offset))); };
    QString text = QStringLiteral("总线状态:");
    text += byte(BusOff) ? QStringLiteral("离线, ") : QStringLiteral("正常, ");
    if (byte(ErrorPassive))
        text += QStringLiteral("错误被动, ");
    else if (byte(ErrorWarning))
        text += QStringLiteral("错误告警, ");
    else
        text += QStringLiteral("正常状态");
    text += QStringLiteral("发送错误计数器  = %1, 接受错误计数器 = %2")
                .arg(byte(TransmitErrors))
                .arg(byte(ReceiveErrors));
    return text;
}
