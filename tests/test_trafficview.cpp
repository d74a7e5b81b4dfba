// The traffic view: ring of rows, row limit, clear, pause, receive-only and
// statistics mode, driven through the real window and a pseudo-terminal.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QWindow>
#include <QtTest>

#include "support/receivefixture.h"

namespace {

const QString kTooMany = QStringLiteral("Display area can display the number of rows is too little");
const QString kBlueSelection = QStringLiteral("selection-background-color:rgb(0,167,242)");
const QString kWhiteSelection =
    QStringLiteral("selection-background-color:rgb(255,255,255);selection-color:palette(text)");

QByteArray framesWithIds(std::initializer_list<quint32> ids)
{
    QByteArray bytes;
    for (quint32 id : ids)
        bytes += fixedBytes(id, FrameFormat::Standard, QByteArray(1, char(id)));
    return bytes;
}

int itemCount(QTableWidget *view)
{
    int count = 0;
    for (int r = 0; r < view->rowCount(); ++r)
        for (int c = 0; c < view->columnCount(); ++c)
            count += view->item(r, c) != nullptr;
    return count;
}

// A widget as it stands in the window's backing store, or painted anew.
QImage shown(QWidget *widget, bool anew = false)
{
    if (anew)
        widget->repaint();
    const QPoint at = widget->mapTo(widget->window(), QPoint(0, 0));
    return widget->screen()
        ->grabWindow(widget->window()->winId(), at.x(), at.y(), widget->width(), widget->height())
        .toImage();
}

// The rows area as it stands in the window's backing store, painted anew.
QImage paintedRows(QTableWidget *view)
{
    QWidget *rows = view->viewport();
    if (!spinUntil([&] { return rows->updatesEnabled(); }, 1000))
        qFatal("the rows area is never repainted");
    return shown(rows, true);
}

// Times of the paint events a widget receives.
class PaintLog : public QObject
{
public:
    explicit PaintLog(QWidget *widget) { widget->installEventFilter(this); clock.start(); }
    QList<qint64> times;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            times.append(clock.elapsed());
        return false;
    }

private:
    QElapsedTimer clock;
};

// Tints the panel of every cell, selected or not, and indents its text.
struct TintedCellsStyle : QProxyStyle
{
    TintedCellsStyle() : QProxyStyle(QStringLiteral("Fusion")) {}
    QRect subElementRect(SubElement e, const QStyleOption *o, const QWidget *w) const override
    {
        return QProxyStyle::subElementRect(e, o, w).adjusted(e == SE_ItemViewItemText ? 5 : 0, 0, 0, 0);
    }
    void drawPrimitive(PrimitiveElement e, const QStyleOption *o, QPainter *p, const QWidget *w) const override
    {
        if (e == PE_PanelItemViewItem)
            p->fillRect(o->rect, QColor(0, 120, 0, 60));
        QProxyStyle::drawPrimitive(e, o, p, w);
    }
};

void enterStatisticsMode(ReceiveFixture &f)
{
    f.click("checkBoxOnlyRev");
    f.click("checkBoxOverlayDisplay");
    QVERIFY(f.widget<QCheckBox>("checkBoxOverlayDisplay")->isChecked());
}

} // namespace

class TestTrafficView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }
    void receivedColumns_data();
    void receivedColumns();
    void unknownFormatKeepsColumnFour();
    void ringWrapsAtDefaultLimit();
    void ringWrapsAtSmallLimit();
    void editedCellShowsUntilItsRowComesRound();
    void deliveryAcrossTheWrapLeavesOtherEditorsAlone();
    void rowLimitEdits_data();
    void rowLimitEdits();
    void deletingCharactersOneByOne();
    void clearRestartsAtRowZero();
    void pauseWritesNothing();
    void receiveOnlyControlsStatisticsMode();
    void statisticsRowPerIdentifier();
    void statisticsMarksVariableExtended();
    void statisticsClearKeepsIdentifierRows();
    void statisticsRefusal();
    void statisticsWithRowLimitOne();
    void manyIdentifiersInStatisticsMode();
    void editTriggersAfterLeavingStatistics_data();
    void editTriggersAfterLeavingStatistics();
    void cellsLookAsTheStandardDelegatePaintsThem_data();
    void cellsLookAsTheStandardDelegatePaintsThem();
    void eachDeliverySelectsItsLastRowRepaintsWait();
    void rowSentMeanwhileIsShownAtTheRepaint();
    void pausedDeliveriesLeaveTheViewWhereItIs();
};

