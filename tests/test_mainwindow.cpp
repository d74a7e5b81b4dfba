// The real main window right after construction: what the constructor changes
// on top of the form, the objects it creates, and the window's slot table.

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBox>

#include "support/windowharness.h"

namespace {

QPoint cellCenter(const QTableWidget *table, int row, int column)
{
    return table->visualRect(table->model()->index(row, column)).center();
}

// What a cell of `text` needs on one line in the view's font and style: the
// view's own size hint for a column holding it.
int oneLineWidth(const QTableWidget *view, const QString &text)
{
    QTableWidget probe(1, 1);
    probe.setFont(view->font());
    probe.setStyle(view->style());
    probe.horizontalHeader()->hide();
    probe.setItem(0, 0, new QTableWidgetItem(text));
    probe.resizeColumnToContents(0);
    return probe.columnWidth(0);
}

// The widest identifier, data or time text in any hexadecimal digit the tables write.
int widestTextWidth(const QTableWidget *view, const QString &kind)
{
    if (kind == QLatin1String("time"))
        return oneLineWidth(view, QStringLiteral("23:59:59 999"));
    int widest = 0;
    for (const QChar digit : QStringLiteral("0123456789abcdef")) {
        const QString text = kind == QLatin1String("id") ? QStringLiteral("0x") + QString(8, digit)
                                                         : QStringList(8, QString(2, digit)).join(' ');
        widest = qMax(widest, oneLineWidth(view, text));
    }
    return widest;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsOnBasicConfigurationPage();
    void statisticsModeNeedsReceivedOnly();
    void manualTableNotEditedInPlace();
    void headerLabels_data();
    void headerLabels();
    void columnWidths_data();
    void columnWidths();
    void trafficViewStartsEmpty();
    void portClosedAtStart();
    void timersCreatedStopped();
    void slotTable_data();
    void slotTable();
    void metaObject();

private:
    std::unique_ptr<WindowHarness> harness;
};

void TestMainWindow::init()
{
    harness = std::make_unique<WindowHarness>();
    QVERIFY(QTest::qWaitForWindowExposed(&harness->window()));
}

void TestMainWindow::cleanup()
{
    harness.reset();
}

void TestMainWindow::startsOnBasicConfigurationPage()
{
    auto *box = harness->widget<QToolBox>("toolBox");
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(box->currentWidget()->objectName(), QStringLiteral("page"));
    QCOMPARE(harness->window().windowTitle(), QStringLiteral("Tavicon V2.0"));
}

void TestMainWindow::statisticsModeNeedsReceivedOnly()
{
    auto *statistics = harness->widget<QCheckBox>("checkBoxOverlayDisplay");
    auto *receivedOnly = harness->widget<QCheckBox>("checkBoxOnlyRev");
    QVERIFY(!statistics->isChecked());
    QVERIFY(!statistics->isEnabled());

    harness->click("checkBoxOverlayDisplay");
    QVERIFY(!statistics->isChecked());

    harness->click("checkBoxOnlyRev");
    QVERIFY(receivedOnly->isChecked());
    QVERIFY(statistics->isEnabled());
    QVERIFY(!statistics->isChecked());
}

void TestMainWindow::manualTableNotEditedInPlace()
{
    auto *table = harness->widget<QTableWidget>("tableWidget_2");
    QCOMPARE(table->editTriggers(), QAbstractItemView::EditTriggers(QAbstractItemView::NoEditTriggers));

    harness->widget<QToolBox>("toolBox")->setCurrentIndex(1);
    QTRY_VERIFY(table->isVisible());
    const QPoint cell = cellCenter(table, 0, 0);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell);
    QVERIFY(!openCellEditor(table));
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell);
    QVERIFY(!openCellEditor(table));
    QTest::keyClick(table, Qt::Key_F2);
    QVERIFY(!openCellEditor(table));

    // The same double click does open an editor once editing is allowed, so
    // the checks above can see one.
    table->setEditTriggers(QAbstractItemView::DoubleClicked);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell);
    QVERIFY(openCellEditor(table));
}

