#include "session/busstatuspoller.h"

#include "session/convertersession.h"

BusStatusPoller::BusStatusPoller(ConverterSession *session, QObject *parent)
    : QObject(parent)
    , session(session)
{
    connect(&timer, &QTimer::timeout, this, &BusStatusPoller::query);
    connect(session, &ConverterSession::busStatusReceived, this, &BusStatusPoller::replied);
    connect(session, &ConverterSession::lost, this, &BusStatusPoller::stop);
}

void BusStatusPoller::start(int intervalMs)
{
    last.reset();
    unansweredQueries = 0;
    setInterval(intervalMs);
    if (timer.isActive())
        query();
}

void BusStatusPoller::setInterval(int intervalMs)
{
    timer.stop();
    if (intervalMs > 0)
        timer.start(intervalMs);
}

void BusStatusPoller::stop()
{
    timer.stop();
}

void BusStatusPoller::query()
{
    if (!session->isOpen())
        return;
    // The query sent SilentIntervals intervals ago is still unanswered.
    if (++unansweredQueries == SilentIntervals + 1)
        emit unanswered(SilentIntervals * timer.interval());
    session->queryBusStatus();
}

void BusStatusPoller::replied(const QByteArray &payload, qint64 usecsSinceEpoch)
{
    const std::optional<BusStatus> status = readBusStatusReply(payload);
    if (!status)
        return;
    unansweredQueries = 0;
    const std::optional<CanFrame> frame = busErrorFrame(last, *status);
    last = status;
    emit statusReceived(*status);
    if (frame)
        emit errorFrame(*frame, usecsSinceEpoch);
}
