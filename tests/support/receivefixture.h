#ifndef TAVICON_TEST_RECEIVEFIXTURE_H
#define TAVICON_TEST_RECEIVEFIXTURE_H

#include <QByteArray>

#include "link/canframe.h"
#include "support/ptypair.h"
#include "support/windowharness.h"

// The real window with its port open on a pseudo-terminal whose other end
// plays the converter.
class ReceiveFixture : public WindowHarness
{
public:
    ReceiveFixture();

    // Writes the bytes as the converter would and waits until the window has
    // read all of them.
    void deliver(const QByteArray &bytes);

    PtyPair converter;
};

CanFrame makeFrame(quint32 id, FrameFormat format, const QByteArray &data, bool remote = false);
QByteArray fixedBytes(quint32 id, FrameFormat format = FrameFormat::Standard,
                      const QByteArray &data = QByteArray(), bool remote = false);
QByteArray variableBytes(quint32 id, FrameFormat format = FrameFormat::Standard,
                         const QByteArray &data = QByteArray(), bool remote = false);

#endif // TAVICON_TEST_RECEIVEFIXTURE_H
