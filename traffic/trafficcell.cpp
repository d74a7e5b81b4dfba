#include "traffic/trafficcell.h"

#include <QTableWidget>

namespace {

bool isTextRole(int role)
{
    return role == Qt::DisplayRole || role == Qt::EditRole;
}

} // namespace

QVariant TrafficCell::data(int role) const
{
    return isTextRole(role) ? QVariant(currentText()) : QTableWidgetItem::data(role);
}

void TrafficCell::setData(int role, const QVariant &value)
{
    if (!isTextRole(role)) {
        QTableWidgetItem::setData(role, value);
        return;
    }
    const QString text = value.toString();
    if (text == currentText())
        return;
    setTextQuietly(text);
    if (QTableWidget *view = tableWidget()) {
        const QModelIndex index = view->model()->index(view->row(this), view->column(this));
        emit view->model()->dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    }
}

QString TrafficCell::currentText() const
{
    if (const ReceivedRow *received = std::get_if<ReceivedRow>(&content))
        return received->text(receivedColumn);
    return std::get<QString>(content);
}

void TrafficCell::setTextQuietly(const QString &text)
{
    content = text;
}

void TrafficCell::setReceivedQuietly(const ReceivedRow &row, int column)
{
    content = row;
    receivedColumn = qint8(column);
}

int TrafficRowContent::columns() const
{
    return texts ? int(qMin<qsizetype>(TrafficColumn::Count, texts->size())) : TrafficColumn::Count;
}

bool TrafficRowContent::leavesCell(int column) const
{
    if (column != TrafficColumn::Format)
        return false;
    return texts ? texts->at(column).isNull() : frame->format == FrameFormat::Other;
}

void TrafficRowContent::writeQuietly(TrafficCell *cell, int column) const
{
    if (texts)
        cell->setTextQuietly(texts->at(column));
    else
        cell->setReceivedQuietly(*frame, column);
}

TrafficCell *TrafficRowContent::newCell(int column) const
{
    return texts ? new TrafficCell(texts->at(column)) : new TrafficCell(*frame, column);
}
