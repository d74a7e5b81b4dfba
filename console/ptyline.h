#ifndef TAVICON_PTYLINE_H
#define TAVICON_PTYLINE_H

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// Our side of a serial line made up: a pseudo-terminal whose serial end
// another program opens (the emulator's host program, the bridge's slcan
// client). The serial end is held open here too, so the master never sees a
// hang-up when that program closes it, and it may open it again.
//
// Everything sent goes through one output queue that is written whenever the
// pty has room; nothing is ever dropped.
//
// The serial end's opens and closes by other programs are watched (inotify
// on its path), so that the line can tell when the last of them has closed
// it, as an adapter tells that its USB plug was pulled.
class PtyLine : public QObject
{
    Q_OBJECT
public:
    explicit PtyLine(QObject *parent = nullptr);
    ~PtyLine() override;

    bool open(QString *why);
    QString serialPath() const { return path; }

    void send(const QByteArray &bytes);
    qint64 queuedBytes() const { return qint64(queue.size()) - queueStart; }
    qint64 totalQueued() const { return queuedTotal; }
    qint64 totalWritten() const { return writtenTotal; }
    // Bytes in the pty that the host has not read yet. They are lost when the
    // emulator closes the pty, so a clean exit waits for this to reach 0.
    qint64 unreadByHost() const;
    // Forgets what is queued and what waits in the pty unread by the host.
    void discardUnread();
    // Whether what the host writes is read: while not, it waits in the pty
    // and the host's writes block once the pty is full.
    void setReading(bool reading);

signals:
    // Bytes the program on the serial end wrote.
    void hostWrote(const QByteArray &bytes);
    // The last program holding the serial end has closed it; everything it
    // wrote has been given by `hostWrote` before.
    void hostClosed();
    // Some queued bytes went into the pty.
    void bytesWritten();

private:
    void readReady();
    void readAllNow();
    void writeReady();
    void holdersChanged();

    int masterFd = -1;
    int serialFd = -1;
    QString path;
    QSocketNotifier *readNotifier = nullptr;
    QSocketNotifier *writeNotifier = nullptr;
    int watchFd = -1;                // inotify on the serial end's path
    QSocketNotifier *watchNotifier = nullptr;
    int holders = 0;                 // other programs' open files of the serial end
    bool reading = true;
    bool draining = false;           // reading all there is, whether reading or not
    QByteArray queue;
    qsizetype queueStart = 0;      // bytes before this index are written
    qint64 queuedTotal = 0;
    qint64 writtenTotal = 0;
};

#endif // TAVICON_PTYLINE_H
