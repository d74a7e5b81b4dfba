#include "app/mainwindow.h"

#include <QHeaderView>
#include <QTimer>

#include <cerrno>

#include "app/columnwidths.h"
#include "link/serialline.h"
#include "traffic/traffictext.h"
#include "ui_mainwindow.h"

int nextTrafficRow = 0;
QStringList statisticsIds;
int savedRowCount = 0;

namespace {
constexpr int PaddedFieldWidth = 20;
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
    , serialPort(nullptr)
    , portOpen(false)
    , paused(false)
    , receiveOnly(false)
    , statisticsMode(false)
    , rowLimit(1000)
    , autoSendTimer(nullptr)
    , autoSendIndex(0)
    , autoSaveTimer(nullptr)
    , trafficRefresh(nullptr)
    , receiveFlushTimer(nullptr)
{
    ui->setupUi(this);
    setUpTrafficView();

    for (int k = 0; k < PaddedFieldWidth; ++k)
        columnPadding.append(QString(PaddedFieldWidth - k, QLatin1Char(' ')));

    autoSendIndex = 0;

    ui->checkBoxOverlayDisplay->setChecked(false);
    ui->checkBoxOverlayDisplay->setEnabled(false);

    const int trafficWidths[] = {30, 60, 80, 100, 120, 80, 100, 160};
    for (int c = 0; c < 8; ++c)
        ui->tableWidget->setColumnWidth(c, trafficWidths[c]);
    // The widths are the least; the font may need more for a time, an
    // identifier or eight data bytes on one line.
    const QFontMetrics trafficMetrics = ui->tableWidget->fontMetrics();
    widenColumnToFit(ui->tableWidget, 2, widestTimeText());
    widenColumnToFit(ui->tableWidget, 5, widestIdentifierText(trafficMetrics));
    widenColumnToFit(ui->tableWidget, 7, widestDataText(trafficMetrics));
    ui->tableWidget->verticalHeader()->setVisible(false);
    ui->tableWidget->setHorizontalHeaderLabels(trafficHeaderLabels());

    ui->tableWidget_2->setHorizontalHeaderLabels(
        {QStringLiteral("Id(16进制)"), QStringLiteral("数据(16进制)"), QStringLiteral("手动发送")});
    ui->tableWidget_2->setEditTriggers(QAbstractItemView::NoEditTriggers);

    const int autoWidths[] = {90, 170, 80, 90};
    for (int c = 0; c < 4; ++c)
        ui->tableWidget_3->setColumnWidth(c, autoWidths[c]);
    widenSendTableColumns(ui->tableWidget_3, {0}, 1);
    ui->tableWidget_3->setHorizontalHeaderLabels({QStringLiteral("Id(16进制)"), QStringLiteral("数据(16进制)"),
                                                  QStringLiteral("间隔时间(ms)"), QStringLiteral("使能")});

    const int replyWidths[] = {110, 110, 190};
    for (int c = 0; c < 3; ++c)
        ui->tableWidget_4->setColumnWidth(c, replyWidths[c]);
    widenSendTableColumns(ui->tableWidget_4, {0, 1}, 2);
    ui->tableWidget_4->setHorizontalHeaderLabels({QStringLiteral("接受Id(16进制)"), QStringLiteral("回复Id(16进制)"),
                                                  QStringLiteral("回复数据(16进制)")});

    ui->tableWidget_5->setHorizontalHeaderLabels({QStringLiteral("接受Id(16进制)")});

    loadConfig();
    loadManualTable();
    loadAutoTable();
    loadReplyTable();
    loadReceiveIds();

    autoSendTimer = new QTimer(this);
    autoSendTimer->setTimerType(Qt::PreciseTimer);
    connect(autoSendTimer, &QTimer::timeout, this, &MainWindow::timerAutoSendProc);
    autoSaveTimer = new QTimer(this);
    connect(autoSaveTimer, &QTimer::timeout, this, &MainWindow::timerAutoSaveProc);

    findPorts();

    ui->toolBox->setCurrentIndex(0);

    serialPort = new QSerialPort(this);
    connect(serialPort, &QSerialPort::readyRead, this, &MainWindow::rev_process);
    receiveFlushTimer = new QTimer(this);
    receiveFlushTimer->setSingleShot(true);
    receiveFlushTimer->setInterval(ConverterQuietMs);
    connect(receiveFlushTimer, &QTimer::timeout, this, &MainWindow::flushReceivedBytes);
    // Handled later: the port must not be closed from inside its own notifier.
    // Whether the line is merely full is asked now, while the failed call has
    // left its system error and its bytes are still waiting.
    connect(serialPort, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        const bool full = error == QSerialPort::ResourceError && lineMerelyFull(errno);
        QMetaObject::invokeMethod(this, [this, error, full] { handlePortError(error, full); },
                                  Qt::QueuedConnection);
    });
}

MainWindow::~MainWindow()
{
    autoSaveBeforeClosing();
    delete ui;
}
