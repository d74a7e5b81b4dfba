#ifndef TAVICON_MAINWINDOW_H
#define TAVICON_MAINWINDOW_H

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QString>
#include <QStringList>

#include "link/canframe.h"
#include "link/framescanner.h"

class QTimer;
class TrafficRefresh;
class TrafficRowContent;
QT_BEGIN_NAMESPACE
class Ui_MainWindow;
QT_END_NAMESPACE

// The one window of the program: it owns all state and all slots. Slots are
// defined in the folder of the subsystem they belong to.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void on_btnOpenClose_clicked();
    void rev_process();
    void on_tableWidget_2_cellClicked(int row, int column);
    void on_btnFind_clicked();
    void on_cbBoxCANbps_currentIndexChanged(int index);
    void on_cbBoxBP1_currentIndexChanged(int index);
    void on_cbBoxBP2_currentIndexChanged(int index);
    void on_lineEditPrescale_textChanged(const QString &arg1);
    void on_checkBoxManualBps_clicked(bool checked);
    void on_btnSetStart_clicked();
    void on_lineEditTotal_textChanged(const QString &arg1);
    void on_btnViewClear_clicked();
    void on_checkBoxPause_clicked(bool checked);
    void on_checkBoxOnlyRev_clicked(bool checked);
    void on_checkBoxOverlayDisplay_clicked(bool checked);
    void on_btnViewSave_clicked();
    void on_btnManualRemove_clicked();
    void on_btnManualINsert_clicked();
    void on_btnManualSave_clicked();
    void on_btnAutoRemove_clicked();
    void on_btnAutoInsert_clicked();
    void on_btnAutoSave_clicked();
    void on_btnSendSeq_clicked();
    void timerAutoSendProc();
    void on_btnAutoStop_clicked();
    void on_btnAutoReplyRemove_clicked();
    void on_btnAutoReplyInsert_clicked();
    void on_btnAutoReplySave_clicked();
    void on_checkBoxAutoSave_clicked(bool checked);
    void timerAutoSaveProc();
    void on_btnCANBusStatus_clicked();
    void on_btnChangeBps_clicked();
    void on_btnReceiveRemove_clicked();
    void on_btnREceiveInsert_clicked();
    void on_btnReceiveSave_clicked();
    void on_btnReceiveSet_clicked();
    void on_checkBoxEnableManual_clicked(bool checked);

private:
    // Serial port (link/serialport_slots.cpp)
    void findPorts();
    void closePort();
    void handlePortError(QSerialPort::SerialPortError error, bool lineFull);
    bool lineMerelyFull(int systemError) const;

    // Traffic view (traffic/trafficview_slots.cpp)
    void setUpTrafficView();
    void appendTrafficRow(const QStringList &texts);
    void appendReceivedRow(const CanFrame &frame);
    void appendTrafficRow(const TrafficRowContent &content);
    bool showStatisticsRow(const CanFrame &frame, FrameFraming framing);
    void fillTrafficRow(int row, const TrafficRowContent &content);
    void clearTrafficCells();
    void highlightTrafficRow(int row, const QString &styleSheet);
    void holdTrafficScrolling();
    void releaseTrafficScrolling();

    // Traffic log (traffic/logsave_slots.cpp)
    QByteArray trafficLogHeader() const;
    int trafficLogRows(int from, int end, QByteArray *lines) const;
    bool autoSaveRunning() const;
    void appendAutoSaveRows(int end);
    void startNewAutoSaveFile();
    void autoSaveAtWrap();
    void autoSaveBeforeReset();
    void autoSaveBeforeClosing();
    void reportAutoSaveFailure(const QString &fileName);

    // Converter commands (canconfig/)
    void showBusStatus(const QByteArray &payload);
    void showComputedBusSpeed(int phase1Index, int phase2Index, const QString &prescalerText);
    bool reportPortClosed();
    void loadConfig();
    void applyDefaultConfig();
    void loadReceiveIds();

    // Send tables (txtables/)
    void loadManualTable();
    void fillDefaultManualRows();
    bool transmitTableFrame(const QString &identifierText, const QString &dataText);
    void loadAutoTable();
    void fillDefaultAutoRows();
    bool sendAutoRow(int row, bool fromTick = false);
    void loadReplyTable();
    void fillDefaultReplyRows();
    void replyToFrame(quint32 identifier);
    void sendReplyRow(int row);

    Ui_MainWindow *ui;
    QSerialPort *serialPort;
    QList<QSerialPortInfo> portInfos;
    bool portOpen;
    bool paused;
    bool receiveOnly;
    bool statisticsMode;
    int rowLimit;
    QTimer *autoSendTimer;
    int autoSendIndex;
    QString autoSaveFileName;
    QTimer *autoSaveTimer;
    QStringList columnPadding;
    TrafficRefresh *trafficRefresh;
    // The automatic log starts a new file at its next save.
    bool autoSaveNewFileDue = false;

    // Receive path state: bytes of a frame still incomplete at the end of the
    // last delivery, and the timer that gives up on them once the line is quiet.
    class ReceivedFrameDispatch;
    void flushReceivedBytes();
    FrameScanner receiveScanner;
    QTimer *receiveFlushTimer;
};

// Program-wide values, one per process, zero at start.
extern int nextTrafficRow;
extern QStringList statisticsIds;
extern int savedRowCount;

#endif // TAVICON_MAINWINDOW_H
