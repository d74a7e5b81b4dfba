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
    return isTextRole(role) ? QVariant(shown) : QTableWidgetItem::data(role);
}

void TrafficCell::setData(int role, const QVariant &value)
{
    if (!isTextRole(role)) {
        QTableWidgetItem::setData(role, value);
        return;
    }
    const QString text = value.toString();
    if (text == shown)
        return;
    shown = text;
    if (QTableWidget *view = tableWidget()) {
        const QModelIndex index = view->model()->index(view->row(this), view->column(this));
        emit view->model()->dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    }
}
