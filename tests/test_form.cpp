// The window's form as Ui_MainWindow::setupUi builds it on a bare main window:
// widget tree, texts, items, initial states, help texts, icon resources, and
// that building it runs none of the by-name slots.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QResource>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QToolBox>
#include <memory>

#include "canconfig/configfile.h"
#include "ui_mainwindow.h"

namespace {

// A main window carrying the by-name slots of the real one; every slot only
// counts its calls, so the form can be checked apart from the program's logic.
class FormHost : public QMainWindow
{
    Q_OBJECT

public:
    QHash<QString, int> calls;
    int cellRow = -1;
    int cellColumn = -1;

    int totalCalls() const
    {
        int total = 0;
        for (int n : calls)
            total += n;
        return total;
    }

private slots:
    void on_btnOpenClose_clicked() { hit(__func__); }
    void on_btnFind_clicked() { hit(__func__); }
    void on_cbBoxCANbps_currentIndexChanged(int) { hit(__func__); }
    void on_cbBoxBP1_currentIndexChanged(int) { hit(__func__); }
    void on_cbBoxBP2_currentIndexChanged(int) { hit(__func__); }
    void on_lineEditPrescale_textChanged(const QString &) { hit(__func__); }
    void on_checkBoxManualBps_clicked(bool) { hit(__func__); }
    void on_btnSetStart_clicked() { hit(__func__); }
    void on_btnCANBusStatus_clicked() { hit(__func__); }
    void on_btnChangeBps_clicked() { hit(__func__); }
    void on_btnReceiveRemove_clicked() { hit(__func__); }
    void on_btnREceiveInsert_clicked() { hit(__func__); }
    void on_btnReceiveSave_clicked() { hit(__func__); }
    void on_btnReceiveSet_clicked() { hit(__func__); }
    void on_tableWidget_2_cellClicked(int row, int column)
    {
        cellRow = row;
        cellColumn = column;
        hit(__func__);
    }
    void on_btnManualRemove_clicked() { hit(__func__); }
    void on_btnManualINsert_clicked() { hit(__func__); }
    void on_btnManualSave_clicked() { hit(__func__); }
    void on_checkBoxEnableManual_clicked(bool) { hit(__func__); }
    void on_btnAutoRemove_clicked() { hit(__func__); }
    void on_btnAutoInsert_clicked() { hit(__func__); }
    void on_btnAutoSave_clicked() { hit(__func__); }
    void on_btnSendSeq_clicked() { hit(__func__); }
    void on_btnAutoStop_clicked() { hit(__func__); }
    void on_btnAutoReplyRemove_clicked() { hit(__func__); }
    void on_btnAutoReplyInsert_clicked() { hit(__func__); }
    void on_btnAutoReplySave_clicked() { hit(__func__); }
    void on_lineEditTotal_textChanged(const QString &) { hit(__func__); }
    void on_btnViewClear_clicked() { hit(__func__); }
    void on_checkBoxPause_clicked(bool) { hit(__func__); }
    void on_checkBoxOnlyRev_clicked(bool) { hit(__func__); }
    void on_checkBoxOverlayDisplay_clicked(bool) { hit(__func__); }
    void on_btnViewSave_clicked() { hit(__func__); }
    void on_checkBoxAutoSave_clicked(bool) { hit(__func__); }

private:
    void hit(const char *slot) { ++calls[QString::fromLatin1(slot)]; }
};

// One form built on its own host window.
struct BuiltForm
{
    FormHost host;
    Ui_MainWindow ui;
    BuiltForm() { ui.setupUi(&host); }
};

// Help texts, one entry per line.
const char *const receiveFilterHelpLines[] = {
    "不上传：选中”不上传“，点击”设置“按钮后，转换器内部接受到配置接受ID区里面的ID都不会上传给电脑，接受到其他ID才会上传到电脑。",
    "",
    "仅上传：选中”仅上传“，点击”设置“按钮后，转换器内部只有接受到配置接受ID区里面的ID才会上传给电脑，接受到其他ID都不会上传到电脑",
    "",
    "正常接受：选中“正常接受”，点击“设置”按钮后，转换器将恢复正常接受数据，也就是说转换器接收到所有ID及数据都会正常上传给电脑。",
    "",
    "注意：当我们单击“设置”按钮后，所选的配置都将会保存到转换器里面，下次转换器上电后，这些配置信息及功能还在转换器内部",
};

const char *const usageHelpLines[] = {
    "使用说明：",
    "1.给转换器安装驱动",
    "2.将数据插入电脑及转换器，注意观察转换器刚上电时，转换器收发器指示灯同时闪烁几下，一般转换器出厂刚上电时是同时闪烁一下，对应转换器内部的端口波特率为2000000bps。",
    "3.打开上位机软件，选择对应转换器内部的波特率（转换器出厂默认是2000000bps）和转换器对应的端口号（具体端口后从设备管理器里面端口查看），然后单击打开按钮。",
    "4.下一步只需要将CAN配置区里面的CAN波特率及帧类型等与需要通讯的设备配置一致，然后单击设置和启动按钮下发命令，就可以正常CAN通信了",
    "",
    "如何知道转换器内部端口波特率：",
    "1.转换器刚上电时，收发指示灯同时闪1下，说明转换器内部波特率是2000000，跟转换器通讯时，上位机软件要选跟转换器的波特率一样才能通讯，也就是也要选2000000。",
    "2.转换器刚上电时，收发指示灯同时闪2下，说明转换器内部波特率是1228800，跟转换器通讯时，上位机软件要选跟转换器的波特率一样才能通讯，也就是也要选1228800。",
    "3.转换器刚上电时，收发指示灯同时闪3下，说明转换器内部波特率是115200，跟转换器通讯时，上位机软件要选跟转换器的波特率一样才能通讯，也就是也要选115200。",
    "4.转换器刚上电时，收发指示灯同时闪4下，说明转换器内部波特率是38400，跟转换器通讯时，上位机软件要选跟转换器的波特率一样才能通讯，也就是也要选38400。",
    "5.转换器刚上电时，收发指示灯同时闪5下，说明转换器内部波特率是19200，跟转换器通讯时，上位机软件要选跟转换器的波特率一样才能通讯，也就是也要选19200。",
    "6.转换器刚上电时，收发指示灯同时闪6下，说明转换器内部波特率是9600，跟转换器通讯时，上位机软件要选跟转换器的波特率一样才能通讯，也就是也要选9600。",
};

const char *const troubleshootingHelpLines[] = {
    " 1. 如果转换器通讯不正常，我们可以尝试恢复转换器出厂默认试试。恢出出厂默认非常简单，只需长按住转换器侧面的白色按钮，接着将转换器USB头插入电脑，给转换器供电就可以了。转换器恢复出厂默认后，可以根据上面的使用说明进行使用",
    "",
    "2. 转换器恢复默认后，上位机软件若还是接受或者发送不出数据，可以尝试关闭计算机杀毒软件之类的工具，把上位机软件复制到电脑其他任意地方（上位机软件之前的位置可能给杀毒软件之类的工具给记录了），然后选中上位机软件，点击鼠标右键，跳出菜单栏，选择以管理员身份运行程序就可以了",
    "",
    "3. 需要注意的是CAN通讯只能在首末两个设备加匹配电阻，其他任何位置都不可以加匹配电阻，否则会导致通讯异常，这点需要特别注意",
};

enum State { Plain = 0, Disabled = 1, Checked = 2, ReadOnly = 4 };

struct ExpectedWidget
{
    const char *name;
    QWidget *(*member)(const Ui_MainWindow &);
    const char *className;
    const char *parent;
    QRect rect;         // null: placed by a layout
    const char *text;   // text, title or line edit contents; nullptr: none
    int state;
};

// The member of Ui_MainWindow is named like the object; reading it through the
// member also proves the form class exposes it.
#define WIDGET(member, cls, parent, rect, text, state) \
    { #member, [](const Ui_MainWindow &u) -> QWidget * { return u.member; }, cls, parent, rect, text, state }

// In creation order.
const ExpectedWidget expectedWidgets[] = {
    WIDGET(tableWidget, "QTableWidget", "centralwidget", QRect(10, 50, 741, 611), nullptr, Plain),
    WIDGET(toolBox, "QToolBox", "centralwidget", QRect(760, 10, 461, 651), nullptr, Plain),
    WIDGET(groupBox, "QGroupBox", "page", QRect(30, 0, 421, 91), "端口配置", Plain),
    WIDGET(label, "QLabel", "groupBox", QRect(12, 30, 63, 16), "端口号:", Plain),
    WIDGET(cbBoxPort, "QComboBox", "groupBox", QRect(98, 30, 81, 24), nullptr, Plain),
    WIDGET(btnFind, "QPushButton", "groupBox", QRect(180, 30, 80, 24), "查找端口", Plain),
    WIDGET(btnOpenClose, "QPushButton", "groupBox", QRect(280, 30, 131, 51), "打开端口", Plain),
    WIDGET(label_2, "QLabel", "groupBox", QRect(12, 60, 71, 16), "端口波特率:", Plain),
    WIDGET(cbBoxBps, "QComboBox", "groupBox", QRect(97, 60, 81, 24), nullptr, Plain),
    WIDGET(groupBox_2, "QGroupBox", "page", QRect(30, 90, 421, 361), "CAN通讯配置", Plain),
    WIDGET(label_3, "QLabel", "groupBox_2", QRect(10, 40, 81, 16), "CAN工作模式:", Plain),
    WIDGET(comboBoxMode, "QComboBox", "groupBox_2", QRect(100, 30, 171, 24), nullptr, Plain),
    WIDGET(label_4, "QLabel", "groupBox_2", QRect(10, 70, 71, 16), "帧类型:", Plain),
    WIDGET(cbBoxType, "QComboBox", "groupBox_2", QRect(100, 60, 171, 24), nullptr, Plain),
    WIDGET(label_5, "QLabel", "groupBox_2", QRect(10, 100, 101, 16), "CAN波特率:", Plain),
    WIDGET(cbBoxCANbps, "QComboBox", "groupBox_2", QRect(120, 90, 151, 24), nullptr, Plain),
    WIDGET(label_6, "QLabel", "groupBox_2", QRect(10, 130, 71, 16), "同步段:", Plain),
    WIDGET(cbBoxSYNC, "QComboBox", "groupBox_2", QRect(100, 120, 171, 24), nullptr, Disabled),
    WIDGET(label_7, "QLabel", "groupBox_2", QRect(10, 160, 71, 16), "相位缓冲器1:", Plain),
    WIDGET(cbBoxBP1, "QComboBox", "groupBox_2", QRect(100, 150, 171, 24), nullptr, Plain),
    WIDGET(label_8, "QLabel", "groupBox_2", QRect(10, 190, 71, 16), "相位缓冲器2:", Plain),
    WIDGET(cbBoxBP2, "QComboBox", "groupBox_2", QRect(100, 180, 171, 24), nullptr, Plain),
    WIDGET(label_9, "QLabel", "groupBox_2", QRect(10, 220, 91, 16), "预分频(10进制):", Plain),
    WIDGET(lineEditPrescale, "QLineEdit", "groupBox_2", QRect(110, 220, 81, 23), "3", Plain),
    WIDGET(label_10, "QLabel", "groupBox_2", QRect(200, 220, 61, 16), "(<1024)", Plain),
    WIDGET(checkBoxManualBps, "QCheckBox", "groupBox_2", QRect(10, 250, 151, 22), "自定义CAN波特率:", Plain),
    WIDGET(lineEditCANBps, "QLineEdit", "groupBox_2", QRect(170, 250, 101, 23), nullptr, ReadOnly),
    WIDGET(checkBoxSendOnce, "QCheckBox", "groupBox_2", QRect(10, 280, 121, 22), "禁止报文重发", Plain),
    WIDGET(label_11, "QLabel", "groupBox_2", QRect(10, 310, 111, 16), "滤波ID(16进制)  0x:", Plain),
    WIDGET(lineEditFilter, "QLineEdit", "groupBox_2", QRect(130, 300, 71, 23), "00000000", Plain),
    WIDGET(btnCANBusStatus, "QPushButton", "groupBox_2", QRect(210, 300, 61, 51), "CAN\n总线\n状态", Disabled),
    WIDGET(label_12, "QLabel", "groupBox_2", QRect(10, 340, 111, 16), "屏蔽ID(16进制)  0x:", Plain),
    WIDGET(lineEditMask, "QLineEdit", "groupBox_2", QRect(130, 330, 71, 23), "00000000", Plain),
    WIDGET(groupBox_7, "QGroupBox", "groupBox_2", QRect(280, 20, 131, 80), "内部协议选择", Plain),
    WIDGET(radioBtnFixed, "QRadioButton", "groupBox_7", QRect(10, 20, 111, 22), "固定20字节协议", Checked),
    WIDGET(radioBtnVariable, "QRadioButton", "groupBox_7", QRect(10, 40, 111, 22), "可变长度协议", Plain),
    WIDGET(btnSetStart, "QPushButton", "groupBox_2", QRect(280, 110, 131, 241), "设置并启动", Disabled),
    WIDGET(btnManualRemove, "QPushButton", "page_2", QRect(20, 0, 80, 24), "删除", Plain),
    WIDGET(btnManualINsert, "QPushButton", "page_2", QRect(110, 0, 80, 24), "插入", Plain),
    WIDGET(checkBoxEnableManual, "QCheckBox", "page_2", QRect(220, 0, 111, 21), "切换到数据修改", Plain),
    WIDGET(btnManualSave, "QPushButton", "page_2", QRect(339, 0, 101, 24), "保存手动配置", Plain),
    WIDGET(tableWidget_2, "QTableWidget", "page_2", QRect(20, 30, 421, 451), nullptr, Plain),
    WIDGET(btnAutoInsert, "QPushButton", "page_3", QRect(10, 10, 71, 24), "插入", Plain),
    WIDGET(btnAutoRemove, "QPushButton", "page_3", QRect(10, 40, 71, 24), "删除", Plain),
    WIDGET(btnAutoSave, "QPushButton", "page_3", QRect(90, 10, 71, 51), "保存\n自动发送\n配置", Plain),
    WIDGET(checkBoxAutoCycle, "QCheckBox", "page_3", QRect(180, 30, 51, 22), "循环", Plain),
    WIDGET(btnSendSeq, "QPushButton", "page_3", QRect(240, 13, 101, 51), "按顺序发送", Plain),
    WIDGET(btnAutoStop, "QPushButton", "page_3", QRect(370, 13, 91, 51), "停止自动发送", Plain),
    WIDGET(tableWidget_3, "QTableWidget", "page_3", QRect(0, 70, 471, 371), nullptr, Plain),
    WIDGET(btnAutoReplyRemove, "QPushButton", "page_4", QRect(10, 10, 80, 24), "删除", Plain),
    WIDGET(btnAutoReplyInsert, "QPushButton", "page_4", QRect(100, 10, 80, 24), "插入", Plain),
    WIDGET(btnAutoReplySave, "QPushButton", "page_4", QRect(190, 10, 121, 24), "保存自动回复配置", Plain),
    WIDGET(checkBoxReplyAuto, "QCheckBox", "page_4", QRect(341, 10, 101, 22), "启动自动回复", Plain),
    WIDGET(tableWidget_4, "QTableWidget", "page_4", QRect(0, 50, 441, 421), nullptr, Plain),
    WIDGET(groupBox_3, "QGroupBox", "page_5", QRect(0, 20, 461, 61), "更改转换器内部的端口波特率", Plain),
    WIDGET(label_14, "QLabel", "groupBox_3", QRect(10, 30, 191, 16), "将转换器内部端口波特率更改为:", Plain),
    WIDGET(cbBoxChangeBps, "QComboBox", "groupBox_3", QRect(200, 30, 91, 24), nullptr, Plain),
    WIDGET(btnChangeBps, "QPushButton", "groupBox_3", QRect(310, 30, 131, 24), "更改并保存", Plain),
    WIDGET(groupBox_4, "QGroupBox", "page_5", QRect(0, 120, 461, 331), "配置接受ID", Plain),
    WIDGET(tableWidget_5, "QTableWidget", "groupBox_4", QRect(10, 30, 131, 301), nullptr, Plain),
    WIDGET(btnReceiveRemove, "QPushButton", "groupBox_4", QRect(150, 30, 101, 24), "删除", Plain),
    WIDGET(btnREceiveInsert, "QPushButton", "groupBox_4", QRect(150, 60, 101, 24), "增加", Plain),
    WIDGET(btnReceiveSave, "QPushButton", "groupBox_4", QRect(150, 90, 101, 24), "保存配置", Plain),
    WIDGET(radioBtnNoUpload, "QRadioButton", "groupBox_4", QRect(150, 200, 111, 22), "不上传", Plain),
    WIDGET(radioBtnUploadOnly, "QRadioButton", "groupBox_4", QRect(150, 220, 111, 22), "仅上传", Plain),
    WIDGET(radioBtnUploadAll, "QRadioButton", "groupBox_4", QRect(150, 240, 97, 22), "正常接受", Checked),
    WIDGET(btnReceiveSet, "QPushButton", "groupBox_4", QRect(150, 273, 101, 41), "设置", Plain),
    WIDGET(plainTextEdit, "QPlainTextEdit", "groupBox_4", QRect(260, 20, 191, 311), nullptr, ReadOnly),
    WIDGET(groupBox_5, "QGroupBox", "page_6", QRect(10, 0, 451, 231), "如何使用", Plain),
    WIDGET(plainTextEdit_2, "QPlainTextEdit", "groupBox_5", QRect(), nullptr, ReadOnly),
    WIDGET(groupBox_6, "QGroupBox", "page_6", QRect(10, 230, 451, 231), "常见问题及解决办法", Plain),
    WIDGET(plainTextEdit_3, "QPlainTextEdit", "groupBox_6", QRect(), nullptr, ReadOnly),
    WIDGET(label_13, "QLabel", "centralwidget", QRect(20, 20, 41, 16), "总行:", Plain),
    WIDGET(lineEditTotal, "QLineEdit", "centralwidget", QRect(60, 20, 51, 23), "1000", Plain),
    WIDGET(btnViewClear, "QPushButton", "centralwidget", QRect(470, 20, 80, 24), "清除", Plain),
    WIDGET(checkBoxPause, "QCheckBox", "centralwidget", QRect(400, 20, 61, 22), "暂停", Plain),
    WIDGET(checkBoxOnlyRev, "QCheckBox", "centralwidget", QRect(130, 20, 121, 22), "只显示接受数据", Plain),
    WIDGET(checkBoxOverlayDisplay, "QCheckBox", "centralwidget", QRect(260, 20, 111, 22), "统计模式", Plain),
    WIDGET(btnViewSave, "QPushButton", "centralwidget", QRect(560, 20, 80, 24), "保存", Plain),
    WIDGET(checkBoxAutoSave, "QCheckBox", "centralwidget", QRect(660, 20, 82, 22), "自动保存", Plain),
};

#undef WIDGET

QString textOf(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    if (auto *edit = qobject_cast<const QLineEdit *>(w))
        return edit->text();
    if (auto *group = qobject_cast<const QGroupBox *>(w))
        return group->title();
    return QString();
}

bool isChecked(const QWidget *w)
{
    auto *button = qobject_cast<const QAbstractButton *>(w);
    return button && button->isChecked();
}

bool isReadOnly(const QWidget *w)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(w))
        return edit->isReadOnly();
    if (auto *edit = qobject_cast<const QPlainTextEdit *>(w))
        return edit->isReadOnly();
    return false;
}

