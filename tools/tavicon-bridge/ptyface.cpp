#include "ptyface.h"

#include "sendturns.h"

namespace {
// What may wait for a client that does not read before frames are dropped.
constexpr qint64 MaxQueuedBytes = 1024 * 1024;
} // namespace

PtyFace::PtyFace(SendTurns &sendTurns, QObject *parent)
    : QObject(parent)
    , turns(sendTurns)
{
}

PtyFace::~PtyFace()
{
    turns.forget(this);
}

bool PtyFace::open(QString *why)
{
    pty = std::make_unique<PtyLine>();
    if (!pty->open(why)) {
        pty.reset();
        return false;
    }
    connect(pty.get(), &PtyLine::hostWrote, this, &PtyFace::clientWrote);
    connect(pty.get(), &PtyLine::hostClosed, this, &PtyFace::clientLeft);
    return true;
}

void PtyFace::close()
{
    turns.forget(this);
    pty.reset();
}

bool PtyFace::sendFrame(const QByteArray &bytes)
{
    if (pty->queuedBytes() + bytes.size() > MaxQueuedBytes) {
        ++dropped;
        return false;
    }
    pty->send(bytes);
    return true;
}

void PtyFace::waitForRoom(bool waiting, std::function<void()> resume)
{
    if (!pty)
        return;
    pty->setReading(!waiting);
    if (waiting)
        turns.wait(this, std::move(resume));
}
