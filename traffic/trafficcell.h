#ifndef TAVICON_TRAFFICCELL_H
#define TAVICON_TRAFFICCELL_H

#include <QString>
#include <QTableWidgetItem>
#include <QVariant>

// A cell of the traffic view. When the ring comes round to its row again the
// view rewrites its text in place, quietly: the writer tells the view once
// for the whole row. Any other change of its text (an edit in the view, a
// setText) is told as for any item.
class TrafficCell : public QTableWidgetItem
{
public:
    // Told apart from other items by its type, without a look at its class.
    static constexpr int Type = QTableWidgetItem::UserType + 1;

    explicit TrafficCell(const QString &text) : QTableWidgetItem(Type), shown(text) {}

    QVariant data(int role) const override;
    void setData(int role, const QVariant &value) override;
    QTableWidgetItem *clone() const override { return new TrafficCell(*this); }

    void setTextQuietly(const QString &text) { shown = text; }

private:
    QString shown;
};

#endif // TAVICON_TRAFFICCELL_H
