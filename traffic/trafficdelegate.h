#ifndef TAVICON_TRAFFICDELEGATE_H
#define TAVICON_TRAFFICDELEGATE_H

#include <QCache>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <QStyle>
#include <QString>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include "traffic/asciiglyphs.h"

#include <functional>
#include <memory>

// Paints the cells of the traffic view exactly as the standard delegate does,
// without laying out the same text over and over: a one-line text of plain
// ASCII is drawn from glyphs known per character pair, any other plain text
// cell is laid out once per text and cell size and then only drawn, and such
// a cell drawn a second time is kept as finished pixels and copied from then
// on. Cells with anything else (icons, check boxes, an open editor) are left
// to the standard delegate.
class TrafficItemDelegate : public QStyledItemDelegate
{
public:
    explicit TrafficItemDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    struct LayoutKey
    {
        QString text;
        QSize size;
        int alignment;
        int elideMode;
        int direction;
        bool wrap;
        bool operator==(const LayoutKey &other) const
        {
            return size == other.size && alignment == other.alignment && elideMode == other.elideMode
                   && direction == other.direction && wrap == other.wrap && text == other.text;
        }
        friend size_t qHash(const LayoutKey &key, size_t seed = 0)
        {
            return qHashMulti(seed, key.text, key.size.width(), key.size.height(), key.alignment, key.elideMode,
                              key.direction, key.wrap);
        }
    };
    // A laid out, possibly elided text and where it starts in its text rectangle.
    struct LaidOutText
    {
        std::unique_ptr<QTextLayout> layout;
        QPointF offset;
        mutable int drawn = 0;
    };
    // What a finished cell looks like: its text and size, its state and colours
    // and the background it was painted on.
    struct CellKey
    {
        LayoutKey text;
        QSize size;
        int state;
        QRgb textColour;
        QRgb highlight;
        QRgb background;
        bool operator==(const CellKey &other) const
        {
            return size == other.size && state == other.state && textColour == other.textColour
                   && highlight == other.highlight && background == other.background && text == other.text;
        }
        friend size_t qHash(const CellKey &key, size_t seed = 0)
        {
            return qHashMulti(seed, key.text, key.size.width(), key.size.height(), key.state, key.textColour,
                              key.highlight, key.background);
        }
    };

    bool paintPlainText(QPainter *painter, const QStyleOptionViewItem &option) const;
    void drawLaidOutCell(QPainter *painter, const QStyleOptionViewItem &option, const QStyle *style,
                         const QColor &textColour, const LaidOutText *text, const QRect &textRect) const;
    void drawCell(QPainter *painter, const QStyleOptionViewItem &option, const QStyle *style, const QColor &textColour,
                  const std::function<void(const QPointF &)> &drawText, const QPointF &textOrigin) const;
    bool cellCanBeCopied(QPainter *painter, const QStyleOptionViewItem &option, QImage **store,
                         QRect *storeRect) const;
    static LayoutKey layoutKey(const QStyleOptionViewItem &option, const QRect &textRect);
    const LaidOutText *laidOutText(const LayoutKey &key, const QStyleOptionViewItem &option) const;

    mutable QFont layoutFont;
    mutable AsciiGlyphs asciiGlyphs;
    mutable QCache<LayoutKey, LaidOutText> layouts;
    mutable QHash<quint64, QRect> textRects;   // text rectangle within a cell, by cell size
    mutable QCache<CellKey, QImage> cellImages;
    mutable QString checkedStyleSheet;
    mutable bool styleSheetSetsSelectionOnly = true;
};

#endif // TAVICON_TRAFFICDELEGATE_H