QStringList numberedItems(const char *prefix, int count)
{
    QStringList items;
    for (int i = 1; i <= count; ++i)
        items << QStringLiteral("%1%2tq").arg(QLatin1String(prefix)).arg(i);
    return items;
}

template <size_t N>
QString joinLines(const char *const (&lines)[N])
{
    QStringList all;
    for (const char *line : lines)
        all << QString::fromUtf8(line);
    return all.join(QLatin1Char('\n'));
}

// Named widgets of the form, leaving out Qt's own internal children.
QStringList namedWidgets(const QWidget *root)
{
    QStringList names;
    const auto children = root->findChildren<QWidget *>();
    for (const QWidget *w : children) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            names << name;
    }
    return names;
}

} // namespace

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void widgets_data();
    void widgets();
    void noOtherWidgets();
    void creationOrder_data();
    void creationOrder();
    void focusFollowsCreationOrder();
    void helpPageLayouts_data();
    void helpPageLayouts();

    void window();
    void iconResources_data();
    void iconResources();
    void toolBoxPages_data();
    void toolBoxPages();

    void comboBoxes_data();
    void comboBoxes();
    void editablePortBox();

    void helpTexts_data();
    void helpTexts();
    void helpTextPunctuation();

    void trafficViewTable();
    void sendTables_data();
    void sendTables();
    void receiveIdTable();

    void radioGroups_data();
    void radioGroups();

    void buildRunsNoSlot();
    void byNameConnections_data();
    void byNameConnections();

