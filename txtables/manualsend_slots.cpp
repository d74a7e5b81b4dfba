// Manual send table, manual.txt and the transmit step shared by all send tables.

#include "app/mainwindow.h"

void MainWindow::on_tableWidget_2_cellClicked(int row, int column)
{
    Q_UNUSED(row);
    Q_UNUSED(column);
}

void MainWindow::on_btnManualRemove_clicked()
{
}

void MainWindow::on_btnManualINsert_clicked()
{
}

void MainWindow::on_btnManualSave_clicked()
{
}

void MainWindow::on_checkBoxEnableManual_clicked(bool checked)
{
    Q_UNUSED(checked);
}

void MainWindow::loadManualTable()
{
}

void MainWindow::fillDefaultManualRows()
{
}

void MainWindow::transmitTableFrame(const QString &identifierText, const QString &dataText)
{
    Q_UNUSED(identifierText);
    Q_UNUSED(dataText);
}
