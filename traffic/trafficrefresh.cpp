#include "traffic/trafficrefresh.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>

TrafficRefresh::TrafficRefresh(QTableWidget *view, int repaintMs)
    : QObject(view)
    , view(view)
{
    repaintTimer.setSingleShot(true);
    repaintTimer.setInterval(repaintMs);
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
    const bool written = pendingRow >= 0;
    if (written) {
        selectRow(pendingRow, pendingStyleSheet);
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

// What changes under traffic: the rows area, the vertical scroll bar and the
// header, whose sections follow the selection. Those wait, and are repainted
// whole when the interval ends.
QList<QWidget *> TrafficRefresh::heldParts() const
{
    return {view->viewport(), view->verticalScrollBar(), view->horizontalHeader()->viewport()};
}

void TrafficRefresh::holdRepaint()
{
    if (repaintTimer.isActive())
        return;
    for (QWidget *part : heldParts())
        part->setUpdatesEnabled(false);
    repaintTimer.start();
}

void TrafficRefresh::resumeRepaint()
{
    if (scrollPending)
        scrollToCurrent();
    for (QWidget *part : heldParts())
        part->setUpdatesEnabled(true);
}

void TrafficRefresh::rowWritten(int row, const QString &styleSheet)
{
    if (!inDelivery) {
        selectRow(row, styleSheet);
        return;
    }
    pendingRow = row;
    pendingStyleSheet = styleSheet;
}

void TrafficRefresh::selectRow(int row, const QString &styleSheet)
{
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Setting a style sheet repolishes the whole table: only do it on a change.
    if (view->styleSheet() != styleSheet)
        view->setStyleSheet(styleSheet);
    view->selectRow(row);
}
