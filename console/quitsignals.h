#ifndef TAVICON_QUITSIGNALS_H
#define TAVICON_QUITSIGNALS_H

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a signal delivered by the event loop, so the
// program can end through its normal clean-up path.
class QuitSignals : public QObject
{
    Q_OBJECT
public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

signals:
    void quitRequested();

private:
    QSocketNotifier *notifier = nullptr;
};

#endif // TAVICON_QUITSIGNALS_H
