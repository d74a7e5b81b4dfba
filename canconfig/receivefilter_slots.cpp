// Receive identifier filter: the table, receiveID.txt and the filter command.

#include "app/mainwindow.h"

#include <QMessageBox>

#include "files/textfile.h"
#include "canconfig/convertercommands.h"
#include "canconfig/receiveids.h"
#include "ui_mainwindow.h"

namespace {

const QString ReceiveIdFileName = QStringLiteral("receiveID.txt");

QList<ReceiveIdCell> receiveIdCells(const QTableWidget *table)
{
    QList<ReceiveIdCell> cells;
    cells.reserve(table->rowCount());
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem *item = table->item(row, 0);
        cells.append(item ? ReceiveIdCell(item->text()) : std::nullopt);
    }
    return cells;
}

} // namespace

void MainWindow::on_btnReceiveRemove_clicked()
{
    const int row = ui->tableWidget_5->currentRow();
    if (row >= 0)
        ui->tableWidget_5->removeRow(row);
}

void MainWindow::on_btnREceiveInsert_clicked()
{
    ui->tableWidget_5->insertRow(ui->tableWidget_5->rowCount());
}

void MainWindow::on_btnReceiveSave_clicked()
{
    const QString fault = saveReceiveIdFile(ReceiveIdFileName, receiveIdCells(ui->tableWidget_5));
    if (!fault.isNull())
        ui->statusbar->showMessage(fault);
}

void MainWindow::on_btnReceiveSet_clicked()
{
    if (reportPortClosed())
        return;
    if (ui->radioBtnUploadAll->isChecked()) {
        serialPort->write(receiveFilterCommand(ReceiveFilterCode::NoUpload, {}));
        return;
    }
    const quint8 code = ui->radioBtnNoUpload->isChecked() ? ReceiveFilterCode::NoUpload
                                                          : ReceiveFilterCode::UploadOnly;
    const QString title = QStringLiteral("配置接收ID");
    if (ui->tableWidget_5->rowCount() == 0) {
        QMessageBox::critical(this, title, QStringLiteral("项目中没有ID数据，请检查"));
        return;
    }
    const ReceiveIdList list = receiveIdsFromRows(receiveIdCells(ui->tableWidget_5));
    switch (list.fault) {
    case ReceiveIdList::Fault::TooMany:
        QMessageBox::critical(this, title, QStringLiteral("接收ID表的数量不能超过50."));
        return;
    case ReceiveIdList::Fault::BadRow:
        QMessageBox::critical(this, title,
                              QStringLiteral("接收ID表第%1行的ID值错误，请检查").arg(list.badRow + 1));
        return;
    case ReceiveIdList::Fault::None:
        break;
    }
    serialPort->write(receiveFilterCommand(code, list.identifiers));
}

void MainWindow::loadReceiveIds()
{
    QStringList texts;
    if (!readReceiveIdFile(ReceiveIdFileName, &texts))
        return;
    QTableWidget *table = ui->tableWidget_5;
    table->setRowCount(0);
    table->setRowCount(int(texts.size()));
    for (int row = 0; row < texts.size(); ++row)
        table->setItem(row, 0, new QTableWidgetItem(texts.at(row)));
}