private:
    std::unique_ptr<BuiltForm> form;
};

void TestForm::initTestCase()
{
    form = std::make_unique<BuiltForm>();
}

void TestForm::widgets_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(expectedWidgets)); ++i)
        QTest::newRow(expectedWidgets[i].name) << i;
}

void TestForm::widgets()
{
    QFETCH(int, index);
    const ExpectedWidget &want = expectedWidgets[index];
    QWidget *w = want.member(form->ui);
    QVERIFY(w);
    QCOMPARE(w->objectName(), QLatin1String(want.name));
    QCOMPARE(w->metaObject()->className(), want.className);
    QVERIFY(w->parent());
    QCOMPARE(w->parent()->objectName(), QLatin1String(want.parent));
    QCOMPARE(form->host.findChild<QWidget *>(QLatin1String(want.name)), w);
    if (!want.rect.isNull())
        QCOMPARE(w->geometry(), want.rect);
    if (want.text)
        QCOMPARE(textOf(w), QString::fromUtf8(want.text));
    else
        QCOMPARE(textOf(w), QString());
    QCOMPARE(w->isEnabled(), !(want.state & Disabled));
    QCOMPARE(isChecked(w), bool(want.state & Checked));
    QCOMPARE(isReadOnly(w), bool(want.state & ReadOnly));
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        QVERIFY(!button->isFlat());
        QVERIFY(!button->isCheckable());
    }
    if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w))
        QVERIFY(static_cast<QAbstractButton *>(w)->isCheckable());
    QCOMPARE(w->styleSheet(), QString());
}

