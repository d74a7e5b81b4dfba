// Listing, opening and closing the converter's serial port.

#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include "link/serialline.h"

void MainWindow::findPorts()
{
    portInfos = QSerialPortInfo::availablePorts();
    QStringList names;
    for (const QSerialPortInfo &info : std::as_const(portInfos))
        names.append(info.portName());
    ui->cbBoxPort->clear();
    ui->cbBoxPort->addItems(names);
}

void MainWindow::on_btnFind_clicked()
{
    findPorts();
}

void MainWindow::on_btnOpenClose_clicked()
{
    if (portOpen) {
        closePort();
        ui->statusbar->showMessage(QStringLiteral("端口已关闭"));
        return;
    }
    serialPort->setPortName(ui->cbBoxPort->currentText());
    serialPort->setBaudRate(ui->cbBoxBps->currentText().toInt());
    serialPort->open(QIODevice::ReadWrite);
    if (!serialPort->isOpen()) {
        ui->statusbar->showMessage(QStringLiteral("COM端口可能不存在或已被占用，请检查"));
        return;
    }
    receiveScanner.reset();
    ui->statusbar->showMessage(QStringLiteral("端口正常打开"));
    ui->btnOpenClose->setText(QStringLiteral("关闭"));
    ui->btnSetStart->setEnabled(true);
    ui->btnCANBusStatus->setEnabled(true);
    portOpen = true;
}

// The closed state, as after a click on "关闭".
void MainWindow::closePort()
{
    serialPort->close();
    receiveScanner.reset();
    ui->btnOpenClose->setText(QStringLiteral("打开"));
    ui->btnSetStart->setEnabled(false);
    ui->btnCANBusStatus->setEnabled(false);
    portOpen = false;
}

bool MainWindow::lineMerelyFull(int systemError) const
{
    return serialLineMerelyFull(*serialPort, systemError);
}

// The port is useless once the converter is lost, so it is closed instead of
// failing again and again.
void MainWindow::handlePortError(QSerialPort::SerialPortError error, bool lineFull)
{
    if (!serialPortLost(error, lineFull)) {
        if (lineFull)
            serialPort->clearError();
        return;
    }
    if (!portOpen || !serialPort->isOpen())
        return;
    closePort();
    serialPort->clearError();
    ui->statusbar->showMessage(QStringLiteral("COM端口已断开，请检查转换器连接"));
}
