// CAN bit-timing panel: table timing, manual timing and the computed bus speed.

#include "app/mainwindow.h"

#include "canconfig/bittiming.h"
#include "ui_mainwindow.h"

void MainWindow::on_cbBoxCANbps_currentIndexChanged(int index)
{
    const BitTimingRow *row = bitTimingRow(index);
    if (!row)
        return;
    ui->cbBoxBP1->setCurrentIndex(row->phase1Index);
    ui->cbBoxBP2->setCurrentIndex(row->phase2Index);
    ui->lineEditPrescale->setText(QString::number(row->prescaler));
}

void MainWindow::on_cbBoxBP1_currentIndexChanged(int index)
{
    showComputedBusSpeed(index, ui->cbBoxBP2->currentIndex(), ui->lineEditPrescale->text());
}

void MainWindow::on_cbBoxBP2_currentIndexChanged(int index)
{
    showComputedBusSpeed(ui->cbBoxBP1->currentIndex(), index, ui->lineEditPrescale->text());
}

void MainWindow::on_lineEditPrescale_textChanged(const QString &arg1)
{
    showComputedBusSpeed(ui->cbBoxBP1->currentIndex(), ui->cbBoxBP2->currentIndex(), arg1);
}

void MainWindow::showComputedBusSpeed(int phase1Index, int phase2Index, const QString &prescalerText)
{
    const std::optional<QString> text =
        busSpeedText(ui->cbBoxSYNC->currentIndex(), phase1Index, phase2Index, prescalerText);
    if (text)
        ui->lineEditCANBps->setText(*text);
}

void MainWindow::on_checkBoxManualBps_clicked(bool checked)
{
    ui->lineEditCANBps->setVisible(checked);
    ui->cbBoxCANbps->setVisible(!checked);
    ui->cbBoxBP1->setEnabled(checked);
    ui->cbBoxBP2->setEnabled(checked);
    ui->lineEditPrescale->setEnabled(checked);
    if (!checked)
        on_cbBoxCANbps_currentIndexChanged(ui->cbBoxCANbps->currentIndex());
}