void TestForm::noOtherWidgets()
{
    QStringList expected{QStringLiteral("centralwidget"), QStringLiteral("menubar"), QStringLiteral("statusbar")};
    for (const char *page : {"page", "page_2", "page_3", "page_4", "page_5", "page_6"})
        expected << QLatin1String(page);
    for (const ExpectedWidget &want : expectedWidgets)
        expected << QLatin1String(want.name);
    QStringList actual = namedWidgets(&form->host);
    expected.sort();
    actual.sort();
    QCOMPARE(actual, expected);
    QCOMPARE(form->host.styleSheet(), QString());
}

void TestForm::creationOrder_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QStringList>("children");
    QStringList parents;
    QHash<QString, QStringList> children;
    for (const ExpectedWidget &want : expectedWidgets) {
        const QString parent = QLatin1String(want.parent);
        if (!parents.contains(parent))
            parents << parent;
        children[parent] << QLatin1String(want.name);
    }
    for (const QString &parent : std::as_const(parents))
        QTest::newRow(qPrintable(parent)) << parent << children.value(parent);
}

// The form creates the widgets of a parent in table order; with no explicit
// tab order this is also the keyboard focus order.
void TestForm::creationOrder()
{
    QFETCH(QString, parent);
    QFETCH(QStringList, children);
    QWidget *p = form->host.findChild<QWidget *>(parent);
    QVERIFY(p);
    QStringList actual;
    for (const QObject *child : p->children()) {
        if (child->isWidgetType() && !child->objectName().startsWith(QLatin1String("qt_"))
            && !child->objectName().isEmpty())
            actual << child->objectName();
    }
    QCOMPARE(actual, children);
}

