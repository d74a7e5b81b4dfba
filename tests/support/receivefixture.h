#ifndef TAVICON_TEST_RECEIVEFIXTURE_H
#define TAVICON_TEST_RECEIVEFIXTURE_H

#include <QByteArray>

#include "support/frames.h"
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

#endif // TAVICON_TEST_RECEIVEFIXTURE_H
