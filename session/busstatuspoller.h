#ifndef TAVICON_BUSSTATUSPOLLER_H
#define TAVICON_BUSSTATUSPOLLER_H

#include <QObject>
#include <QTimer>
#include <optional>

#include "canconfig/busstate.h"

class ConverterSession;

// Asks the converter for its bus status now and then, and reports what
// changed as Linux's CAN drivers do, as error frames (canconfig/busstate.h).
class BusStatusPoller : public QObject
{
    Q_OBJECT
public:
    explicit BusStatusPoller(ConverterSession *session, QObject *parent = nullptr);

    // Queries at once and then every `intervalMs` (0: never) while the
    // session is open; the first reply is compared with an error-active bus
    // with both counters 0.
    void start(int intervalMs);
    // A new interval; what was read so far is kept.
    void setInterval(int intervalMs);
    void stop();
    // The last reply, nothing before the first.
    const std::optional<BusStatus> &status() const { return last; }

    // Queries without a reply for this many intervals are reported once.
    static constexpr int SilentIntervals = 3;

signals:
    // Every reply, changed or not.
    void statusReceived(const BusStatus &status);
    // A change of state or counters, with the time the reply was read.
    void errorFrame(const CanFrame &frame, qint64 usecsSinceEpoch);
    // No reply for SilentIntervals intervals: the converter may not be listening.
    void unanswered(int milliseconds);

private:
    void query();
    void replied(const QByteArray &payload, qint64 usecsSinceEpoch);

    ConverterSession *session;
    QTimer timer;
    std::optional<BusStatus> last;
    int unansweredQueries = 0;
};

#endif // TAVICON_BUSSTATUSPOLLER_H