void TestForm::focusFollowsCreationOrder()
{
    // A fresh window: the focus chain is that of the freshly built form.
    BuiltForm fresh;
    QStringList expected;
    for (const ExpectedWidget &want : expectedWidgets)
        expected << QLatin1String(want.name);
    QStringList chain;
    QWidget *w = fresh.host.nextInFocusChain();
    while (w && w != &fresh.host) {
        if (expected.contains(w->objectName()))
            chain << w->objectName();
        w = w->nextInFocusChain();
    }
    QCOMPARE(chain, expected);
}

void TestForm::helpPageLayouts_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("edit");
    QTest::newRow("how to use") << "groupBox_5" << "gridLayout_2" << "plainTextEdit_2";
    QTest::newRow("common problems") << "groupBox_6" << "gridLayout" << "plainTextEdit_3";
}

void TestForm::helpPageLayouts()
{
    QFETCH(QString, group);
    QFETCH(QString, layout);
    QFETCH(QString, edit);
    auto *box = form->host.findChild<QGroupBox *>(group);
    QVERIFY(box);
    auto *grid = qobject_cast<QGridLayout *>(box->layout());
    QVERIFY(grid);
    QCOMPARE(grid->objectName(), layout);
    QCOMPARE(grid->count(), 1);
    QLayoutItem *cell = grid->itemAtPosition(0, 0);
    QVERIFY(cell && cell->widget());
    QCOMPARE(cell->widget()->objectName(), edit);
    QCOMPARE(form->ui.gridLayout->objectName(), QStringLiteral("gridLayout"));
    QCOMPARE(form->ui.gridLayout_2->objectName(), QStringLiteral("gridLayout_2"));
    // Default margins: the edit fills the box up to the style's layout margins.
    int left = -1, top = -1, right = -1, bottom = -1;
    grid->getContentsMargins(&left, &top, &right, &bottom);
    QCOMPARE(left, QApplication::style()->pixelMetric(QStyle::PM_LayoutLeftMargin, nullptr, box));
    QCOMPARE(right, QApplication::style()->pixelMetric(QStyle::PM_LayoutRightMargin, nullptr, box));
    QCOMPARE(bottom, QApplication::style()->pixelMetric(QStyle::PM_LayoutBottomMargin, nullptr, box));
    QCOMPARE(top, QApplication::style()->pixelMetric(QStyle::PM_LayoutTopMargin, nullptr, box));
}

void TestForm::window()
{
    FormHost &host = form->host;
    QCOMPARE(host.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(host.windowTitle(), QStringLiteral("Tavicon V2.0"));
    QCOMPARE(host.size(), QSize(1234, 704));
    QCOMPARE(host.centralWidget(), form->ui.centralwidget);
    QCOMPARE(form->ui.centralwidget->objectName(), QStringLiteral("centralwidget"));

    QVERIFY(!host.windowIcon().isNull());
    const QImage icon = host.windowIcon().pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage resource = QImage(QStringLiteral(":/vorsel_3232.png")).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(icon.size(), QSize(32, 32));
    QCOMPARE(icon, resource);

    QCOMPARE(host.menuBar(), form->ui.menubar);
    QCOMPARE(form->ui.menubar->objectName(), QStringLiteral("menubar"));
    QCOMPARE(form->ui.menubar->geometry(), QRect(0, 0, 1234, 20));
    QVERIFY(form->ui.menubar->actions().isEmpty());
    QCOMPARE(host.statusBar(), form->ui.statusbar);
    QCOMPARE(form->ui.statusbar->objectName(), QStringLiteral("statusbar"));
    QCOMPARE(form->ui.statusbar->currentMessage(), QString());
}

void TestForm::iconResources_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("side");
    QTest::newRow("16") << ":/vorsel_1616.png" << 16;
    QTest::newRow("32") << ":/vorsel_3232.png" << 32;
    QTest::newRow("48") << ":/vorsel_4848.png" << 48;
}

void TestForm::iconResources()
{
    QFETCH(QString, path);
    QFETCH(int, side);
    const QResource resource(path);
    QVERIFY(resource.isValid());
    QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
    QVERIFY(resource.uncompressedData().startsWith("\x89PNG"));
    const QImage image(path);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(side, side));
}

void TestForm::toolBoxPages_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::newRow("0") << 0 << "page" << QStringLiteral("基本配置");
    QTest::newRow("1") << 1 << "page_2" << QStringLiteral("手动发送");
    QTest::newRow("2") << 2 << "page_3" << QStringLiteral("自动发送");
    QTest::newRow("3") << 3 << "page_4" << QStringLiteral("自动回复");
    QTest::newRow("4") << 4 << "page_5" << QStringLiteral("其他功能");
    QTest::newRow("5") << 5 << "page_6" << QStringLiteral("帮助");
}

