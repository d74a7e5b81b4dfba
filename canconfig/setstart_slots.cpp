// Set-and-start command and the configuration file cfg.txt.

#include "app/mainwindow.h"

#include "files/textfile.h"
#include "canconfig/configfile.h"
#include "ui_mainwindow.h"

namespace {

const QString ConfigFileName = QStringLiteral("cfg.txt");
constexpr int PortClosedMessageMs = 1000;

// The page's boxes and switches as set-and-start settings; its prescaler,
// filter and mask are texts still.
SetStartSettings pageChoices(const Ui_MainWindow &ui)
{
    SetStartSettings s;
    s.manualTiming = ui.checkBoxManualBps->isChecked();
    s.variableFraming = ui.radioBtnVariable->isChecked();
    s.speedIndex = ui.cbBoxCANbps->currentIndex();
    s.frameTypeIndex = ui.cbBoxType->currentIndex();
    s.modeIndex = ui.comboBoxMode->currentIndex();
    s.retransmit = !ui.checkBoxSendOnce->isChecked();
    s.syncIndex = ui.cbBoxSYNC->currentIndex();
    s.phase1Index = ui.cbBoxBP1->currentIndex();
    s.phase2Index = ui.cbBoxBP2->currentIndex();
    return s;
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

// The page as the line cfg.txt stores: the line is saved, and the settings it
// gives (those a program reading the file sends, with the page's SJW) sent.
void MainWindow::on_btnSetStart_clicked()
{
    if (reportPortClosed())
        return;
    SetStartSettings s = pageChoices(*ui);
    const ConfigLine line = configLineFor(s, ui->cbBoxBps->currentIndex(), ui->lineEditPrescale->text(),
                                          ui->lineEditCANBps->text(), ui->lineEditFilter->text(),
                                          ui->lineEditMask->text());
    if (const ConfigRefusal refusal = readConfigLine(line, &s); refusal != ConfigRefusal::None) {
        ui->statusbar->showMessage(refusal == ConfigRefusal::Prescaler
                                       ? QStringLiteral("预分频（十进制）值错误，不在（1~1023）范围内")
                                       : QStringLiteral("滤波ID或屏蔽ID值错误，请输入16进制数"));
        return;
    }
    if (!writeTextFile(ConfigFileName, configFileText(line)))
        ui->statusbar->showMessage(fileSaveFailedText(ConfigFileName));
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
        // Read onto the page: a text naming no item leaves its box alone.
        SetStartSettings s = pageChoices(*ui);
        readConfigLine(c, &s);
        if (const int i = int(configItems(ConfigBox::PortSpeed).indexOf(c.portSpeed)); i >= 0)
            ui->cbBoxBps->setCurrentIndex(i);
        ui->comboBoxMode->setCurrentIndex(s.modeIndex);
        ui->cbBoxType->setCurrentIndex(s.frameTypeIndex);
        // Selecting the bus speed applies its table row first, so the stored
        // timing and then the stored speed text win.
        ui->cbBoxCANbps->setCurrentIndex(s.speedIndex);
        ui->cbBoxBP1->setCurrentIndex(s.phase1Index);
        ui->cbBoxBP2->setCurrentIndex(s.phase2Index);
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

void MainWindow::applyDefaultConfig()
{
    const SetStartSettings d = defaultSetStartSettings();
    ui->cbBoxBps->setCurrentIndex(0);
    ui->lineEditCANBps->hide();
    ui->cbBoxBP1->setEnabled(false);
    ui->cbBoxBP2->setEnabled(false);
    ui->lineEditPrescale->setEnabled(false);
    ui->cbBoxCANbps->setCurrentIndex(d.speedIndex);
    ui->cbBoxBP1->setCurrentIndex(d.phase1Index);
    ui->cbBoxBP2->setCurrentIndex(d.phase2Index);
    ui->lineEditPrescale->setText(QString::number(d.prescaler));
}
