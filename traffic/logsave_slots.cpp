// Saving the traffic view to log files, by hand and automatically.

#include "app/mainwindow.h"

void MainWindow::on_btnViewSave_clicked()
{
}

void MainWindow::on_checkBoxAutoSave_clicked(bool checked)
{
    Q_UNUSED(checked);
}

void MainWindow::timerAutoSaveProc()
{
}
