#include "txtables/tablecells.h"

#include <QTableWidget>

#include "traffic/traffictext.h"

const QString kDefaultRowData = QStringLiteral("00 11 22 33 44 55 66 77");
const QString kSendCellText = QStringLiteral("发送");

QString defaultRowIdText(quint32 identifier)
{
    return receivedIdText(identifier);
}

void setRowTexts(QTableWidget *table, int row, const QStringList &texts)
{
    for (int column = 0; column < texts.size(); ++column)
        table->setItem(row, column, new QTableWidgetItem(texts.at(column)));
}

QTableWidgetItem *centredItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

int insertRowBelowCurrent(QTableWidget *table)
{
    const int row = table->currentRow() + 1;
    table->insertRow(row);
    return row;
}

void removeCurrentRow(QTableWidget *table)
{
    const int row = table->currentRow();
    if (row >= 0)
        table->removeRow(row);
}

TableFileRows tableTexts(const QTableWidget *table, int columns)
{
    TableFileRows rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList texts;
        for (int column = 0; column < columns; ++column) {
            const QTableWidgetItem *item = table->item(row, column);
            if (!item)
                return rows;
            texts.append(item->text());
        }
        rows.append(texts);
    }
    return rows;
}
