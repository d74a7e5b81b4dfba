#ifndef TAVICON_TEST_WINDOWHARNESS_H
#define TAVICON_TEST_WINDOWHARNESS_H

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "app/mainwindow.h"

class QLineEdit;
class QTableWidget;

// The editor open in a table's cell (it lives in the table's viewport as a
// line edit), or null.
QLineEdit *openCellEditor(const QTableWidget *table);

// The real main window, started in a fresh temporary working directory with
// the program-wide values at zero, as at program start.
class WindowHarness
{
public:
    // `startFiles` (file name, content) are written into the working directory
    // before the window is built, for it to load at start-up.
    explicit WindowHarness(const QHash<QString, QByteArray> &startFiles = {});
    ~WindowHarness();

    MainWindow &window() { return *mainWindow; }
    // Closes and deletes the window; the working directory stays until the end.
    void closeWindow() { mainWindow.reset(); }

    template <typename T>
    T *widget(const char *objectName) const
    {
        T *w = mainWindow->findChild<T *>(QString::fromLatin1(objectName));
        if (!w)
            qFatal("no widget %s", objectName);
        return w;
    }

    QString statusText() const;
    // Types a new row limit into the traffic view's limit box, as a user would.
    void setRowLimit(const QString &text);
    void click(const char *buttonName);
    // Types the port path into the port box and clicks the open button.
    void openPort(const QString &path, const QString &speed = QStringLiteral("2000000"));
    QString cell(int row, int column, const char *table = "tableWidget") const;
    // Clicks the cell as a user would (the cell is scrolled into view first).
    void clickCell(const char *table, int row, int column);
    QTableWidget *trafficView() const;
    QString workDir() const { return dir.path(); }

private:
    QTemporaryDir dir;
    QString previousDir;
    std::unique_ptr<MainWindow> mainWindow;
};

#endif // TAVICON_TEST_WINDOWHARNESS_H
