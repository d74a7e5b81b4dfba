#ifndef TAVICON_TEST_MODALDIALOGS_H
#define TAVICON_TEST_MODALDIALOGS_H

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

// Answers the next modal dialog the program opens, as a user would: a timer
// polls QApplication::activeModalWidget() and hands the dialog to `handle`
// once it is there. Call before the click that opens the dialog.
void whenModalAppears(std::function<void(QWidget *dialog)> handle, int timeoutMs = 5000);

// What a message box showed before the test pressed one of its buttons.
struct SeenMessageBox
{
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Presses `press` on the next message box; the result fills in once it is seen.
// The watch ends after `timeoutMs`: a test that expects no box waits that long
// before it looks, so the watch cannot take a later test's box.
std::shared_ptr<SeenMessageBox> answerNextMessageBox(QMessageBox::StandardButton press, int timeoutMs = 5000);

// What a file dialog showed before the test answered it.
struct SeenFileDialog
{
    bool seen = false;
    QString caption;
    QString directory;
    QStringList nameFilters;
};

// Answers the next file dialog with `fileName` (accepted), or cancels it when
// `fileName` is empty.
std::shared_ptr<SeenFileDialog> answerNextFileDialog(const QString &fileName);

#endif // TAVICON_TEST_MODALDIALOGS_H