void TestMainWindow::headerLabels_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("traffic view") << "tableWidget"
                                  << QStringList{QStringLiteral("序号"), QStringLiteral("传输方向"),
                                                 QStringLiteral("时间标识"), QStringLiteral("帧格式"),
                                                 QStringLiteral("帧类型"), QStringLiteral("帧ID"),
                                                 QStringLiteral("数据长度"), QStringLiteral("数据(16进制)")};
    QTest::newRow("manual send") << "tableWidget_2"
                                 << QStringList{QStringLiteral("Id(16进制)"), QStringLiteral("数据(16进制)"),
                                                QStringLiteral("手动发送")};
    QTest::newRow("auto send") << "tableWidget_3"
                               << QStringList{QStringLiteral("Id(16进制)"), QStringLiteral("数据(16进制)"),
                                              QStringLiteral("间隔时间(ms)"), QStringLiteral("使能")};
    QTest::newRow("auto reply") << "tableWidget_4"
                                << QStringList{QStringLiteral("接受Id(16进制)"), QStringLiteral("回复Id(16进制)"),
                                               QStringLiteral("回复数据(16进制)")};
    QTest::newRow("receive ids") << "tableWidget_5" << QStringList{QStringLiteral("接受Id(16进制)")};
}

void TestMainWindow::headerLabels()
{
    QFETCH(QString, table);
    QFETCH(QStringList, labels);
    auto *view = harness->widget<QTableWidget>(qPrintable(table));
    QCOMPARE(view->columnCount(), labels.size());
    QStringList actual;
    for (int c = 0; c < view->columnCount(); ++c) {
        const QTableWidgetItem *item = view->horizontalHeaderItem(c);
        actual << (item ? item->text() : QStringLiteral("<none>"));
    }
    QCOMPARE(actual, labels);
}

// The widths given are the least: a column of identifiers, data or times is
// widened where the font needs it for its widest text on one line.
void TestMainWindow::columnWidths_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<QStringList>("fitted");    // per column: "id", "data", "time" or empty
    QTest::newRow("traffic view") << "tableWidget" << QList<int>{30, 60, 80, 100, 120, 80, 100, 160}
                                  << QStringList{"", "", "time", "", "", "id", "", "data"};
    QTest::newRow("manual send") << "tableWidget_2" << QList<int>{100, 200, 100} << QStringList{"id", "data", ""};
    QTest::newRow("auto send") << "tableWidget_3" << QList<int>{90, 170, 80, 90} << QStringList{"id", "data", "", ""};
    QTest::newRow("auto reply") << "tableWidget_4" << QList<int>{110, 110, 190} << QStringList{"id", "id", "data"};
}

void TestMainWindow::columnWidths()
{
    QFETCH(QString, table);
    QFETCH(QList<int>, widths);
    QFETCH(QStringList, fitted);
    auto *view = harness->widget<QTableWidget>(qPrintable(table));
    QCOMPARE(view->columnCount(), widths.size());
    for (int c = 0; c < view->columnCount(); ++c) {
        const int expected = fitted.at(c).isEmpty() ? widths.at(c) : qMax(widths.at(c), widestTextWidth(view, fitted.at(c)));
        QCOMPARE(view->columnWidth(c), expected);
    }
}

void TestMainWindow::trafficViewStartsEmpty()
{
    QTableWidget *view = harness->trafficView();
    QVERIFY(view->verticalHeader()->isHidden());
    QCOMPARE(view->rowCount(), 1000);
    QCOMPARE(view->columnCount(), 8);
    int items = 0;
    for (int r = 0; r < view->rowCount(); ++r) {
        if (view->verticalHeaderItem(r))
            ++items;
        for (int c = 0; c < view->columnCount(); ++c)
            if (view->item(r, c))
                ++items;
    }
    QCOMPARE(items, 0);
}

// No port is opened at start; the port box lists what the system offers,
// which on a machine without serial ports is nothing.
void TestMainWindow::portClosedAtStart()
{
    MainWindow &window = harness->window();
    const auto ports = window.findChildren<QSerialPort *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(ports.size(), 1);
    QVERIFY(!ports.first()->isOpen());

    QStringList expected;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        expected << info.portName();
    auto *portBox = harness->widget<QComboBox>("cbBoxPort");
    QStringList listed;
    for (int i = 0; i < portBox->count(); ++i)
        listed << portBox->itemText(i);
    QCOMPARE(listed, expected);

    QVERIFY(!harness->widget<QPushButton>("btnSetStart")->isEnabled());
    QVERIFY(!harness->widget<QPushButton>("btnCANBusStatus")->isEnabled());
    QVERIFY(harness->widget<QPushButton>("btnOpenClose")->isEnabled());
}

