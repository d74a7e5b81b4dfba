#ifndef TAVICON_TRAFFICDELEGATE_H
#define TAVICON_TRAFFICDELEGATE_H

#include <QCache>
#include <QFont>
#include <QHash>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QStyle>
#include <QString>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include <memory>

// Paints the cells of the traffic view exactly as the standard delegate does,
// without laying out the same text over and over: a plain one-line text cell
// is laid out once per text and cell size and then only drawn. Cells with
// anything else (icons, check boxes, focus, an open editor) are left to the
// standard delegate.
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
    };

    bool paintPlainText(QPainter *painter, const QStyleOptionViewItem &option) const;
    const LaidOutText *laidOutText(const QStyleOptionViewItem &option, const QRect &textRect) const;

    mutable QFont layoutFont;
    mutable QCache<LayoutKey, LaidOutText> layouts;
    mutable QHash<quint64, QRect> textRects;   // text rectangle within a cell, by cell size
};

#endif // TAVICON_TRAFFICDELEGATE_H