void TestForm::toolBoxPages()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QString, title);
    const Ui_MainWindow &ui = form->ui;
    QToolBox *box = ui.toolBox;
    QCOMPARE(box->count(), 6);
    QCOMPARE(box->currentIndex(), 1);
    const QWidget *pages[] = {ui.page, ui.page_2, ui.page_3, ui.page_4, ui.page_5, ui.page_6};
    QWidget *page = box->widget(index);
    QCOMPARE(page, pages[index]);
    QCOMPARE(page->objectName(), name);
    QCOMPARE(page->metaObject()->className(), "QWidget");
    QCOMPARE(box->itemText(index), title);
    QCOMPARE(box->indexOf(page), index);
}

void TestForm::comboBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("current");
    const QStringList speeds{"2000000", "1228800", "115200", "38400", "19200", "9600"};
    QTest::newRow("cbBoxBps") << "cbBoxBps" << speeds << 0;
    QTest::newRow("cbBoxChangeBps") << "cbBoxChangeBps" << speeds << 2;
    QTest::newRow("cbBoxCANbps") << "cbBoxCANbps"
                                 << QStringList{"1M", "800K", "500K", "400K", "250K", "200K", "125K", "100K",
                                                "50K", "20K", "10K", "5K"}
                                 << 4;
    QTest::newRow("cbBoxType") << "cbBoxType" << QStringList{QStringLiteral("标准帧"), QStringLiteral("扩展帧")} << 0;
    QTest::newRow("comboBoxMode") << "comboBoxMode"
                                  << QStringList{QStringLiteral("正常模式"), QStringLiteral("环回模式"),
                                                 QStringLiteral("静默模式"), QStringLiteral("环回静默模式")}
                                  << 0;
    QTest::newRow("cbBoxSYNC") << "cbBoxSYNC" << numberedItems("CAN_SJW_", 4) << 0;
    QTest::newRow("cbBoxBP1") << "cbBoxBP1" << numberedItems("CAN_BS1_", 16) << 0;
    QTest::newRow("cbBoxBP2") << "cbBoxBP2" << numberedItems("CAN_BS2_", 8) << 0;
    QTest::newRow("cbBoxPort") << "cbBoxPort" << QStringList() << -1;
}

void TestForm::comboBoxes()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    QFETCH(int, current);
    auto *box = form->host.findChild<QComboBox *>(name);
    QVERIFY(box);
    QStringList actual;
    for (int i = 0; i < box->count(); ++i) {
        actual << box->itemText(i);
        QVERIFY(!box->itemData(i, Qt::UserRole).isValid());
        QVERIFY(box->itemIcon(i).isNull());
    }
    QCOMPARE(actual, items);
    // The items whose texts cfg.txt stores are those of its rules.
    const QHash<QString, ConfigBox> stored{{"cbBoxBps", ConfigBox::PortSpeed}, {"comboBoxMode", ConfigBox::Mode},
                                           {"cbBoxType", ConfigBox::FrameType}, {"cbBoxCANbps", ConfigBox::CanSpeed},
                                           {"cbBoxBP1", ConfigBox::Phase1}, {"cbBoxBP2", ConfigBox::Phase2}};
    if (stored.contains(name))
        QCOMPARE(actual, configItems(stored.value(name)));
    if (name == QLatin1String("cbBoxCANbps"))
        QCOMPARE(current, formStartSettings().speedIndex);
    QCOMPARE(box->currentIndex(), current);
    QCOMPARE(box->currentText(), current >= 0 ? items.at(current) : QString());
    QCOMPARE(box->isEditable(), name == QLatin1String("cbBoxPort"));
}

// A device path can be typed into the port box; typed texts never become items.
void TestForm::editablePortBox()
{
    BuiltForm fresh;
    QComboBox *port = fresh.ui.cbBoxPort;
    QVERIFY(port->isEditable());
    QCOMPARE(port->insertPolicy(), QComboBox::NoInsert);
    QVERIFY(port->lineEdit());
    QCOMPARE(port->currentText(), QString());
    QTest::keyClicks(port->lineEdit(), QStringLiteral("/dev/pts/7"));
    QTest::keyClick(port->lineEdit(), Qt::Key_Return);
    QCOMPARE(port->currentText(), QStringLiteral("/dev/pts/7"));
    QCOMPARE(port->count(), 0);
    QCOMPARE(fresh.host.totalCalls(), 0);
}

void TestForm::helpTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("lines");
    QTest::newRow("receive filter") << "plainTextEdit" << joinLines(receiveFilterHelpLines)
                                    << int(std::size(receiveFilterHelpLines));
    QTest::newRow("how to use") << "plainTextEdit_2" << joinLines(usageHelpLines) << int(std::size(usageHelpLines));
    QTest::newRow("common problems") << "plainTextEdit_3" << joinLines(troubleshootingHelpLines)
                                     << int(std::size(troubleshootingHelpLines));
}

void TestForm::helpTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QFETCH(int, lines);
    auto *edit = form->host.findChild<QPlainTextEdit *>(name);
    QVERIFY(edit);
    QVERIFY(edit->isReadOnly());
    const QString text = edit->toPlainText();
    QCOMPARE(text.toUtf8(), expected.toUtf8());
    QCOMPARE(edit->document()->blockCount(), lines);
    QCOMPARE(text.split(QLatin1Char('\n')).size(), lines);
    QVERIFY(!text.endsWith(QLatin1Char('\n')));
}

