#include "canconfig/busstatustext.h"

#include "canconfig/busstate.h"

QString busStatusText(const QByteArray &payload)
{
    const std::optional<BusStatus> s = readBusStatusReply(payload);
    if (!s)
        return QString();
    QString text = QStringLiteral("总线状态:");
    text += s->busOff ? QStringLiteral("离线, ") : QStringLiteral("正常, ");
    if (s->errorPassive)
        text += QStringLiteral("错误被动, ");
    else if (s->errorWarning)
        text += QStringLiteral("错误告警, ");
    else
        text += QStringLiteral("正常状态");
    text += QStringLiteral("发送错误计数器  = %1, 接受错误计数器 = %2")
                .arg(s->transmitErrors)
                .arg(s->receiveErrors);
    return text;
}