void TestTrafficView::receivedColumns_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("columns");   // columns 0, 1, 3..7
    const QString data2 = QStringLiteral("01 02") + QString(16, ' ');
    QTest::newRow("fixed extended data")
        << fixedBytes(0x1AB, FrameFormat::Extended, QByteArray::fromHex("0102"))
        << QStringList{"0", "接受", "数据帧", "扩展帧", "0x000001ab", "2", data2};
    QTest::newRow("variable extended data")
        << variableBytes(0x1AB, FrameFormat::Extended, QByteArray::fromHex("0102"))
        << QStringList{"0", "接受", "数据帧", "扩展帧", "0x000001ab", "2", data2};
    QTest::newRow("fixed standard remote")
        << fixedBytes(0x7FF, FrameFormat::Standard, QByteArray(), true)
        << QStringList{"0", "接受", "远程帧", "标准帧", "0x000007ff", "0", " "};
    QTest::newRow("variable, ten data bytes")
        << QByteArray::fromHex("AACA01000011223344556677889955")
        << QStringList{"0", "接受", "数据帧", "标准帧", "0x00000001", "10", "00 11 22 33 44 55 66 778899"};
    QTest::newRow("fixed, eight bytes")
        << fixedBytes(0x12345678, FrameFormat::Extended, QByteArray::fromHex("0011223344556677"))
        << QStringList{"0", "接受", "数据帧", "扩展帧", "0x12345678", "8", "00 11 22 33 44 55 66 77"};
}

void TestTrafficView::receivedColumns()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, columns);
    ReceiveFixture f;
    f.deliver(bytes);
    const int shownColumns[] = {0, 1, 3, 4, 5, 6, 7};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(f.cell(0, shownColumns[i]), columns.at(i));
    QVERIFY(QTime::fromString(f.cell(0, 2), QStringLiteral("hh:mm:ss zzz")).isValid());
    QCOMPARE(f.trafficView()->currentRow(), 0);
    QCOMPARE(f.trafficView()->styleSheet(), kBlueSelection);
    QCOMPARE(f.trafficView()->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(nextTrafficRow, 1);
}

void TestTrafficView::unknownFormatKeepsColumnFour()
{
    ReceiveFixture f;
    f.setRowLimit(QStringLiteral("2"));
    QByteArray odd = fixedBytes(0x42, FrameFormat::Standard, QByteArray::fromHex("01"));
    odd[3] = 3;                                             // format byte neither 1 nor 2
    odd[19] = char(commandSum(odd.constData(), 2, 19));
    f.deliver(odd);
    QVERIFY(!f.trafficView()->item(0, 4));
    QCOMPARE(f.cell(0, 5), QStringLiteral("0x00000042"));

    // A lap later, row 1 keeps the earlier text in column 4.
    f.deliver(fixedBytes(1, FrameFormat::Extended) + fixedBytes(2) + odd);
    QCOMPARE(f.cell(1, 4), QStringLiteral("扩展帧"));
    QCOMPARE(f.cell(1, 5), QStringLiteral("0x00000042"));
    QCOMPARE(f.cell(0, 4), QStringLiteral("标准帧"));
}

