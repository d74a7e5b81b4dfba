#ifndef TAVICON_SENDTURNS_H
#define TAVICON_SENDTURNS_H

#include <QList>
#include <functional>
#include <utility>

// The clients that wait for room in the converter's send queue, served in the
// order they came to wait, so that one client's burst holds another's frames
// back by no more than the queue's drain time. While a client waits its input
// is not read: the kernel's buffers hold its writer back.
class SendTurns
{
public:
    using Resume = std::function<void()>;

    // `client` waits; `resume` is called once, when its turn comes with room.
    void wait(const void *client, Resume resume);
    // `client` has gone: it no longer waits.
    void forget(const void *client);
    // Room has appeared: resumes waiting clients in turn while `hasRoom()`.
    void serve(const std::function<bool()> &hasRoom);
    bool isEmpty() const { return waiting.isEmpty(); }

private:
    QList<std::pair<const void *, Resume>> waiting;
};

#endif // TAVICON_SENDTURNS_H
