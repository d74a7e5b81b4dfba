// Set-and-start command and the configuration file cfg.txt.

#include "app/mainwindow.h"

#include "files/textfile.h"
#include "canconfig/bittiming.h"
#include "canconfig/configfile.h"
#include "canconfig/convertercommands.h"
#include "ui_mainwindow.h"

namespace {

const QString ConfigFileName = QStringLiteral("cfg.txt");
constexpr int PortClosedMessageMs = 1000;

// Selects the item with this text; a text that names no item leaves the box alone.
void selectItemText(QComboBox *box, const QString &text)
{
    const int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        box->setCurrentIndex(index);
}

} // namespace

// Commands need the port: true (and the message shown) when it is closed.
bool MainWindow::reportPortClosed()
{
    if (serialPort->isOpen())
        return false;
    ui->statusbar->showMessage(QStringLiteral("COM端口已关闭，请先打开COM端口"), PortClosedMessageMs);
    return true;
}

void MainWindow::on_btnSetStart_clicked()
{
    if (reportPortClosed())
        return;
    const std::optional<int> prescaler = prescalerValue(ui->lineEditPrescale->text());
    if (!prescaler || !prescalerInRange(*prescaler)) {
        ui->statusbar->showMessage(QStringLiteral("预分频（十进制）值错误，不在（1~1023）范围内"));
        return;
    }
    SetStartSettings s;
    if (!parseFilterText(ui->lineEditFilter->text(), &s.filter)
        || !parseFilterText(ui->lineEditMask->text(), &s.mask)) {
        ui->statusbar->showMessage(QStringLiteral("滤波ID或屏蔽ID值错误，请输入16进制数"));
        return;
    }
    saveConfig();

    s.manualTiming = ui->checkBoxManualBps->isChecked();
    s.variableFraming = ui->radioBtnVariable->isChecked();
    s.speedIndex = ui->cbBoxCANbps->currentIndex();
    s.frameTypeIndex = ui->cbBoxType->currentIndex();
    s.modeIndex = ui->comboBoxMode->currentIndex();
    s.retransmit = !ui->checkBoxSendOnce->isChecked();
    s.syncIndex = ui->cbBoxSYNC->currentIndex();
    s.phase1Index = ui->cbBoxBP1->currentIndex();
    s.phase2Index = ui->cbBoxBP2->currentIndex();
    s.prescaler = *prescaler;
    serialPort->write(setStartCommand(s));
}

void MainWindow::loadConfig()
{
    bool anyLine = false;
    const bool opened = forEachTextLine(ConfigFileName, [this, &anyLine](const QByteArray &line) {
        anyLine = true;
        ConfigLine c;
        if (!parseConfigFields(simplifiedLineFields(line), &c)) {
            applyDefaultConfig();
            return false;
        }
        // Selecting the bus speed applies its table row first, so the stored
        // timing and then the stored speed text win.
        selectItemText(ui->cbBoxBps, c.portSpeed);
        selectItemText(ui->comboBoxMode, c.mode);
        selectItemText(ui->cbBoxType, c.frameType);
        selectItemText(ui->cbBoxCANbps, c.canSpeed);
        selectItemText(ui->cbBoxBP1, c.phase1);
        selectItemText(ui->cbBoxBP2, c.phase2);
        ui->lineEditPrescale->setText(c.prescaler);
        ui->lineEditCANBps->setText(c.busSpeed);
        ui->lineEditFilter->setText(c.filter);
        ui->lineEditMask->setText(c.mask);
        ui->checkBoxManualBps->setChecked(c.manualTiming);
        ui->lineEditCANBps->setVisible(c.manualTiming);
        ui->checkBoxSendOnce->setChecked(c.sendOnce);
        if (c.fixedFraming)
            ui->radioBtnFixed->setChecked(true);
        else
            ui->radioBtnVariable->setChecked(true);
        return true;
    });
    // An empty file holds no configuration, as a missing one.
    if (!opened || !anyLine)
        applyDefaultConfig();
}

void MainWindow::saveConfig()
{
    ConfigLine c;
    c.portSpeed = ui->cbBoxBps->currentText();
    c.mode = ui->comboBoxMode->currentText();
    c.frameType = ui->cbBoxType->currentText();
    c.canSpeed = ui->cbBoxCANbps->currentText();
    c.phase1 = ui->cbBoxBP1->currentText();
    c.phase2 = ui->cbBoxBP2->currentText();
    c.prescaler = ui->lineEditPrescale->text();
    c.busSpeed = ui->lineEditCANBps->text();
    c.filter = ui->lineEditFilter->text();
    c.mask = ui->lineEditMask->text();
    c.manualTiming = ui->checkBoxManualBps->isChecked();
    c.sendOnce = ui->checkBoxSendOnce->isChecked();
    c.fixedFraming = ui->radioBtnFixed->isChecked();
    if (!writeTextFile(ConfigFileName, configFileText(c)))
        ui->statusbar->showMessage(fileSaveFailedText(ConfigFileName));
}

void MainWindow::applyDefaultConfig()
{
    ui->cbBoxBps->setCurrentIndex(0);
    ui->lineEditCANBps->hide();
    ui->cbBoxBP1->setEnabled(false);
    ui->cbBoxBP2->setEnabled(false);
    ui->lineEditPrescale->setEnabled(false);
    ui->cbBoxCANbps->setCurrentIndex(0);
    ui->cbBoxBP1->setCurrentIndex(5);
    ui->cbBoxBP2->setCurrentIndex(4);
    ui->lineEditPrescale->setText(QStringLiteral("3"));
}