void TestTrafficView::ringWrapsAtDefaultLimit()
{
    ReceiveFixture f;
    QByteArray bytes;
    for (quint32 id = 0; id < 1001; ++id)
        bytes += fixedBytes(id, FrameFormat::Extended);
    f.deliver(bytes);
    QCOMPARE(f.trafficView()->rowCount(), 1000);
    QCOMPARE(f.cell(0, 5), idText(1000));
    QCOMPARE(f.cell(0, 0), QStringLiteral("0"));
    QCOMPARE(f.cell(1, 5), idText(1));
    QCOMPARE(f.cell(999, 5), idText(999));
    QCOMPARE(f.cell(999, 0), QStringLiteral("999"));
    QCOMPARE(nextTrafficRow, 1);
    QCOMPARE(f.trafficView()->currentRow(), 0);
}

// Rows the ring comes round to are rewritten in place, and whatever else shows
// the traffic model hears of each of their cells by the time they are repainted.
void TestTrafficView::ringWrapsAtSmallLimit()
{
    ReceiveFixture f;
    f.setRowLimit(QStringLiteral("5"));
    QCOMPARE(f.trafficView()->rowCount(), 5);
    f.deliver(framesWithIds({1, 2, 3, 4, 5}));
    QAbstractItemModel *model = f.trafficView()->model();
    QSignalSpy notices(model, &QAbstractItemModel::dataChanged);
    f.deliver(framesWithIds({6, 7}));
    const QStringList expected{idText(6), idText(7), idText(3), idText(4), idText(5)};
    for (int r = 0; r < 5; ++r) {
        QCOMPARE(f.cell(r, 5), expected.at(r));
        QCOMPARE(f.cell(r, 0), QString::number(r));
    }
    QCOMPARE(nextTrafficRow, 2);
    QTRY_VERIFY(f.trafficView()->viewport()->updatesEnabled());
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < model->columnCount(); ++c) {
            QVERIFY2(std::any_of(notices.cbegin(), notices.cend(), [&](const QList<QVariant> &notice) {
                         const QModelIndex from = notice.at(0).toModelIndex(), to = notice.at(1).toModelIndex();
                         return from.row() <= r && r <= to.row() && from.column() <= c && c <= to.column();
                     }),
                     qPrintable(QStringLiteral("row %1 column %2").arg(r).arg(c)));
        }
    }
}

// A cell edited in the view shows and tells of its new text; the next lap of
// the ring writes the frame's text over it.
void TestTrafficView::editedCellShowsUntilItsRowComesRound()
{
    ReceiveFixture f;
    QTableWidget *view = f.trafficView();
    f.setRowLimit(QStringLiteral("2"));
    f.deliver(framesWithIds({1, 2}));
    QSignalSpy changed(view, &QTableWidget::cellChanged);
    view->edit(view->model()->index(0, 5));
    QLineEdit *editor = openCellEditor(view);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("note"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(f.cell(0, 5), QStringLiteral("note"));   // the editor commits on its next pass
    QCOMPARE(changed.size(), 1);
    QCOMPARE(view->model()->index(0, 5).data().toString(), QStringLiteral("note"));
    f.deliver(framesWithIds({3}));
    QCOMPARE(f.cell(0, 5), idText(3));
    QCOMPARE(std::unique_ptr<QTableWidgetItem>(view->item(0, 5)->clone())->text(), idText(3));

    // An editor open on a cell hears of its new text at the end of each
    // delivery, even while the rows wait for their repaint.
    view->edit(view->model()->index(0, 5));
    QLineEdit *open = nullptr;
    QTRY_VERIFY((open = openCellEditor(view)));
    f.deliver(framesWithIds({4}));
    f.deliver(framesWithIds({5}));
    QCOMPARE(open->text(), idText(5));
}

// Rows 4 and 0 are rewritten in one delivery: an editor on row 2 keeps what
// the user typed.
void TestTrafficView::deliveryAcrossTheWrapLeavesOtherEditorsAlone()
{
    ReceiveFixture f;
    QTableWidget *view = f.trafficView();
    f.setRowLimit(QStringLiteral("5"));
    f.deliver(framesWithIds({1, 2, 3, 4}));
    view->edit(view->model()->index(2, 5));
    QLineEdit *editor = nullptr;
    QTRY_VERIFY((editor = openCellEditor(view)));
    editor->setText(QStringLiteral("typed"));
    f.deliver(framesWithIds({5, 6}));
    QCOMPARE(f.cell(0, 5), idText(6));
    QCOMPARE(editor->text(), QStringLiteral("typed"));
}

void TestTrafficView::rowLimitEdits_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("keystrokes");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("typing 2000") << "2000" << true << 2000 << true;
    QTest::newRow("typing 25") << "25" << true << 25 << true;
    QTest::newRow("zero") << "0" << false << 1000 << false;
    QTest::newRow("negative") << "-5" << false << 1000 << false;
    QTest::newRow("not a number") << "abc" << false << 1000 << false;
    QTest::newRow("blanks around a number") << " 7 " << false << 7 << true;
    QTest::newRow("beyond int") << "99999999999" << false << 1000 << false;
    QTest::newRow("more rows than the view can hold") << "5000000" << false << 1000 << false;
}

