#ifndef TAVICON_TABLECELLS_H
#define TAVICON_TABLECELLS_H

#include <QString>
#include <QStringList>

#include "txtables/tablefile.h"

class QTableWidget;
class QTableWidgetItem;

// Cell handling shared by the three send tables.

// The text the default rows and the send cells show.
extern const QString kDefaultRowData;      // "00 11 22 33 44 55 66 77"
extern const QString kSendCellText;        // "发送"

// "0x" and the identifier as eight lower-case hexadecimal digits.
QString defaultRowIdText(quint32 identifier);

// Puts a new plain item with each text into the row, from column 0 on.
void setRowTexts(QTableWidget *table, int row, const QStringList &texts);

// An item of centred text (the send and enable cells).
QTableWidgetItem *centredItem(const QString &text);

// Inserts an empty row below the current row (at the top when there is
// none) and returns its index.
int insertRowBelowCurrent(QTableWidget *table);
// Removes the current row, if there is one.
void removeCurrentRow(QTableWidget *table);

// The texts of the first `columns` cells of every row, from the first row up
// to the first row lacking one of these items.
TableFileRows tableTexts(const QTableWidget *table, int columns);

#endif // TAVICON_TABLECELLS_H
