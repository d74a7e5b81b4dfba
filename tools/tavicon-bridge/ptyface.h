#ifndef TAVICON_PTYFACE_H
#define TAVICON_PTYFACE_H

#include <QObject>
#include <functional>
#include <memory>

#include "bridgeface.h"
#include "console/ptyline.h"

class SendTurns;

// A face on a pseudo-terminal that stays open for the whole run, so that its
// client may close it and open it again: the slcan adapter, the converter.
class PtyFace : public QObject, public BridgeFace
{
    Q_OBJECT
public:
    ~PtyFace() override;

    bool open(QString *why);
    QString serialPath() const { return pty ? pty->serialPath() : QString(); }
    qint64 framesDropped() const override { return dropped; }
    qint64 framesRefused() const override { return refused; }
    // Closes the pty: a client reading it sees a hang-up.
    void close() override;

protected:
    explicit PtyFace(SendTurns &turns, QObject *parent = nullptr);

    // What the client wrote; the last program holding the port closed it.
    virtual void clientWrote(const QByteArray &bytes) = 0;
    virtual void clientLeft() = 0;
    // Queues a frame's bytes for the client; false, and counted as dropped,
    // when 1 MB already waits for a client that does not read.
    bool sendFrame(const QByteArray &bytes);
    // After the client's session has acted: while it waits for room in the
    // send queue the client is not read, and `resume` is called in its turn.
    void waitForRoom(bool waiting, std::function<void()> resume);

    std::unique_ptr<PtyLine> pty;
    qint64 dropped = 0;
    qint64 refused = 0;

private:
    SendTurns &turns;
};

#endif // TAVICON_PTYFACE_H
