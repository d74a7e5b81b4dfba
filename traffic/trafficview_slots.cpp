// The traffic view: a ring of `rowLimit` rows, or one row per identifier in
// statistics mode, and the controls above it.

#include "app/mainwindow.h"

#include "traffic/statisticsindex.h"
#include "traffic/trafficcell.h"
#include "traffic/trafficdelegate.h"
#include "traffic/trafficrefresh.h"
#include "traffic/traffictext.h"
#include "ui_mainwindow.h"

namespace {

const QString kSentRowStyle = QStringLiteral("selection-background-color:rgb(0,167,242)");
// The row updated last is selected but not highlighted; its text keeps the
// view's own colour, which a white selection text would hide.
const QString kStatisticsRowStyle =
    QStringLiteral("selection-background-color:rgb(255,255,255);selection-color:palette(text)");
const QString kTooManyIdentifiers = QStringLiteral("Display area can display the number of rows is too little");

// Larger ring sizes would take gigabytes of item slots; such a text is ignored
// like any other unusable limit.
constexpr int kMaxRowLimit = 1000000;

// About 21 repaints a second, a little above the 20 that look smooth to the
// eye: each repaint of a saturated bus draws every visible cell anew.
constexpr int kTrafficRepaintMs = 47;

} // namespace

void MainWindow::setUpTrafficView()
{
    ui->tableWidget->setItemDelegate(new TrafficItemDelegate(ui->tableWidget));
    trafficRefresh = new TrafficRefresh(ui->tableWidget, kTrafficRepaintMs);
}

void MainWindow::appendTrafficRow(const QStringList &texts)
{
    appendTrafficRow(TrafficRowContent(texts));
}

// Received frames are held as frames: their texts are made when read.
void MainWindow::appendReceivedRow(const CanFrame &frame)
{
    ReceivedRow received;
    if (ReceivedRow::make(frame, nextTrafficRow, &received))
        appendTrafficRow(TrafficRowContent(received));
    else
        appendTrafficRow(receivedRowTexts(frame, nextTrafficRow));
}

void MainWindow::appendTrafficRow(const TrafficRowContent &content)
{
    const int row = nextTrafficRow;
    fillTrafficRow(row, content);
    highlightTrafficRow(row, kSentRowStyle);
    nextTrafficRow = (row + 1) % rowLimit;
    if (nextTrafficRow == 0)
        autoSaveAtWrap();
}

bool MainWindow::showStatisticsRow(const CanFrame &frame, FrameFraming framing)
{
    const QString id = receivedIdText(frame.identifier);
    int position = statisticsPosition(id);
    if (position < 0) {
        const bool first = statisticsIds.isEmpty();
        position = appendStatisticsId(id);
        if (!first && statisticsIds.size() >= rowLimit) {
            ui->statusbar->showMessage(kTooManyIdentifiers);
            return false;
        }
    }
    if (position >= rowLimit)
        return true;

    fillTrafficRow(position, TrafficRowContent(statisticsRowTexts(frame, framing, position)));
    highlightTrafficRow(position, kStatisticsRowStyle);
    return true;
}

// The eight columns, in new items or in those of the row the ring comes round
// to; a null format text (a received fixed frame of unknown format) leaves
// that cell as it is. The view learns of the new row once, not cell by cell,
// and of all the rows of a delivery of received bytes at once (at the end of
// the delivery, or right before the repaint the rows wait for).
void MainWindow::fillTrafficRow(int row, const TrafficRowContent &content)
{
    QTableWidget *view = ui->tableWidget;
    trafficRefresh->holdRepaint();
    QAbstractItemModel *model = view->model();
    const bool sorting = view->isSortingEnabled();
    const int columns = content.columns();
    {
        const QSignalBlocker oneNotice(sorting ? nullptr : model);
        for (int column = 0; column < columns; ++column) {
            if (content.leavesCell(column))
                continue;
            QTableWidgetItem *item = view->item(row, column);
            if (item && item->type() == TrafficCell::Type && !sorting)
                content.writeQuietly(static_cast<TrafficCell *>(item), column);
            else if (item)
                item->setText(content.text(column));
            else
                view->setItem(row, column, content.newCell(column));
        }
    }
    if (columns > 0 && !sorting)
        trafficRefresh->cellsRewritten(row, columns - 1);
}

void MainWindow::highlightTrafficRow(int row, const QString &styleSheet)
{
    trafficRefresh->rowWritten(row, styleSheet);
}

// Showing received traffic: selecting a row scrolls the view to it, and each
// scroll moves the whole viewport image. While a delivery of many frames is
// shown, the view selects and scrolls once, at the end, to the row written
// last, and its rows are repainted at most every kTrafficRepaintMs however
// many deliveries arrive meanwhile.
void MainWindow::holdTrafficScrolling()
{
    trafficRefresh->beginDelivery();
}

void MainWindow::releaseTrafficScrolling()
{
    trafficRefresh->endDelivery();
}

void MainWindow::clearTrafficCells()
{
    autoSaveBeforeReset();
    ui->tableWidget->clearContents();
}

void MainWindow::on_lineEditTotal_textChanged(const QString &arg1)
{
    if (arg1.isEmpty()) {
        // Signals this slot again with the number, which clears the view.
        ui->lineEditTotal->setText(QStringLiteral("%1").arg(rowLimit));
        return;
    }
    bool ok = false;
    const int limit = arg1.toInt(&ok, 10);
    if (!ok || limit <= 0 || limit > kMaxRowLimit)
        return;
    rowLimit = limit;
    clearTrafficCells();
    nextTrafficRow = 0;
    ui->tableWidget->setRowCount(rowLimit);
}

void MainWindow::on_btnViewClear_clicked()
{
    clearTrafficCells();
    nextTrafficRow = 0;
}

void MainWindow::on_checkBoxPause_clicked(bool checked)
{
    paused = checked;
}

void MainWindow::on_checkBoxOnlyRev_clicked(bool checked)
{
    receiveOnly = checked;
    ui->checkBoxOverlayDisplay->setEnabled(checked);
    if (checked)
        return;
    if (!statisticsIds.isEmpty()) {
        clearTrafficCells();
        clearStatisticsIds();
        nextTrafficRow = 0;
    }
    statisticsMode = false;
    ui->checkBoxOverlayDisplay->setChecked(false);   // emits no clicked()
}

void MainWindow::on_checkBoxOverlayDisplay_clicked(bool checked)
{
    clearTrafficCells();
    clearStatisticsIds();
    statisticsMode = checked;
    nextTrafficRow = 0;
    ui->tableWidget->setEditTriggers(checked ? QAbstractItemView::NoEditTriggers
                                             : QAbstractItemView::DoubleClicked
                                                   | QAbstractItemView::AnyKeyPressed);
}
