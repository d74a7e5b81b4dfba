#include "traffic/trafficrefresh.h"

#include <QAccessible>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>

TrafficRefresh::TrafficRefresh(QTableWidget *view, int repaintMs)
    : QObject(view)
    , view(view)
    , repaintMs(repaintMs)
{
    repaintTimer.setSingleShot(true);
    repaintTimer.setTimerType(Qt::PreciseTimer);   // a coarse timer may come 5 % late
    connect(&repaintTimer, &QTimer::timeout, this, &TrafficRefresh::resumeRepaint);
}

void TrafficRefresh::beginDelivery()
{
    inDelivery = true;
    view->setAutoScroll(false);
}

void TrafficRefresh::endDelivery()
{
    inDelivery = false;
    // While the rows wait for their repaint, the notice waits with them: the
    // rows area, the one that shows those cells, is repainted whole then.
    const bool quiet = waitingQuietly();
    if (!quiet)
        announceRewrittenCells();
    const bool written = pendingRow >= 0;
    if (written) {
        selectRow(pendingRow, pendingStyleSheet, quiet);
        pendingRow = -1;
    }
    view->setAutoScroll(true);
    // The scroll shows only once the rows are repainted: while they wait, it
    // waits with them.
    if (written && !repaintTimer.isActive())
        scrollToCurrent();
    else if (written)
        scrollPending = true;
}

void TrafficRefresh::scrollToCurrent()
{
    scrollPending = false;
    const QModelIndex current = view->currentIndex();
    if (current.isValid())
        view->scrollTo(current);
}

// What changes under traffic: the rows area and the vertical scroll bar.
// Those wait, and are repainted whole when the interval ends. The header
// looks the same whichever single row is selected, and is left alone.
QList<QWidget *> TrafficRefresh::heldParts() const
{
    return {view->viewport(), view->verticalScrollBar()};
}

void TrafficRefresh::holdRepaint()
{
    if (repaintTimer.isActive())
        return;
    for (QWidget *part : heldParts())
        part->setUpdatesEnabled(false);
    // The interval counts from the last repaint, however long that took: the
    // pace holds on a busy machine, and the first rows after a quiet spell
    // show at once.
    const qint64 sinceRepaint = lastRepaint.isValid() ? lastRepaint.elapsed() : repaintMs;
    repaintTimer.start(int(qBound(qint64(0), qint64(repaintMs) - sinceRepaint, qint64(repaintMs))));
}

void TrafficRefresh::resumeRepaint()
{
    if (!inDelivery)
        announceRewrittenCells();
    if (scrollPending)
        scrollToCurrent();
    for (QWidget *part : heldParts())
        part->setUpdatesEnabled(true);
    lastRepaint.start();
}

void TrafficRefresh::rowWritten(int row, const QString &styleSheet)
{
    if (!inDelivery) {
        selectRow(row, styleSheet, waitingQuietly());
        return;
    }
    pendingRow = row;
    pendingStyleSheet = styleSheet;
}

void TrafficRefresh::cellsRewritten(int row, int lastColumn)
{
    // The first run that ends at most one row before `row`, or the end.
    auto run = std::lower_bound(rewrittenRuns.begin(), rewrittenRuns.end(), row,
                                [](const RowRun &r, int row) { return r.last + 1 < row; });
    if (run == rewrittenRuns.end() || run->first > row + 1) {
        rewrittenRuns.insert(run, RowRun{row, row});
    } else {
        run->first = qMin(run->first, row);
        run->last = qMax(run->last, row);
        const auto next = run + 1;
        if (next != rewrittenRuns.end() && next->first <= run->last + 1) {
            run->last = next->last;
            rewrittenRuns.erase(next);
        }
    }
    rewrittenLastColumn = qMax(rewrittenLastColumn, lastColumn);
    if (!inDelivery)
        announceRewrittenCells();
}

// One notice per run of rewritten rows.
void TrafficRefresh::announceRewrittenCells()
{
    if (rewrittenRuns.isEmpty())
        return;
    QAbstractItemModel *model = view->model();
    const int lastColumn = qMin(rewrittenLastColumn, model->columnCount() - 1);
    for (const RowRun &run : std::as_const(rewrittenRuns)) {
        const int lastRow = qMin(run.last, model->rowCount() - 1);
        if (run.first <= lastRow && lastColumn >= 0)
            emit model->dataChanged(model->index(run.first, 0), model->index(lastRow, lastColumn));
    }
    rewrittenRuns.clear();
    rewrittenLastColumn = -1;
}

// Whether the rows wait for their repaint with nobody to tell of each change
// meanwhile: an open cell editor (editors live on the rows area) or an
// accessibility client hears of every one.
bool TrafficRefresh::waitingQuietly() const
{
    if (!repaintTimer.isActive() || QAccessible::isActive())
        return false;
    const QList<QWidget *> onRows = view->viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    return std::none_of(onRows.cbegin(), onRows.cend(), [](const QWidget *w) { return w->isVisible(); });
}

void TrafficRefresh::selectRow(int row, const QString &styleSheet, bool waiting)
{
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Setting a style sheet repolishes the whole table: only do it on a change.
    if (view->styleSheet() != styleSheet)
        view->setStyleSheet(styleSheet);
    // While the rows area waits, its repaint shows the new selection whole:
    // the view and its header need not hear of each change (that costs a
    // style option and an update region per delivery). The first selection
    // is told, for the header marks the columns of a selected row.
    const bool quiet = waiting && view->selectionModel()->hasSelection();
    const QSignalBlocker quietly(quiet ? view->selectionModel() : nullptr);
    view->selectRow(row);
    // The view scrolls to a new current row itself only when it hears of it.
    if (quiet && view->hasAutoScroll())
        scrollPending = true;
}