void TestTrafficView::rowLimitEdits()
{
    QFETCH(QString, typed);
    QFETCH(bool, keystrokes);
    QFETCH(int, rows);
    QFETCH(bool, cleared);
    ReceiveFixture f;
    f.deliver(framesWithIds({1, 2, 3}));
    QLineEdit *edit = f.widget<QLineEdit>("lineEditTotal");
    if (keystrokes)
        f.setRowLimit(typed);
    else
        edit->setText(typed);
    QCOMPARE(edit->text(), typed);
    QCOMPARE(f.trafficView()->rowCount(), rows);
    QCOMPARE(itemCount(f.trafficView()) == 0, cleared);
    QCOMPARE(nextTrafficRow, cleared ? 0 : 3);
    f.deliver(framesWithIds({9}));
    QCOMPARE(f.cell(cleared ? 0 : 3, 5), idText(9));
}

void TestTrafficView::deletingCharactersOneByOne()
{
    ReceiveFixture f;
    QLineEdit *edit = f.widget<QLineEdit>("lineEditTotal");
    edit->setFocus();
    edit->end(false);
    QStringList rowsSeen;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(edit, Qt::Key_Backspace);
        rowsSeen << QString::number(f.trafficView()->rowCount());
    }
    QCOMPARE(rowsSeen, (QStringList{"100", "10", "1"}));
    f.deliver(framesWithIds({4, 5}));
    QTest::keyClick(edit, Qt::Key_Backspace);   // empty: the limit in force comes back
    QCOMPARE(edit->text(), QStringLiteral("1"));
    QCOMPARE(f.trafficView()->rowCount(), 1);
    QCOMPARE(itemCount(f.trafficView()), 0);

    // Select all and delete: back to the current limit, view emptied.
    f.setRowLimit(QStringLiteral("30"));
    f.deliver(framesWithIds({6}));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(edit->text(), QStringLiteral("30"));
    QCOMPARE(f.trafficView()->rowCount(), 30);
    QCOMPARE(itemCount(f.trafficView()), 0);
}

void TestTrafficView::clearRestartsAtRowZero()
{
    ReceiveFixture f;
    f.deliver(framesWithIds({1, 2, 3}));
    f.click("btnViewClear");
    QCOMPARE(itemCount(f.trafficView()), 0);
    QCOMPARE(f.trafficView()->rowCount(), 1000);
    f.deliver(framesWithIds({4}));
    QCOMPARE(f.cell(0, 5), idText(4));
    QCOMPARE(f.cell(0, 0), QStringLiteral("0"));
}

void TestTrafficView::pauseWritesNothing()
{
    ReceiveFixture f;
    f.deliver(framesWithIds({1}));
    f.click("checkBoxPause");
    f.deliver(framesWithIds({2, 3}) + variableBytes(4));
    QCOMPARE(itemCount(f.trafficView()), 8);
    QCOMPARE(nextTrafficRow, 1);
    f.click("checkBoxPause");
    f.deliver(framesWithIds({5}));
    QCOMPARE(f.cell(1, 5), idText(5));
}

