// Bus status query and reply, and the converter port speed change.

#include "app/mainwindow.h"

void MainWindow::on_btnCANBusStatus_clicked()
{
}

void MainWindow::on_btnChangeBps_clicked()
{
}

void MainWindow::showBusStatus(const QByteArray &payload)
{
    Q_UNUSED(payload);
}
