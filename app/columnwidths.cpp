#include "app/columnwidths.h"

#include <QFontMetrics>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>

namespace {

// Of the digits the tables write (identifiers and data in lower case), the one
// eight of which are widest.
QChar widestHexDigit(const QFontMetrics &metrics)
{
    const QString digits = QStringLiteral("0123456789abcdef");
    QChar widest = digits.front();
    int widestAdvance = 0;
    for (const QChar digit : digits) {
        const int advance = metrics.horizontalAdvance(QString(8, digit));
        if (advance > widestAdvance) {
            widest = digit;
            widestAdvance = advance;
        }
    }
    return widest;
}

} // namespace

QString widestIdentifierText(const QFontMetrics &metrics)
{
    return QStringLiteral("0x") + QString(8, widestHexDigit(metrics));
}

QString widestDataText(const QFontMetrics &metrics)
{
    const QString byte(2, widestHexDigit(metrics));
    return QStringList(8, byte).join(QLatin1Char(' '));
}

QString widestTimeText()
{
    return QStringLiteral("23:59:59 999");
}

void widenColumnToFit(QTableView *view, int column, const QString &text)
{
    // What the view's own size hint for the column gives for a cell of this text.
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.font = view->font();
    option.fontMetrics = view->fontMetrics();
    option.features = QStyleOptionViewItem::HasDisplay;
    option.text = text;
    option.textElideMode = Qt::ElideNone;
    const int textWidth = view->style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), view).width();
    const int grid = view->showGrid() ? 1 : 0;
    if (textWidth + grid > view->columnWidth(column))
        view->setColumnWidth(column, textWidth + grid);
}

void widenSendTableColumns(QTableView *view, std::initializer_list<int> identifierColumns, int dataColumn)
{
    const QFontMetrics metrics = view->fontMetrics();
    for (const int column : identifierColumns)
        widenColumnToFit(view, column, widestIdentifierText(metrics));
    widenColumnToFit(view, dataColumn, widestDataText(metrics));
}