void TestTrafficView::receiveOnlyControlsStatisticsMode()
{
    ReceiveFixture f;
    QCheckBox *statistics = f.widget<QCheckBox>("checkBoxOverlayDisplay");
    f.click("checkBoxOverlayDisplay");
    QVERIFY(!statistics->isChecked());                // disabled: the click does nothing

    f.click("checkBoxOnlyRev");
    QVERIFY(statistics->isEnabled());
    f.deliver(framesWithIds({1}));                    // received frames are still shown
    QCOMPARE(f.cell(0, 5), idText(1));

    f.click("checkBoxOverlayDisplay");
    QVERIFY(statistics->isChecked());
    f.click("checkBoxOnlyRev");
    QVERIFY(!statistics->isChecked());
    QVERIFY(!statistics->isEnabled());
    f.deliver(framesWithIds({2, 2}));                 // normal mode again: two rows
    QCOMPARE(f.cell(0, 5), idText(2));
    QCOMPARE(f.cell(1, 5), idText(2));
}

void TestTrafficView::statisticsRowPerIdentifier()
{
    ReceiveFixture f;
    f.deliver(framesWithIds({9}));
    enterStatisticsMode(f);
    QCOMPARE(itemCount(f.trafficView()), 0);          // entering clears the view
    QCOMPARE(f.trafficView()->editTriggers(), QAbstractItemView::NoEditTriggers);

    f.deliver(fixedBytes(0xA, FrameFormat::Standard, QByteArray::fromHex("01")));
    f.deliver(fixedBytes(0xB, FrameFormat::Standard, QByteArray::fromHex("02")));
    const QString firstTime = f.cell(0, 2);
    QTest::qWait(5);
    f.deliver(fixedBytes(0xA, FrameFormat::Standard, QByteArray::fromHex("0303")));

    QCOMPARE(f.cell(0, 5), idText(0xA));
    QCOMPARE(f.cell(0, 0), QStringLiteral("0"));
    QCOMPARE(f.cell(0, 6), QStringLiteral("2"));
    QCOMPARE(f.cell(0, 7).trimmed(), QStringLiteral("03 03"));
    QVERIFY(f.cell(0, 2) != firstTime);
    QCOMPARE(f.cell(1, 5), idText(0xB));
    QCOMPARE(f.cell(1, 0), QStringLiteral("1"));
    QCOMPARE(itemCount(f.trafficView()), 16);
    QCOMPARE(nextTrafficRow, 0);
    QCOMPARE(statisticsIds, (QStringList{idText(0xA), idText(0xB)}));
    QCOMPARE(f.trafficView()->currentRow(), 0);
    // Not highlighted, and readable: the identifier's text is drawn dark.
    const QImage rows = paintedRows(f.trafficView());
    const QRect cell = f.trafficView()->visualRect(f.trafficView()->model()->index(0, 5));
    int dark = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            dark += qGray(rows.pixel(x, y)) < 128;
    QVERIFY2(dark > 20, qPrintable(QString::number(dark)));
    QCOMPARE(f.trafficView()->styleSheet(), kWhiteSelection);
}

void TestTrafficView::statisticsMarksVariableExtended()
{
    ReceiveFixture f;
    enterStatisticsMode(f);
    f.deliver(variableBytes(0x100, FrameFormat::Extended) + fixedBytes(0x200, FrameFormat::Extended)
              + variableBytes(0x300, FrameFormat::Standard));
    QCOMPARE(f.cell(0, 4), QStringLiteral("/扩展帧"));
    QCOMPARE(f.cell(1, 4), QStringLiteral("扩展帧"));
    QCOMPARE(f.cell(2, 4), QStringLiteral("标准帧"));
}

void TestTrafficView::statisticsClearKeepsIdentifierRows()
{
    ReceiveFixture f;
    enterStatisticsMode(f);
    f.deliver(framesWithIds({0xA, 0xB}));
    f.click("btnViewClear");
    f.deliver(framesWithIds({0xB}));
    QVERIFY(!f.trafficView()->item(0, 5));
    QCOMPARE(f.cell(1, 5), idText(0xB));
}

