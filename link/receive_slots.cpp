// Receive processing: bytes from the converter become traffic rows, bus status
// texts and automatic replies.

#include "app/mainwindow.h"

#include "link/receivestats.h"
#include "traffic/traffictext.h"
#include "ui_mainwindow.h"

void MainWindow::rev_process()
{
    // Dispatches what the scanner finds, frame by frame, in stream order.
    struct Dispatch : FrameSink
    {
        MainWindow &w;
        ReceiveStats &stats;
        Dispatch(MainWindow &window, ReceiveStats &s) : w(window), stats(s) {}

        void canFrameReceived(const CanFrame &frame, FrameFraming framing) override
        {
            ++stats.canFrames;
            if (!w.paused) {
                // A statistics-mode refusal drops only this frame from the view;
                // it is still answered and the rest of the delivery goes on.
                if (w.statisticsMode)
                    w.showStatisticsRow(frame, framing);
                else
                    w.appendTrafficRow(receivedRowTexts(frame, nextTrafficRow));
            }
            w.replyToFrame(frame.identifier);
        }

        void fixedFrameReceived(const char *payload) override
        {
            ++stats.otherFrames;
            if (quint8(payload[0]) == FixedLayout::CodeBusStatus)
                w.showBusStatus(QByteArray(payload, FixedLayout::PayloadSize));
        }
    };

    const QByteArray chunk = serialPort->readAll();
    ReceiveStats &stats = receiveStats();
    stats.bytes += quint64(chunk.size());
    Dispatch dispatch(*this, stats);
    receiveScanner.feed(chunk, dispatch);
}
