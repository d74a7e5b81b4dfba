// Saving the traffic view to log files, by hand and automatically.
//
// The automatic log follows the view's cursor: rows below `savedRowCount` are
// in the current file. Each tick appends the rows filled since; when the cursor
// wraps, or the view is cleared or reset, the rows not yet saved are appended
// at once, before they can be overwritten, and the next tick starts a new file.
// So every row the view writes reaches the log once, however fast rows come.

#include "app/mainwindow.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QTimer>

#include "files/textfile.h"
#include "traffic/trafficlog.h"
#include "traffic/traffictext.h"
#include "ui_mainwindow.h"

namespace {
constexpr int kAutoSaveIntervalMs = 1000;
}

QByteArray MainWindow::trafficLogHeader() const
{
    const QTableWidget *view = ui->tableWidget;
    QStringList texts;
    for (int column = 0; column < view->columnCount(); ++column) {
        const QTableWidgetItem *item = view->horizontalHeaderItem(column);
        if (!item)
            break;
        texts.append(item->data(Qt::DisplayRole).toString());
    }
    return logHeaderLine(texts, columnPadding);
}

// Appends the lines of rows `from` up to `end` − 1 to `lines`, stopping at the
// first row that holds no frame; returns the first row not written.
int MainWindow::trafficLogRows(int from, int end, QByteArray *lines) const
{
    const QTableWidget *view = ui->tableWidget;
    const int columns = view->columnCount();
    end = qMin(end, view->rowCount());
    QStringList texts;
    int row = qMax(from, 0);
    for (; row < end && view->item(row, TrafficColumn::Identifier); ++row) {
        texts.clear();
        for (int column = 0; column < columns; ++column) {
            const QTableWidgetItem *item = view->item(row, column);
            texts.append(item ? item->data(Qt::DisplayRole).toString() : QString());
        }
        *lines += logRowLine(texts, columnPadding);
    }
    return row;
}

bool MainWindow::autoSaveRunning() const
{
    return autoSaveTimer && autoSaveTimer->isActive();
}

void MainWindow::reportAutoSaveFailure(const QString &fileName)
{
    ui->statusbar->showMessage(autoSaveFailedText(fileName));
}

// Appends the unsaved rows below `end` to the current file. Rows that cannot
// be written stay unsaved; callers that are about to lose them move on.
void MainWindow::appendAutoSaveRows(int end)
{
    QByteArray lines;
    const int reached = trafficLogRows(savedRowCount, end, &lines);
    if (lines.isEmpty())
        return;
    if (appendToLogFile(autoSaveFileName, lines))
        savedRowCount = reached;
    else
        reportAutoSaveFailure(autoSaveFileName);
}

// A new file with the header and rows 0 to the cursor − 1. When it cannot be
// made, the rows stay unsaved, the old file stays current and the next tick
// tries again.
void MainWindow::startNewAutoSaveFile()
{
    QByteArray content = trafficLogHeader();
    const int reached = trafficLogRows(0, nextTrafficRow, &content);
    QString fileName;
    if (!createAutoLogFile(QDateTime::currentDateTime(), content, &fileName)) {
        reportAutoSaveFailure(fileName);
        return;
    }
    autoSaveFileName = fileName;
    savedRowCount = reached;
    autoSaveNewFileDue = false;
}

// Called when the cursor has just gone back to row 0: the rest of the lap
// goes to the current file now, before the next frame overwrites row 0.
void MainWindow::autoSaveAtWrap()
{
    if (!autoSaveRunning())
        return;
    appendAutoSaveRows(ui->tableWidget->rowCount());
    savedRowCount = 0;
    autoSaveNewFileDue = true;
}

// Called just before the view's cells are cleared and its cursor reset.
void MainWindow::autoSaveBeforeReset()
{
    if (!autoSaveRunning() || (savedRowCount == 0 && nextTrafficRow == 0))
        return;
    appendAutoSaveRows(nextTrafficRow);
    savedRowCount = 0;
    autoSaveNewFileDue = true;
}

// Called when the window goes: nothing comes after, so what cannot be
// written now is given up.
void MainWindow::autoSaveBeforeClosing()
{
    if (autoSaveRunning())
        appendAutoSaveRows(nextTrafficRow);
}

void MainWindow::on_btnViewSave_clicked()
{
    const QString fileName = QFileDialog::getSaveFileName(this, tr("保存文件"), QDir::currentPath(),
                                                          tr("Text (*.txt)"));
    if (fileName.isEmpty())
        return;
    QByteArray content = trafficLogHeader();
    trafficLogRows(0, ui->tableWidget->rowCount(), &content);
    if (!writeTextFile(fileName, content))
        ui->statusbar->showMessage(fileSaveFailedText(fileName));
}

void MainWindow::on_checkBoxAutoSave_clicked(bool checked)
{
    if (!checked) {
        if (autoSaveRunning()) {
            appendAutoSaveRows(nextTrafficRow);
            autoSaveTimer->stop();
        }
        return;
    }
    QByteArray content = trafficLogHeader();
    const int reached = trafficLogRows(0, nextTrafficRow, &content);
    if (!createAutoLogFile(QDateTime::currentDateTime(), content, &autoSaveFileName)) {
        reportAutoSaveFailure(autoSaveFileName);
        return;
    }
    savedRowCount = reached;
    autoSaveNewFileDue = false;
    autoSaveTimer->start(kAutoSaveIntervalMs);
}

void MainWindow::timerAutoSaveProc()
{
    if (savedRowCount > nextTrafficRow) {
        // The cursor went back without passing the wrap or a reset.
        appendAutoSaveRows(ui->tableWidget->rowCount());
        savedRowCount = 0;
        autoSaveNewFileDue = true;
    }
    if (autoSaveNewFileDue)
        startNewAutoSaveFile();
    else if (savedRowCount < nextTrafficRow)
        appendAutoSaveRows(nextTrafficRow);
}
