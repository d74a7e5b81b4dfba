#include "support/windowharness.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QFile>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QToolBox>

#include "support/testfiles.h"

#include <algorithm>

QLineEdit *openCellEditor(const QTableWidget *table)
{
    const QList<QLineEdit *> edits = table->viewport()->findChildren<QLineEdit *>();
    const auto open = std::find_if(edits.cbegin(), edits.cend(), [](const QLineEdit *e) { return e->isVisible(); });
    return open == edits.cend() ? nullptr : *open;
}

WindowHarness::WindowHarness(const QHash<QString, QByteArray> &startFiles)
    : previousDir(QDir::currentPath())
{
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        qFatal("cannot enter a temporary working directory");
    for (auto file = startFiles.cbegin(); file != startFiles.cend(); ++file)
        writeFileBytes(file.key(), file.value());
    nextTrafficRow = 0;
    statisticsIds.clear();
    savedRowCount = 0;
    mainWindow = std::make_unique<MainWindow>();
    mainWindow->show();
}

WindowHarness::~WindowHarness()
{
    mainWindow.reset();
    QDir::setCurrent(previousDir);
}

QString WindowHarness::statusText() const
{
    return widget<QStatusBar>("statusbar")->currentMessage();
}

void WindowHarness::setRowLimit(const QString &text)
{
    QLineEdit *edit = widget<QLineEdit>("lineEditTotal");
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void WindowHarness::click(const char *buttonName)
{
    QTest::mouseClick(widget<QAbstractButton>(buttonName), Qt::LeftButton);
}

void WindowHarness::openPort(const QString &path, const QString &speed)
{
    QComboBox *port = widget<QComboBox>("cbBoxPort");
    port->setEditText(path);
    QComboBox *speeds = widget<QComboBox>("cbBoxBps");
    speeds->setCurrentIndex(speeds->findText(speed));
    click("btnOpenClose");
}

QTableWidget *WindowHarness::trafficView() const
{
    return widget<QTableWidget>("tableWidget");
}

QString WindowHarness::cell(int row, int column, const char *table) const
{
    const QTableWidgetItem *item = widget<QTableWidget>(table)->item(row, column);
    return item ? item->text() : QString();
}

void WindowHarness::clickCell(const char *table, int row, int column)
{
    QTableWidget *view = widget<QTableWidget>(table);
    auto *pages = widget<QToolBox>("toolBox");
    for (int page = 0; page < pages->count(); ++page) {
        if (pages->widget(page)->isAncestorOf(view))
            pages->setCurrentIndex(page);
    }
    QCoreApplication::processEvents();
    view->scrollTo(view->model()->index(row, column));
    const QRect rect = view->visualRect(view->model()->index(row, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}