// The quirks of the texts that an editor would be tempted to "fix".
void TestForm::helpTextPunctuation()
{
    const QStringList filter = form->ui.plainTextEdit->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(filter.size(), 7);
    // Lines 1 and 3 quote with the closing mark first, lines 5 and 7 the usual way round.
    QVERIFY(filter.at(0).startsWith(QStringLiteral("不上传：选中\u201D不上传\u201C，点击\u201D设置\u201C按钮后")));
    QVERIFY(filter.at(2).startsWith(QStringLiteral("仅上传：选中\u201D仅上传\u201C，点击\u201D设置\u201C按钮后")));
    QVERIFY(filter.at(4).startsWith(QStringLiteral("正常接受：选中\u201C正常接受\u201D，点击\u201C设置\u201D按钮后")));
    QVERIFY(filter.at(6).startsWith(QStringLiteral("注意：当我们单击\u201C设置\u201D按钮后")));
    QVERIFY(filter.at(1).isEmpty() && filter.at(3).isEmpty() && filter.at(5).isEmpty());

    const QString problems = form->ui.plainTextEdit_3->toPlainText();
    QVERIFY(problems.startsWith(QStringLiteral(" 1. 如果转换器通讯不正常")));
    QVERIFY(problems.contains(QStringLiteral("\n\n2. 转换器恢复默认后")));
    QVERIFY(problems.contains(QStringLiteral("\n\n3. 需要注意的是CAN通讯")));

    const QStringList usage = form->ui.plainTextEdit_2->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(usage.at(0), QStringLiteral("使用说明："));
    QCOMPARE(usage.at(5), QString());
    QCOMPARE(usage.at(6), QStringLiteral("如何知道转换器内部端口波特率："));
}

void TestForm::trafficViewTable()
{
    const QTableWidget *view = form->ui.tableWidget;
    QCOMPARE(view->rowCount(), 1000);
    QCOMPARE(view->columnCount(), 8);
    QCOMPARE(view->horizontalHeader()->defaultSectionSize(), 100);
    QCOMPARE(view->editTriggers(), QAbstractItemView::EditTriggers(QAbstractItemView::DoubleClicked
                                                                    | QAbstractItemView::EditKeyPressed
                                                                    | QAbstractItemView::AnyKeyPressed));
    QCOMPARE(view->textElideMode(), Qt::ElideRight);
    // The row count is the form's own, not read from the "1000" of lineEditTotal.
    QCOMPARE(form->ui.lineEditTotal->text(), QStringLiteral("1000"));
    int items = 0;
    for (int r = 0; r < view->rowCount(); ++r) {
        if (view->verticalHeaderItem(r))
            ++items;
        for (int c = 0; c < view->columnCount(); ++c)
            if (view->item(r, c))
                ++items;
    }
    for (int c = 0; c < view->columnCount(); ++c)
        if (view->horizontalHeaderItem(c))
            ++items;
    QCOMPARE(items, 0);
}

void TestForm::sendTables_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("manual") << "tableWidget_2" << 3 << 10;
    QTest::newRow("auto") << "tableWidget_3" << 4 << 10;
    QTest::newRow("reply") << "tableWidget_4" << 3 << 10;
}

void TestForm::sendTables()
{
    QFETCH(QString, name);
    QFETCH(int, columns);
    QFETCH(int, rows);
    auto *table = form->host.findChild<QTableWidget *>(name);
    QVERIFY(table);
    QCOMPARE(table->columnCount(), columns);
    QCOMPARE(table->rowCount(), rows);
    QCOMPARE(table->horizontalHeader()->defaultSectionSize(), 130);
    for (int r = 0; r < rows; ++r) {
        QVERIFY(!table->verticalHeaderItem(r));
        for (int c = 0; c < columns; ++c)
            QVERIFY(!table->item(r, c));
    }
    for (int c = 0; c < columns; ++c)
        QVERIFY(!table->horizontalHeaderItem(c));
}

void TestForm::receiveIdTable()
{
    const QTableWidget *table = form->ui.tableWidget_5;
    QCOMPARE(table->columnCount(), 1);
    QCOMPARE(table->rowCount(), 5);
    QVERIFY(table->item(0, 0));
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("0x00000000"));
    for (int r = 1; r < 5; ++r)
        QVERIFY2(!table->item(r, 0), qPrintable(QStringLiteral("row %1").arg(r)));
    for (int r = 0; r < 5; ++r)
        QVERIFY(!table->verticalHeaderItem(r));
    QVERIFY(!table->horizontalHeaderItem(0));
    QVERIFY(!table->isSortingEnabled());

    // Setting the preset text leaves the table's sorting flag as it was.
    BuiltForm fresh;
    fresh.ui.tableWidget_5->setSortingEnabled(true);
    fresh.ui.retranslateUi(&fresh.host);
    QVERIFY(fresh.ui.tableWidget_5->isSortingEnabled());
    QVERIFY(fresh.ui.tableWidget_5->item(0, 0));
    QCOMPARE(fresh.ui.tableWidget_5->item(0, 0)->text(), QStringLiteral("0x00000000"));
}

void TestForm::radioGroups_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QList<bool>>("checked"); // fixed, variable, no upload, upload only, upload all
    QTest::newRow("as built") << QStringList() << QList<bool>{true, false, false, false, true};
    QTest::newRow("variable") << QStringList{"radioBtnVariable"} << QList<bool>{false, true, false, false, true};
    QTest::newRow("variable then fixed") << QStringList{"radioBtnVariable", "radioBtnFixed"}
                                         << QList<bool>{true, false, false, false, true};
    QTest::newRow("no upload") << QStringList{"radioBtnNoUpload"} << QList<bool>{true, false, true, false, false};
    QTest::newRow("upload only") << QStringList{"radioBtnUploadOnly"} << QList<bool>{true, false, false, true, false};
    QTest::newRow("upload only then all") << QStringList{"radioBtnUploadOnly", "radioBtnUploadAll"}
                                          << QList<bool>{true, false, false, false, true};
    QTest::newRow("both groups") << QStringList{"radioBtnVariable", "radioBtnNoUpload"}
                                 << QList<bool>{false, true, true, false, false};
}