void TestTrafficView::statisticsRefusal()
{
    ReceiveFixture f;
    f.setRowLimit(QStringLiteral("3"));
    enterStatisticsMode(f);
    // One delivery: the third identifier finds no row; the frames after it in
    // the same delivery are still shown.
    f.deliver(framesWithIds({0xA, 0xB, 0xC, 0xA, 0xB}));
    QCOMPARE(f.statusText(), kTooMany);
    QCOMPARE(statisticsIds.size(), 3);
    QVERIFY(!f.trafficView()->item(2, 5));
    QCOMPARE(f.cell(0, 7).trimmed(), QStringLiteral("0a"));
    QCOMPARE(f.trafficView()->currentRow(), 1);       // the last frame, 0xB, was shown

    // The refused identifier keeps its place and is shown from its next frame on.
    f.widget<QStatusBar>("statusbar")->clearMessage();
    f.deliver(framesWithIds({0xC}));
    QCOMPARE(f.cell(2, 5), idText(0xC));
    QVERIFY(f.statusText().isEmpty());

    // Later new identifiers are refused once each and never shown.
    f.deliver(framesWithIds({0xD}));
    QCOMPARE(f.statusText(), kTooMany);
    f.widget<QStatusBar>("statusbar")->clearMessage();
    f.deliver(framesWithIds({0xD}));
    QVERIFY(f.statusText().isEmpty());
    QCOMPARE(itemCount(f.trafficView()), 24);
}

void TestTrafficView::statisticsWithRowLimitOne()
{
    ReceiveFixture f;
    f.setRowLimit(QStringLiteral("1"));
    enterStatisticsMode(f);
    f.deliver(framesWithIds({0xA}));
    QCOMPARE(f.cell(0, 5), idText(0xA));
    QVERIFY(f.statusText() != kTooMany);
    f.deliver(framesWithIds({0xB}));
    QCOMPARE(f.statusText(), kTooMany);
    QCOMPARE(f.cell(0, 5), idText(0xA));
}

void TestTrafficView::manyIdentifiersInStatisticsMode()
{
    ReceiveFixture f;
    f.setRowLimit(QStringLiteral("5000"));
    enterStatisticsMode(f);
    QByteArray bytes;
    for (quint32 id = 0; id < 3000; ++id)
        bytes += fixedBytes(0x10000 + id, FrameFormat::Extended);
    for (quint32 id = 0; id < 3000; id += 7)
        bytes += fixedBytes(0x10000 + id, FrameFormat::Extended, QByteArray::fromHex("ee"));
    f.deliver(bytes);
    QCOMPARE(statisticsIds.size(), 3000);
    for (int row : {0, 7, 1400, 2996}) {
        QCOMPARE(f.cell(row, 5), idText(0x10000 + quint32(row)));
        QCOMPARE(f.cell(row, 7).trimmed(), QStringLiteral("ee"));
    }
    QCOMPARE(f.cell(2999, 6), QStringLiteral("0"));
}

void TestTrafficView::editTriggersAfterLeavingStatistics_data()
{
    QTest::addColumn<QByteArray>("leaveBy");
    QTest::addColumn<int>("triggers");
    QTest::newRow("statistics box unchecked")
        << QByteArray("checkBoxOverlayDisplay")
        << int(QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed);
    QTest::newRow("receive-only box unchecked") << QByteArray("checkBoxOnlyRev") << int(QAbstractItemView::NoEditTriggers);
}

void TestTrafficView::editTriggersAfterLeavingStatistics()
{
    QFETCH(QByteArray, leaveBy);
    QFETCH(int, triggers);
    ReceiveFixture f;
    QCOMPARE(int(f.trafficView()->editTriggers()),
             int(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed));
    enterStatisticsMode(f);
    f.deliver(framesWithIds({0xA}));
    f.click(leaveBy.constData());
    QCOMPARE(int(f.trafficView()->editTriggers()), triggers);
    QCOMPARE(itemCount(f.trafficView()), 0);
    QVERIFY(statisticsIds.isEmpty());
    f.deliver(framesWithIds({0xB, 0xB}));
    QCOMPARE(f.cell(1, 5), idText(0xB));
}

