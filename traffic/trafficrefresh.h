#ifndef TAVICON_TRAFFICREFRESH_H
#define TAVICON_TRAFFICREFRESH_H

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class QTableWidget;
class QWidget;

// Keeps showing traffic cheap however fast rows arrive. While a delivery of
// received bytes is shown, the newest row is selected once, at its end; the
// parts of the table that change are repainted at most once per repaint
// interval (counted from the last repaint), and the view scrolls to the
// newest row right before.
class TrafficRefresh : public QObject
{
public:
    TrafficRefresh(QTableWidget *view, int repaintMs);

    void beginDelivery();
    void endDelivery();
    // Cells of the view are about to change.
    void holdRepaint();
    // Row `row` was written: select it with the given style sheet, now or, during
    // a delivery, at its end if no later row is written meanwhile.
    void rowWritten(int row, const QString &styleSheet);
    // Columns 0 to `lastColumn` of `row` were rewritten without notice: the
    // model tells its views now or, during a delivery, once for all the rows
    // rewritten, at its end or, while the rows wait for their repaint, right
    // before it.
    void cellsRewritten(int row, int lastColumn);

private:
    QList<QWidget *> heldParts() const;
    bool waitingQuietly() const;
    void selectRow(int row, const QString &styleSheet, bool waiting);
    void resumeRepaint();
    void scrollToCurrent();
    void announceRewrittenCells();

    QTableWidget *view;
    const int repaintMs;
    QTimer repaintTimer;
    QElapsedTimer lastRepaint;
    bool inDelivery = false;
    bool scrollPending = false;
    int pendingRow = -1;
    QString pendingStyleSheet;
    // The rows rewritten since the last notice, as sorted runs of adjacent rows
    // that never touch: a delivery across the ring's wrap (rows 999, 0, 1) is
    // two runs, so a notice never takes in rows that stayed as they were (an
    // open editor there would lose what the user typed).
    struct RowRun
    {
        int first;
        int last;
    };
    QList<RowRun> rewrittenRuns;
    int rewrittenLastColumn = -1;
};

#endif // TAVICON_TRAFFICREFRESH_H
