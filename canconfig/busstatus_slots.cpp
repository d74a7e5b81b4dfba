// Bus status query and reply, and the converter port speed change.

#include "app/mainwindow.h"

#include <QMessageBox>

#include "canconfig/busstatustext.h"
#include "canconfig/convertercommands.h"
#include "ui_mainwindow.h"

namespace {

const char SpeedChangeConfirmation[] =
    "单击“OK”按钮后，转换器的波特率将更改为您新设置的波特率。\n"
    "\n"
    "如果您想再次与转换器通信，上位机软件端口波特率需要选择\n"
    "更改后新的波特率，然后单击“打开”重新使用。\n"
    "\n"
    "如何知道当前转换器内部的端口波特率：\n"
    "当转换器刚通电时，接收和发送指示灯将同时闪烁\n"
    "同时闪烁一次：转换器的内部波特率为2000000bps \n"
    "同时闪烁两次：转换器内部波特率为1228800bps\n"
    "同时闪烁三次：转换器内波特率为115200bps\n"
    "同时闪烁四次：转换器内部波特率为38400bps\n"
    "同时闪烁五次：转换器的内部波特率为19200bps \n"
    "同时闪烁六次：转换器内部的波特率为9600bps";

} // namespace

void MainWindow::on_btnCANBusStatus_clicked()
{
    if (reportPortClosed())
        return;
    serialPort->write(busStatusQuery());
    ui->statusbar->showMessage(QStringLiteral("无法读取Can总线状态。请检查转换器的波特率和端口，或者在恢复默认值后重试."));
}

void MainWindow::on_btnChangeBps_clicked()
{
    const QMessageBox::StandardButton answer = QMessageBox::information(
        this, QStringLiteral("更改转换器内部端口波特率"), QString::fromUtf8(SpeedChangeConfirmation),
        QMessageBox::Ok | QMessageBox::Cancel);
    if (answer != QMessageBox::Ok)
        return;
    if (reportPortClosed())
        return;
    serialPort->write(speedChangeCommand(ui->cbBoxChangeBps->currentIndex()));
    ui->statusbar->showMessage(QStringLiteral("无法读取Can总线状态。请检查转换器的波特率和端口，或者在恢复默认值后重试."));
}

void MainWindow::showBusStatus(const QByteArray &payload)
{
    ui->statusbar->showMessage(busStatusText(payload));
}
