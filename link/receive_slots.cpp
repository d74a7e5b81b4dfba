// Receive processing: bytes from the converter become traffic rows, bus status
// texts and automatic replies.

#include "app/mainwindow.h"

#include <QTimer>

#include "link/receivestats.h"
#include "traffic/traffictext.h"
#include "ui_mainwindow.h"

// Hands what the scanner finds to the window, frame by frame, in stream order.
class MainWindow::ReceivedFrameDispatch : public FrameSink
{
public:
    explicit ReceivedFrameDispatch(MainWindow &window) : w(window), stats(receiveStats()) {}

    void canFrameReceived(const CanFrame &frame, FrameFraming framing) override
    {
        ++stats.canFrames;
        if (!w.paused) {
            // A statistics-mode refusal drops only this frame from the view; it
            // is still answered and the rest of the delivery goes on.
            if (w.statisticsMode)
                w.showStatisticsRow(frame, framing);
            else
                w.appendReceivedRow(frame);
        }
        w.replyToFrame(frame.identifier);
    }

    void fixedFrameReceived(const char *payload) override
    {
        ++stats.otherFrames;
        if (quint8(payload[0]) == FixedLayout::CodeBusStatus)
            w.showBusStatus(QByteArray(payload, FixedLayout::PayloadSize));
    }

private:
    MainWindow &w;
    ReceiveStats &stats;
};

void MainWindow::rev_process()
{
    const QByteArray chunk = serialPort->readAll();
    receiveStats().bytes += quint64(chunk.size());
    ReceivedFrameDispatch dispatch(*this);
    holdTrafficScrolling();
    receiveScanner.feed(chunk, dispatch);
    releaseTrafficScrolling();
    if (receiveScanner.pendingSize() > 0)
        receiveFlushTimer->start();
    else
        receiveFlushTimer->stop();
}

void MainWindow::flushReceivedBytes()
{
    ReceivedFrameDispatch dispatch(*this);
    holdTrafficScrolling();
    receiveScanner.flush(dispatch);
    releaseTrafficScrolling();
}