void TestForm::radioGroups()
{
    QFETCH(QStringList, clicks);
    QFETCH(QList<bool>, checked);
    BuiltForm fresh;
    for (const QString &name : std::as_const(clicks)) {
        auto *button = fresh.host.findChild<QRadioButton *>(name);
        QVERIFY(button);
        button->click();
    }
    const Ui_MainWindow &ui = fresh.ui;
    const QList<bool> actual{ui.radioBtnFixed->isChecked(), ui.radioBtnVariable->isChecked(),
                             ui.radioBtnNoUpload->isChecked(), ui.radioBtnUploadOnly->isChecked(),
                             ui.radioBtnUploadAll->isChecked()};
    QCOMPARE(actual, checked);
    QCOMPARE(fresh.host.totalCalls(), 0);
}

void TestForm::buildRunsNoSlot()
{
    const QMetaObject &meta = FormHost::staticMetaObject;
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 34);

    // Also: every slot of the host finds its signal (no warning from the connection by name).
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    BuiltForm fresh;
    QCOMPARE(fresh.host.totalCalls(), 0);
    // The values whose change would have called a slot were all set during the build.
    QCOMPARE(fresh.ui.lineEditTotal->text(), QStringLiteral("1000"));
    QCOMPARE(fresh.ui.lineEditPrescale->text(), QStringLiteral("3"));
    QCOMPARE(fresh.ui.cbBoxCANbps->currentIndex(), 4);
    QCOMPARE(fresh.ui.cbBoxChangeBps->currentIndex(), 2);
    QCOMPARE(fresh.ui.toolBox->currentIndex(), 1);
    QCOMPARE(fresh.ui.cbBoxPort->count(), 0);
    QCOMPARE(fresh.ui.lineEditCANBps->text(), QString());
}

enum Trigger { Click, ChangeIndex, EditText, ClickCell };

void TestForm::byNameConnections_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<int>("trigger");
    QTest::addColumn<QString>("slot");
    const struct
    {
        const char *widget;
        Trigger trigger;
        const char *signal;
    } rows[] = {
        {"btnOpenClose", Click, "clicked"},
        {"btnFind", Click, "clicked"},
        {"cbBoxCANbps", ChangeIndex, "currentIndexChanged"},
        {"cbBoxBP1", ChangeIndex, "currentIndexChanged"},
        {"cbBoxBP2", ChangeIndex, "currentIndexChanged"},
        {"lineEditPrescale", EditText, "textChanged"},
        {"checkBoxManualBps", Click, "clicked"},
        {"btnSetStart", Click, "clicked"},
        {"btnCANBusStatus", Click, "clicked"},
        {"btnChangeBps", Click, "clicked"},
        {"btnReceiveRemove", Click, "clicked"},
        {"btnREceiveInsert", Click, "clicked"},
        {"btnReceiveSave", Click, "clicked"},
        {"btnReceiveSet", Click, "clicked"},
        {"tableWidget_2", ClickCell, "cellClicked"},
        {"btnManualRemove", Click, "clicked"},
        {"btnManualINsert", Click, "clicked"},
        {"btnManualSave", Click, "clicked"},
        {"checkBoxEnableManual", Click, "clicked"},
        {"btnAutoRemove", Click, "clicked"},
        {"btnAutoInsert", Click, "clicked"},
        {"btnAutoSave", Click, "clicked"},
        {"btnSendSeq", Click, "clicked"},
        {"btnAutoStop", Click, "clicked"},
        {"btnAutoReplyRemove", Click, "clicked"},
        {"btnAutoReplyInsert", Click, "clicked"},
        {"btnAutoReplySave", Click, "clicked"},
        {"lineEditTotal", EditText, "textChanged"},
        {"btnViewClear", Click, "clicked"},
        {"checkBoxPause", Click, "clicked"},
        {"checkBoxOnlyRev", Click, "clicked"},
        {"checkBoxOverlayDisplay", Click, "clicked"},
        {"btnViewSave", Click, "clicked"},
        {"checkBoxAutoSave", Click, "clicked"},
    };
    for (const auto &row : rows) {
        const QString slot = QStringLiteral("on_%1_%2").arg(QLatin1String(row.widget), QLatin1String(row.signal));
        QTest::newRow(row.widget) << QString::fromLatin1(row.widget) << int(row.trigger) << slot;
    }
}

// After the build, the widget's signal reaches exactly its own slot, once.
void TestForm::byNameConnections()
{
    QFETCH(QString, widget);
    QFETCH(int, trigger);
    QFETCH(QString, slot);
    BuiltForm fresh;
    QCOMPARE(fresh.host.totalCalls(), 0);
    QWidget *w = fresh.host.findChild<QWidget *>(widget);
    QVERIFY(w);
    switch (Trigger(trigger)) {
    case Click: {
        auto *button = qobject_cast<QAbstractButton *>(w);
        QVERIFY(button);
        button->setEnabled(true); // the form leaves some buttons disabled
        button->click();
        break;
    }
    case ChangeIndex: {
        auto *box = qobject_cast<QComboBox *>(w);
        QVERIFY(box);
        box->setCurrentIndex((box->currentIndex() + 1) % box->count());
        break;
    }
    case EditText: {
        auto *edit = qobject_cast<QLineEdit *>(w);
        QVERIFY(edit);
        edit->setText(edit->text() + QLatin1Char('1'));
        break;
    }
    case ClickCell: {
        auto *table = qobject_cast<QTableWidget *>(w);
        QVERIFY(table);
        emit table->cellClicked(2, 1);
        QCOMPARE(fresh.host.cellRow, 2);
        QCOMPARE(fresh.host.cellColumn, 1);
        break;
    }
    }
    QCOMPARE(fresh.host.calls.value(slot), 1);
    QCOMPARE(fresh.host.totalCalls(), 1);
}

QTEST_MAIN(TestForm)
#include "test_form.moc"
