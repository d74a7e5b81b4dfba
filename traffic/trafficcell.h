#ifndef TAVICON_TRAFFICCELL_H
#define TAVICON_TRAFFICCELL_H

#include <QString>
#include <QStringList>
#include <QTableWidgetItem>
#include <QVariant>

#include <variant>

#include "traffic/traffictext.h"

// A cell of the traffic view: a text, or one column of a received frame whose
// text is made when it is read. When the ring comes round to its row again the
// view rewrites it in place, quietly: the writer tells the view once for the
// whole row. Any other change of its text (an edit in the view, a setText) is
// told as for any item.
class TrafficCell : public QTableWidgetItem
{
public:
    // Told apart from other items by its type, without a look at its class.
    static constexpr int Type = QTableWidgetItem::UserType + 1;

    explicit TrafficCell(const QString &text) : QTableWidgetItem(Type), content(text) {}
    TrafficCell(const ReceivedRow &row, int column) : QTableWidgetItem(Type), content(row), receivedColumn(qint8(column)) {}

    QVariant data(int role) const override;
    void setData(int role, const QVariant &value) override;
    QTableWidgetItem *clone() const override { return new TrafficCell(*this); }

    void setTextQuietly(const QString &text);
    void setReceivedQuietly(const ReceivedRow &row, int column);

private:
    QString currentText() const;

    std::variant<QString, ReceivedRow> content;
    qint8 receivedColumn = 0;   // the column shown of a received frame
};

// What a row of the traffic view is filled with: its texts, or a received
// frame. A null text of the format column leaves that cell as it is.
class TrafficRowContent
{
public:
    explicit TrafficRowContent(const QStringList &texts) : texts(&texts) {}
    explicit TrafficRowContent(const ReceivedRow &frame) : frame(&frame) {}

    int columns() const;
    bool leavesCell(int column) const;
    QString text(int column) const { return texts ? texts->at(column) : frame->text(column); }
    void writeQuietly(TrafficCell *cell, int column) const;
    TrafficCell *newCell(int column) const;

private:
    const QStringList *texts = nullptr;
    const ReceivedRow *frame = nullptr;
};

#endif // TAVICON_TRAFFICCELL_H
