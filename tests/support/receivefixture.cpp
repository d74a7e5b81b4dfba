#include "support/receivefixture.h"

#include "link/receivestats.h"

ReceiveFixture::ReceiveFixture()
{
    if (!converter.isValid())
        qFatal("no pseudo-terminal");
    openPort(converter.portName());
}

void ReceiveFixture::deliver(const QByteArray &bytes)
{
    const quint64 target = receiveStats().bytes + quint64(bytes.size());
    converter.write(bytes);
    if (!spinUntil([&] { return receiveStats().bytes >= target; }, 5000))
        qFatal("the window did not read what the converter wrote");
}