void TestTrafficView::cellsLookAsTheStandardDelegatePaintsThem_data()
{
    QTest::addColumn<QString>("situation");
    for (const char *situation :
         {"normal", "statistics", "narrow columns", "no word wrap", "underlined font", "edited cells", "focused view",
          "disabled view", "styled window", "style tinting every cell", "application font added",
          "moved to another screen"})
        QTest::newRow(situation) << QString::fromLatin1(situation);
}

// Whatever the texts, cell widths and states, the rows look exactly as the
// standard delegate paints them, also once cells are copied from earlier paints.
void TestTrafficView::cellsLookAsTheStandardDelegatePaintsThem()
{
    QFETCH(QString, situation);
    const auto restoreStyle = qScopeGuard([style = QApplication::style()->name()] { QApplication::setStyle(style); });
    ReceiveFixture f;
    QTableWidget *view = f.trafficView();
    if (situation == QLatin1String("statistics"))
        enterStatisticsMode(f);
    QByteArray bytes;
    for (quint32 i = 0; i < 40; ++i)
        bytes += (i % 3) ? fixedBytes(i * 0x1234567u, FrameFormat(1 + i % 2), QByteArray(int(i % 9), char(i)), i % 5 == 0)
                         : variableBytes(i * 0x89abu, FrameFormat::Extended, QByteArray(int(i % 16), char(0xA0 + i)));
    f.deliver(bytes);
    if (situation == QLatin1String("narrow columns")) {
        for (int column = 0; column < view->columnCount(); ++column)
            view->setColumnWidth(column, 14 + 9 * column);
        view->setRowHeight(38, 9);
    } else if (situation == QLatin1String("no word wrap")) {
        view->setWordWrap(false);
        view->setColumnWidth(7, 61);
    } else if (situation == QLatin1String("underlined font")) {
        QFont font = view->font();
        font.setUnderline(true);
        font.setStrikeOut(true);
        view->setFont(font);
    } else if (situation == QLatin1String("edited cells")) {
        view->item(37, 7)->setText(QStringLiteral("two\nlines of a long text typed by hand"));
        view->item(38, 5)->setText(QStringLiteral("接受 接受 接受 接受 接受"));
        view->item(36, 2)->setTextAlignment(Qt::AlignRight | Qt::AlignBottom);
        view->item(35, 1)->setBackground(Qt::yellow);
    } else if (situation == QLatin1String("focused view")) {
        view->setFocus();
    } else if (situation == QLatin1String("disabled view")) {
        view->setEnabled(false);
    } else if (situation == QLatin1String("styled window")) {
        f.window().setStyleSheet(QStringLiteral("QTableView::item { padding-left: 6px; color: rgb(120,0,0) }"));
    } else if (situation == QLatin1String("style tinting every cell")) {
        paintedRows(view);   // first with a style that leaves plain cells alone
        QApplication::setStyle(new TintedCellsStyle);
    } else if (situation == QLatin1String("application font added")) {
        // A renamed copy of DejaVu Sans Mono is the only font of its family:
        // the rows are drawn in a fallback font until it is added.
        QFont font = view->font();
        font.setFamily(QStringLiteral("Tavicon CellMono"));
        view->setFont(font);
        paintedRows(view);
        QFile file(QStandardPaths::locate(QStandardPaths::FontsLocation, "truetype/dejavu/DejaVuSansMono.ttf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray data = file.readAll();
        for (auto encoding : {QStringConverter::Latin1, QStringConverter::Utf16BE}) {
            auto encoded = [&](const char16_t *name) { return QByteArray(QStringEncoder(encoding).encode(name)); };
            data.replace(encoded(u"DejaVu Sans Mono"), encoded(u"Tavicon CellMono"));
        }
        QVERIFY(QFontDatabase::addApplicationFontFromData(data) >= 0);
    } else if (situation == QLatin1String("moved to another screen")) {
        if (QGuiApplication::screens().size() < 2)
            QSKIP("a single screen: test_trafficview_scaled runs this on two");
        paintedRows(view);
        QScreen *other = QGuiApplication::screens().at(1);
        f.window().windowHandle()->setScreen(other);
        f.window().move(other->geometry().topLeft());
        QTRY_COMPARE(view->screen(), other);
    }
    paintedRows(view);
    paintedRows(view);
    const QImage fast = paintedRows(view);
    QStyledItemDelegate standard;
    QAbstractItemDelegate *own = view->itemDelegate();
    view->setItemDelegate(&standard);
    const QImage expected = paintedRows(view);
    view->setItemDelegate(own);
    QVERIFY(!fast.isNull());
    QCOMPARE(fast, expected);
    QVERIFY(fast != QImage(fast.size(), fast.format()));
}

// Each delivery ends with its last row current and selected; meanwhile the
// rows are repainted at a steady pace, showing the newest row. The interval
// counts from the last repaint: after a quiet spell a new row is painted on
// the next pass of the event loop.
void TestTrafficView::eachDeliverySelectsItsLastRowRepaintsWait()
{
    ReceiveFixture f;
    QTableWidget *view = f.trafficView();
    PaintLog paints(view->viewport());
    for (quint32 i = 0; i < 60; ++i) {
        f.deliver(framesWithIds({3 * i, 3 * i + 1, 3 * i + 2}));
        QCOMPARE(view->currentRow(), int(3 * i + 2));
        const QModelIndexList selected = view->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().row(), int(3 * i + 2));
        QTest::qWait(2);
    }
    paintedRows(view);
    QVERIFY(view->viewport()->rect().intersects(view->visualRect(view->model()->index(179, 0))));
    QVERIFY(paints.times.size() >= 2);
    for (int k = 1; k < paints.times.size() - 1; ++k)
        QVERIFY2(paints.times.at(k) - paints.times.at(k - 1) >= 30, qPrintable(QString::number(k)));

    QTest::qWait(200);
    f.deliver(framesWithIds({180}));
    QCoreApplication::processEvents();
    QVERIFY(view->viewport()->updatesEnabled());

    // Once the selection was cleared, the next row selected shows in the
    // header: painted anew, it looks as it stood.
    view->clearSelection();
    f.deliver(framesWithIds({181}));
    QCoreApplication::processEvents();
    const QImage header = shown(view->horizontalHeader()->viewport());
    QCOMPARE(shown(view->horizontalHeader()->viewport(), true), header);
}

// A frame sent while the rows wait for their repaint is selected at once and
// in view when they are repainted.
void TestTrafficView::rowSentMeanwhileIsShownAtTheRepaint()
{
    ReceiveFixture f;
    QTableWidget *view = f.trafficView();
    f.deliver(fixedFramesCountingUp(300));
    paintedRows(view);
    f.clickCell("tableWidget_2", 0, 2);
    QCOMPARE(view->currentRow(), 300);
    QCOMPARE(f.cell(300, 1), QStringLiteral("发送"));
    paintedRows(view);
    QVERIFY(view->viewport()->rect().contains(view->visualRect(view->model()->index(300, 0))));
}

// While paused, arriving frames do not pull the view back to the last row.
void TestTrafficView::pausedDeliveriesLeaveTheViewWhereItIs()
{
    ReceiveFixture f;
    QTableWidget *view = f.trafficView();
    f.deliver(fixedFramesCountingUp(300));
    paintedRows(view);
    QVERIFY(view->verticalScrollBar()->value() > 0);
    f.click("checkBoxPause");
    view->verticalScrollBar()->setValue(0);
    f.deliver(framesWithIds({1, 2}));
    spinEventLoop(100);
    QCOMPARE(view->verticalScrollBar()->value(), 0);
    QCOMPARE(view->currentRow(), 299);
}

QTEST_MAIN(TestTrafficView)
#include "test_trafficview.moc"
