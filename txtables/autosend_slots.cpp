// Auto send table: timed sequences of frames and auto.txt.

#include "app/mainwindow.h"

void MainWindow::on_btnAutoRemove_clicked()
{
}

void MainWindow::on_btnAutoInsert_clicked()
{
}

void MainWindow::on_btnAutoSave_clicked()
{
}

void MainWindow::on_btnSendSeq_clicked()
{
}

void MainWindow::timerAutoSendProc()
{
}

void MainWindow::on_btnAutoStop_clicked()
{
}

void MainWindow::loadAutoTable()
{
}

void MainWindow::fillDefaultAutoRows()
{
}

bool MainWindow::sendAutoRow(int row)
{
    Q_UNUSED(row);
    return false;
}
