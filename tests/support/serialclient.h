#ifndef TAVICON_TEST_SERIALCLIENT_H
#define TAVICON_TEST_SERIALCLIENT_H

#include <QByteArray>
#include <QString>

// A program on the serial end of a pseudo-terminal another program offers
// (the bridge's slcan face): raw bytes written and read while the event loop
// runs, so that the programs around keep going.
class SerialClient
{
public:
    explicit SerialClient(const QString &path);
    ~SerialClient();
    SerialClient(const SerialClient &) = delete;
    SerialClient &operator=(const SerialClient &) = delete;

    bool isOpen() const { return fd >= 0; }
    // Writes all of `bytes`; false when they are not taken within `timeoutMs`.
    bool write(const QByteArray &bytes, int timeoutMs = 30000);
    // What arrives within `ms`.
    QByteArray readFor(int ms);
    void close();

private:
    int fd = -1;
};

#endif // TAVICON_TEST_SERIALCLIENT_H
