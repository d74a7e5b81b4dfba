#include "support/modaldialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

void whenModalAppears(std::function<void(QWidget *dialog)> handle, int timeoutMs)
{
    auto *poll = new QTimer(qApp);
    auto deadline = std::make_shared<QDeadlineTimer>(timeoutMs);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, deadline, handle] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog && !deadline->hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (dialog)
            handle(dialog);
    });
    poll->start(20);
}

std::shared_ptr<SeenMessageBox> answerNextMessageBox(QMessageBox::StandardButton press, int timeoutMs)
{
    auto seen = std::make_shared<SeenMessageBox>();
    whenModalAppears([seen, press](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (!box)
            return;
        seen->seen = true;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        seen->defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton())
                                                   : QMessageBox::NoButton;
        QAbstractButton *button = box->button(press);
        if (button)
            button->click();
        else
            box->reject();
    }, timeoutMs);
    return seen;
}

std::shared_ptr<SeenFileDialog> answerNextFileDialog(const QString &fileName)
{
    auto seen = std::make_shared<SeenFileDialog>();
    whenModalAppears([seen, fileName](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        if (!files)
            return;
        seen->seen = true;
        seen->caption = files->windowTitle();
        seen->directory = files->directory().absolutePath();
        seen->nameFilters = files->nameFilters();
        if (fileName.isEmpty()) {
            files->reject();
            return;
        }
        files->selectFile(fileName);
        // selectFile() leaves the name box alone while it has the focus: type
        // the name there as a user would.
        if (auto *nameBox = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            nameBox->setText(fileName);
        // A name that exists asks for confirmation first: use a new one.
        static_cast<QDialog *>(files)->accept();
    });
    return seen;
}
