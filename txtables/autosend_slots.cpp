// Auto send table: timed sequences of frames and auto.txt.

#include "app/mainwindow.h"

#include <QTimer>

#include "txtables/tablecells.h"
#include "ui_mainwindow.h"

namespace {

const QString kAutoFile = QStringLiteral("auto.txt");
constexpr int kAutoColumns = 4;
constexpr int kAutoFields = 5;      // identifier, data, interval, enable flag, enable text
constexpr int kPortClosedMs = 1000;

// Identifier, data, interval and the centred enable cell.
void setAutoRow(QTableWidget *table, int row, const QStringList &texts, bool enabled)
{
    setRowTexts(table, row, texts.mid(0, 3));
    QTableWidgetItem *enable = centredItem(texts.at(3));
    enable->setCheckState(enabled ? Qt::Checked : Qt::Unchecked);
    table->setItem(row, 3, enable);
}

void setDefaultAutoRow(QTableWidget *table, int row)
{
    setAutoRow(table, row, {defaultRowIdText(quint32(row)), kDefaultRowData, QStringLiteral("1000"), kSendCellText},
               true);
}

// Any check state but unchecked (a tristate "partly" too) takes part.
bool rowEnabled(const QTableWidget *table, int row)
{
    const QTableWidgetItem *enable = table->item(row, 3);
    return enable && enable->checkState() != Qt::Unchecked;
}

// The first enabled row from `from` to `to` (both included), or -1.
int firstEnabledRow(const QTableWidget *table, int from, int to)
{
    for (int row = from; row <= to; ++row) {
        if (rowEnabled(table, row))
            return row;
    }
    return -1;
}

} // namespace

void MainWindow::on_btnAutoRemove_clicked()
{
    removeCurrentRow(ui->tableWidget_3);
}

void MainWindow::on_btnAutoInsert_clicked()
{
    setDefaultAutoRow(ui->tableWidget_3, insertRowBelowCurrent(ui->tableWidget_3));
}

void MainWindow::on_btnAutoSave_clicked()
{
    const QTableWidget *table = ui->tableWidget_3;
    TableFileRows rows = tableTexts(table, kAutoColumns);
    for (int row = 0; row < rows.size(); ++row)   // the flag goes before the enable cell's text
        rows[row].insert(3, rowEnabled(table, row) ? QStringLiteral("1") : QStringLiteral("0"));
    const QString fault = saveTableFile(kAutoFile, rows);
    if (!fault.isNull())
        ui->statusbar->showMessage(fault);
}

void MainWindow::on_btnSendSeq_clicked()
{
    const int row = firstEnabledRow(ui->tableWidget_3, 0, ui->tableWidget_3->rowCount() - 1);
    if (row < 0) {
        ui->statusbar->showMessage(QStringLiteral("请检查是否有要发送的数据"));
        return;
    }
    autoSendIndex = row;
    sendAutoRow(row);
}

void MainWindow::timerAutoSendProc()
{
    const QTableWidget *table = ui->tableWidget_3;
    int row = firstEnabledRow(table, autoSendIndex + 1, table->rowCount() - 1);
    // Cycling: from the top, the row sent last included.
    if (row < 0 && ui->checkBoxAutoCycle->isChecked() && autoSendIndex >= 0)
        row = firstEnabledRow(table, 0, qMin(autoSendIndex, table->rowCount() - 1));
    if (row < 0) {
        ui->statusbar->showMessage(QStringLiteral("请检查是否有需要发送的数据"));
        return;
    }
    autoSendIndex = row;
    sendAutoRow(row, true);
}

void MainWindow::on_btnAutoStop_clicked()
{
    if (autoSendTimer->isActive())
        autoSendTimer->stop();
}

void MainWindow::loadAutoTable()
{
    TableFileRows rows;
    if (!readTableFile(kAutoFile, kAutoFields, &rows)) {
        fillDefaultAutoRows();
        return;
    }
    QTableWidget *table = ui->tableWidget_3;
    table->setRowCount(0);
    table->setRowCount(int(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        const QStringList &fields = rows.at(row);
        setAutoRow(table, row, {fields.at(0), fields.at(1), fields.at(2), fields.at(4)},
                   fields.at(3) == QLatin1String("1"));
    }
}

void MainWindow::fillDefaultAutoRows()
{
    for (int row = 0; row < 10 && row < ui->tableWidget_3->rowCount(); ++row)
        setDefaultAutoRow(ui->tableWidget_3, row);
}

// Sends the row and restarts the timer with its interval; a row that fails a
// check leaves the timer as it was.
bool MainWindow::sendAutoRow(int row, bool fromTick)
{
    if (!serialPort->isOpen()) {
        ui->statusbar->showMessage(QStringLiteral("COM端口已关闭，请先打开COM端口"), kPortClosedMs);
        return false;
    }
    const QTableWidget *table = ui->tableWidget_3;
    const QTableWidgetItem *identifier = table->item(row, 0);
    if (!identifier) {
        ui->statusbar->showMessage(QStringLiteral("ID不能为空"));
        return false;
    }
    const QTableWidgetItem *interval = table->item(row, 2);
    if (!interval) {
        ui->statusbar->showMessage(QStringLiteral("发送间隔时间不能为空"));
        return false;
    }
    // Decimal, blanks around allowed; anything unreadable counts as 0.
    const int intervalMs = interval->text().toInt(nullptr, 10);
    if (intervalMs < 1) {
        ui->statusbar->showMessage(QStringLiteral("发送间隔时间值时不对"));
        return false;
    }
    const QTableWidgetItem *data = table->item(row, 1);
    if (!transmitTableFrame(identifier->text(), data ? data->text() : QString()))
        return false;
    // A tick that sends a row of the interval already running leaves the timer
    // as it is: its next timeout then comes one interval after this one was
    // due, so the lateness of single ticks does not add up over a run.
    if (fromTick && autoSendTimer->isActive() && autoSendTimer->interval() == intervalMs)
        return true;
    if (autoSendTimer->isActive())
        autoSendTimer->stop();
    autoSendTimer->start(intervalMs);
    return true;
}