// The send and save timers are created in that order as plain repeating
// timers of the window and are not started; no timer of the window runs.
void TestMainWindow::timersCreatedStopped()
{
    const auto timers = harness->window().findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(timers.size() >= 2);
    for (int i = 0; i < 2; ++i) {
        QVERIFY(!timers.at(i)->isSingleShot());
        QCOMPARE(timers.at(i)->interval(), 0);
    }
    for (const QTimer *timer : timers)
        QVERIFY(!timer->isActive());
}

void TestMainWindow::slotTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("signature");
    const char *const signatures[] = {
        "on_btnOpenClose_clicked()",
        "rev_process()",
        "on_tableWidget_2_cellClicked(int,int)",
        "on_btnFind_clicked()",
        "on_cbBoxCANbps_currentIndexChanged(int)",
        "on_cbBoxBP1_currentIndexChanged(int)",
        "on_cbBoxBP2_currentIndexChanged(int)",
        "on_lineEditPrescale_textChanged(QString)",
        "on_checkBoxManualBps_clicked(bool)",
        "on_btnSetStart_clicked()",
        "on_lineEditTotal_textChanged(QString)",
        "on_btnViewClear_clicked()",
        "on_checkBoxPause_clicked(bool)",
        "on_checkBoxOnlyRev_clicked(bool)",
        "on_checkBoxOverlayDisplay_clicked(bool)",
        "on_btnViewSave_clicked()",
        "on_btnManualRemove_clicked()",
        "on_btnManualINsert_clicked()",
        "on_btnManualSave_clicked()",
        "on_btnAutoRemove_clicked()",
        "on_btnAutoInsert_clicked()",
        "on_btnAutoSave_clicked()",
        "on_btnSendSeq_clicked()",
        "timerAutoSendProc()",
        "on_btnAutoStop_clicked()",
        "on_btnAutoReplyRemove_clicked()",
        "on_btnAutoReplyInsert_clicked()",
        "on_btnAutoReplySave_clicked()",
        "on_checkBoxAutoSave_clicked(bool)",
        "timerAutoSaveProc()",
        "on_btnCANBusStatus_clicked()",
        "on_btnChangeBps_clicked()",
        "on_btnReceiveRemove_clicked()",
        "on_btnREceiveInsert_clicked()",
        "on_btnReceiveSave_clicked()",
        "on_btnReceiveSet_clicked()",
        "on_checkBoxEnableManual_clicked(bool)",
    };
    static_assert(std::size(signatures) == 37);
    for (int i = 0; i < int(std::size(signatures)); ++i)
        QTest::newRow(signatures[i]) << i << QByteArray(signatures[i]);
}

void TestMainWindow::slotTable()
{
    QFETCH(int, index);
    QFETCH(QByteArray, signature);
    const QMetaObject *meta = harness->window().metaObject();
    const QMetaMethod method = meta->method(meta->methodOffset() + index);
    QCOMPARE(method.methodSignature(), signature);
    QCOMPARE(method.methodType(), QMetaMethod::Slot);
    QCOMPARE(method.access(), QMetaMethod::Private);
    QCOMPARE(method.returnType(), int(QMetaType::Void));
}

void TestMainWindow::metaObject()
{
    MainWindow &window = harness->window();
    const QMetaObject *meta = window.metaObject();
    QCOMPARE(meta, &MainWindow::staticMetaObject);
    QCOMPARE(meta->className(), "MainWindow");
    QCOMPARE(meta->superClass(), &QMainWindow::staticMetaObject);
    // The 37 slots are all the window adds: no signals of its own.
    QCOMPARE(meta->methodCount() - meta->methodOffset(), 37);
    QCOMPARE(window.qt_metacast("MainWindow"), static_cast<void *>(&window));
    QCOMPARE(window.qt_metacast("QMainWindow"), static_cast<void *>(static_cast<QMainWindow *>(&window)));
    QCOMPARE(window.qt_metacast("NoSuchClass"), nullptr);
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
