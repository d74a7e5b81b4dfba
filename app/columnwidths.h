#ifndef TAVICON_COLUMNWIDTHS_H
#define TAVICON_COLUMNWIDTHS_H

#include <QString>
#include <initializer_list>

class QFontMetrics;
class QTableView;

// Column widths that fit the view's font: the widths the tables are given are
// the least widths, widened where the font needs more for its longest texts on
// one line.

// "0x" and eight of the font's widest hexadecimal digit: the widest identifier.
QString widestIdentifierText(const QFontMetrics &metrics);
// Eight bytes of the widest digit, joined by blanks: the widest data text.
QString widestDataText(const QFontMetrics &metrics);
// The widest time stamp of the traffic view.
QString widestTimeText();

// Widens the column to what one cell of `text` needs on one line in the view's
// font and style (its text margins and the grid line included), where its
// width is less; a column that fits keeps its width.
void widenColumnToFit(QTableView *view, int column, const QString &text);

// A send table's identifier columns and its data column, widened to fit.
void widenSendTableColumns(QTableView *view, std::initializer_list<int> identifierColumns, int dataColumn);

#endif // TAVICON_COLUMNWIDTHS_H
