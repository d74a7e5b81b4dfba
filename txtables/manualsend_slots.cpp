// Manual send table, manual.txt and the transmit step shared by all send tables.

#include "app/mainwindow.h"

#include <QBrush>
#include <QDebug>

#include "app/columnwidths.h"
#include "traffic/traffictext.h"
#include "txtables/celltext.h"
#include "txtables/sendqueue.h"
#include "txtables/tablecells.h"
#include "ui_mainwindow.h"

namespace {

const QString kManualFile = QStringLiteral("manual.txt");
const QString kPortClosed = QStringLiteral("The COM port is closed, please open the COM port first");
const QString kNoIdentifier = QStringLiteral("ID值不能为空");
constexpr int kPortClosedMs = 1000;
constexpr int kManualFields = 3;

// Identifier, data and the send cell's text, on its grey background.
void setManualRow(QTableWidget *table, int row, const QStringList &texts)
{
    setRowTexts(table, row, texts.mid(0, 2));
    QTableWidgetItem *send = centredItem(texts.at(2));
    send->setBackground(QBrush(Qt::lightGray));
    table->setItem(row, 2, send);
}

QStringList defaultManualRow(int row)
{
    return {defaultRowIdText(quint32(row)), kDefaultRowData, kSendCellText};
}

} // namespace

void MainWindow::on_tableWidget_2_cellClicked(int row, int column)
{
    if (ui->checkBoxEnableManual->isChecked())
        return;
    if (!serialPort->isOpen()) {
        ui->statusbar->showMessage(kPortClosed, kPortClosedMs);
        return;
    }
    if (column != 2)
        return;
    const QTableWidgetItem *identifier = ui->tableWidget_2->item(row, 0);
    if (!identifier) {
        ui->statusbar->showMessage(kNoIdentifier);
        return;
    }
    const QTableWidgetItem *data = ui->tableWidget_2->item(row, 1);
    transmitTableFrame(identifier->text(), data ? data->text() : QString());
}

void MainWindow::on_btnManualRemove_clicked()
{
    removeCurrentRow(ui->tableWidget_2);
}

void MainWindow::on_btnManualINsert_clicked()
{
    const int row = insertRowBelowCurrent(ui->tableWidget_2);
    setManualRow(ui->tableWidget_2, row, defaultManualRow(row));
}

void MainWindow::on_btnManualSave_clicked()
{
    const QString fault = saveTableFile(kManualFile, tableTexts(ui->tableWidget_2, kManualFields));
    if (!fault.isNull())
        ui->statusbar->showMessage(fault);
}

void MainWindow::on_checkBoxEnableManual_clicked(bool checked)
{
    ui->tableWidget_2->setEditTriggers(checked ? QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed
                                               : QAbstractItemView::NoEditTriggers);
}

void MainWindow::loadManualTable()
{
    QTableWidget *table = ui->tableWidget_2;
    const int widths[] = {100, 200, 100};
    for (int column = 0; column < kManualFields; ++column)
        table->setColumnWidth(column, widths[column]);
    widenSendTableColumns(table, {0}, 1);
    TableFileRows rows;
    if (!readTableFile(kManualFile, kManualFields, &rows)) {
        fillDefaultManualRows();
        return;
    }
    table->setRowCount(0);
    table->setRowCount(int(rows.size()));
    for (int row = 0; row < rows.size(); ++row)
        setManualRow(table, row, rows.at(row));
}

void MainWindow::fillDefaultManualRows()
{
    for (int row = 0; row < 10 && row < ui->tableWidget_2->rowCount(); ++row)
        setManualRow(ui->tableWidget_2, row, defaultManualRow(row));
}

// The row's frame in the chosen framing, written in one go, and its traffic
// row. A row whose texts do not say a frame the bus can carry is refused with
// its fault in the status bar: nothing is written and nothing is shown. So is
// a frame that finds the write queue full: the line is slower than the
// tables, and queueing more would only send every frame later and later.
bool MainWindow::transmitTableFrame(const QString &identifierText, const QString &dataText)
{
    const bool extended = ui->cbBoxType->currentIndex() == 1;
    const TableRowFrame row = tableRowFrame(identifierText, dataText,
                                            extended ? FrameFormat::Extended : FrameFormat::Standard);
    if (!row.ok()) {
        ui->statusbar->showMessage(row.fault);
        return false;
    }
    const bool fixed = ui->radioBtnFixed->isChecked();
    const bool variable = ui->radioBtnVariable->isChecked();
    if (!fixed && !variable)
        return false;
    if (!sendQueueHasRoom(serialPort->bytesToWrite(), serialPort->baudRate())) {
        ui->statusbar->showMessage(QStringLiteral("发送缓冲区已满，帧未发送"));
        return false;
    }
    const QByteArray bytes = variable ? encodeVariableFrame(row.frame) : encodeFixedFrame(row.frame);
    if (variable)                           // the byte count of a variable-length frame sent
        qDebug().noquote() << bytes.size();
    serialPort->write(bytes);
    // Hand the bytes to the driver now rather than when the event loop next
    // gets round to it: a reply or a timed frame leaves when it is due.
    serialPort->flush();

    if (paused || receiveOnly)
        return true;
    appendTrafficRow({QString::number(nextTrafficRow), TrafficText::Sent, currentTrafficTimeText(),
                      TrafficText::DataFrame, ui->cbBoxType->currentText(), identifierText,
                      QString::number(row.frame.length), dataText.trimmed()});
    return true;
}
