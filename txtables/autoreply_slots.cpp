// Auto reply table: answers to received identifiers and reply.txt.

#include "app/mainwindow.h"

#include "txtables/celltext.h"
#include "txtables/tablecells.h"
#include "ui_mainwindow.h"

namespace {

const QString kReplyFile = QStringLiteral("reply.txt");
constexpr int kReplyFields = 3;
constexpr int kPortClosedMs = 1000;

void setDefaultReplyRow(QTableWidget *table, int row)
{
    setRowTexts(table, row, {defaultRowIdText(quint32(row) + 0x10), defaultRowIdText(quint32(row) + 0x20),
                             kDefaultRowData});
}

} // namespace

void MainWindow::on_btnAutoReplyRemove_clicked()
{
    removeCurrentRow(ui->tableWidget_4);
}

void MainWindow::on_btnAutoReplyInsert_clicked()
{
    setDefaultReplyRow(ui->tableWidget_4, insertRowBelowCurrent(ui->tableWidget_4));
}

void MainWindow::on_btnAutoReplySave_clicked()
{
    const QString fault = saveTableFile(kReplyFile, tableTexts(ui->tableWidget_4, kReplyFields));
    if (!fault.isNull())
        ui->statusbar->showMessage(fault);
}

void MainWindow::loadReplyTable()
{
    TableFileRows rows;
    if (!readTableFile(kReplyFile, kReplyFields, &rows)) {
        fillDefaultReplyRows();
        return;
    }
    QTableWidget *table = ui->tableWidget_4;
    table->setRowCount(0);
    table->setRowCount(int(rows.size()));
    for (int row = 0; row < rows.size(); ++row)
        setRowTexts(table, row, rows.at(row).mid(0, kReplyFields));
}

void MainWindow::fillDefaultReplyRows()
{
    for (int row = 0; row < 10 && row < ui->tableWidget_4->rowCount(); ++row)
        setDefaultReplyRow(ui->tableWidget_4, row);
}

// Every row whose receive identifier reads as `identifier` answers, in table
// order. A receive identifier that does not read as one matches nothing.
void MainWindow::replyToFrame(quint32 identifier)
{
    if (!ui->checkBoxReplyAuto->isChecked())
        return;
    const QTableWidget *table = ui->tableWidget_4;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem *received = table->item(row, 0);
        quint32 value = 0;
        if (received && parseIdentifierText(received->text(), &value) && value == identifier)
            sendReplyRow(row);
    }
}

void MainWindow::sendReplyRow(int row)
{
    if (!serialPort->isOpen()) {
        ui->statusbar->showMessage(QStringLiteral("The COM port is closed, please open the COM port first"),
                                   kPortClosedMs);
        return;
    }
    const QTableWidget *table = ui->tableWidget_4;
    const QTableWidgetItem *identifier = table->item(row, 1);
    if (!identifier) {
        ui->statusbar->showMessage(QStringLiteral("ID不能为空"));
        return;
    }
    const QTableWidgetItem *data = table->item(row, 2);
    transmitTableFrame(identifier->text(), data ? data->text() : QString());
}
