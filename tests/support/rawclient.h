#ifndef TAVICON_TEST_RAWCLIENT_H
#define TAVICON_TEST_RAWCLIENT_H

#include <QByteArray>
#include <QString>
#include <QTcpSocket>

// A client writing and reading raw bytes on a face another program offers: the
// serial end of a pseudo-terminal (a path) or a TCP server ("HOST:PORT"),
// while the event loop runs, so that the programs around keep going.
class RawClient
{
public:
    explicit RawClient(const QString &where);
    ~RawClient();
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    // Writes all of `bytes`; false when they are not taken within 30 s.
    bool write(const QByteArray &bytes);
    // What arrives within `ms`.
    QByteArray readFor(int ms);
    bool isClosed() const;

private:
    int fd = -1;
    QTcpSocket socket;
};

#endif // TAVICON_TEST_RAWCLIENT_H
