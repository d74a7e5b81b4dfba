// Auto reply table: answers to received identifiers and reply.txt.

#include "app/mainwindow.h"

void MainWindow::on_btnAutoReplyRemove_clicked()
{
}

void MainWindow::on_btnAutoReplyInsert_clicked()
{
}

void MainWindow::on_btnAutoReplySave_clicked()
{
}

void MainWindow::loadReplyTable()
{
}

void MainWindow::fillDefaultReplyRows()
{
}

void MainWindow::replyToFrame(quint32 identifier)
{
    Q_UNUSED(identifier);
}

void MainWindow::sendReplyRow(int row)
{
    Q_UNUSED(row);
}
