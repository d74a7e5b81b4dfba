// Listing, opening and closing the converter's serial port.

#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include <cerrno>
#ifdef Q_OS_UNIX
#include <poll.h>
#endif

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

// A write that finds the line's buffer full (the converter reads slower than
// frames are sent) is reported as a resource error too, with the system error
// EAGAIN; the bytes stay queued and leave when the line takes them. A read at a
// line that has gone can leave a stale EAGAIN behind as well, so the line
// itself is asked: still there, no hang-up, and bytes waiting to be written.
bool MainWindow::lineMerelyFull(int systemError) const
{
#ifdef Q_OS_UNIX
    if (systemError != EAGAIN && systemError != EWOULDBLOCK)
        return false;
    if (!serialPort->isOpen() || serialPort->bytesToWrite() == 0)
        return false;
    pollfd line { int(serialPort->handle()), POLLIN | POLLOUT, 0 };
    return ::poll(&line, 1, 0) >= 0 && !(line.revents & (POLLHUP | POLLERR | POLLNVAL));
#else
    Q_UNUSED(systemError);
    return false;
#endif
}

// A converter unplugged under an open port makes every further read fail; the
// port is useless then, so it is closed instead of failing again and again.
void MainWindow::handlePortError(QSerialPort::SerialPortError error, bool lineFull)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (lineFull) {
        serialPort->clearError();
        return;
    }
    if (!portOpen || !serialPort->isOpen())
        return;
    closePort();
    serialPort->clearError();
    ui->statusbar->showMessage(QStringLiteral("COM端口已断开，请检查转换器连接"));
}
