#ifndef TAVICON_TEST_PTYPAIR_H
#define TAVICON_TEST_PTYPAIR_H

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair standing in for the converter: the program opens the
// serial end by its path; the test writes and reads the other end byte-exact.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return masterFd >= 0; }
    QString portName() const { return serialPath; }

    // Writes all bytes to the converter end.
    void write(const QByteArray &bytes);
    // Collects what the program writes until `count` bytes have arrived or
    // `timeoutMs` has passed, running the Qt event loop meanwhile.
    QByteArray read(int count, int timeoutMs = 2000);
    // Collects whatever arrives within `ms`, running the event loop.
    QByteArray readFor(int ms);
    // The converter goes away: the serial end reports errors from now on.
    void closeConverterEnd();

private:
    int masterFd = -1;
    int slaveFd = -1;
    QString serialPath;
};

// Runs the event loop for `ms` milliseconds.
void spinEventLoop(int ms);
// Runs the event loop until `done()` holds or `timeoutMs` passes; returns done().
template <typename Predicate>
bool spinUntil(Predicate done, int timeoutMs = 3000);

#include "support/ptypair_impl.h"

#endif // TAVICON_TEST_PTYPAIR_H
