// CAN bit-timing panel: table timing, manual timing and the computed bus speed.

#include "app/mainwindow.h"

void MainWindow::on_cbBoxCANbps_currentIndexChanged(int index)
{
    Q_UNUSED(index);
}

void MainWindow::on_cbBoxBP1_currentIndexChanged(int index)
{
    Q_UNUSED(index);
}

void MainWindow::on_cbBoxBP2_currentIndexChanged(int index)
{
    Q_UNUSED(index);
}

void MainWindow::on_lineEditPrescale_textChanged(const QString &arg1)
{
    Q_UNUSED(arg1);
}

void MainWindow::on_checkBoxManualBps_clicked(bool checked)
{
    Q_UNUSED(checked);
}
