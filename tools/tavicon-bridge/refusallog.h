#ifndef TAVICON_REFUSALLOG_H
#define TAVICON_REFUSALLOG_H

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

// Names a client's refused sends on standard error, which the client is not
// told of: at most one line a second, and the count of those left out.
class RefusalLog : public QObject
{
    Q_OBJECT
public:
    // `client` names the client in each line ("socketcand client 127.0.0.1:40212").
    explicit RefusalLog(const QString &client, QObject *parent = nullptr);
    // Writes what was left out.
    ~RefusalLog() override;

    void refused(const QByteArray &reason);

private:
    void writeLeftOut();

    QString client;
    QTimer quiet;                 // running: a line went out less than a second ago
    qint64 leftOut = 0;
    QByteArray lastReason;
};

#endif // TAVICON_REFUSALLOG_H
