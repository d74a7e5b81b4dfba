// Receive identifier filter: the table, receiveID.txt and the filter command.

#include "app/mainwindow.h"

void MainWindow::on_btnReceiveRemove_clicked()
{
}

void MainWindow::on_btnREceiveInsert_clicked()
{
}

void MainWindow::on_btnReceiveSave_clicked()
{
}

void MainWindow::on_btnReceiveSet_clicked()
{
}

void MainWindow::loadReceiveIds()
{
}
