#ifndef TAVICON_TRAFFICDELEGATE_H
#define TAVICON_TRAFFICDELEGATE_H

#include <QCache>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QStyle>
#include <QString>
#include <QStyledItemDelegate>

// Paints the cells of the traffic view exactly as the standard delegate does,
// without laying out the same text over and over: a plain text cell is laid
// out once per text and cell size and from then on its glyphs are only drawn. Cells with anything else (icons, check boxes, an open
// editor, an underlined font) are left to the standard delegate.
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
    // The glyphs of a laid out, possibly elided text and where they start in
    // its text rectangle.
    struct LaidOutText
    {
        QList<QGlyphRun> glyphs;
        QPointF offset;
    };

    // Whether the style draws anything as the panel of a cell that is neither
    // selected nor hovered and has no background of its own: asked once by
    // drawing it into a small image, then again only when style, state or
    // palette change.
    struct PanelProbe
    {
        QPointer<QStyle> style;
        int state = 0;
        int features = 0;
        qint64 palette = 0;
        bool drawsNothing = false;
    };
    bool panelDrawsNothing(const QStyleOptionViewItem &option, const QStyle *style) const;

    bool paintPlainText(QPainter *painter, const QStyleOptionViewItem &option) const;
    void drawCell(QPainter *painter, const QStyleOptionViewItem &option, const QStyle *style, const QColor &textColour,
                  const QGlyphRun *glyphs, qsizetype runs, const QPointF &textOrigin) const;
    static LayoutKey layoutKey(const QStyleOptionViewItem &option, const QRect &textRect);
    const LaidOutText *laidOutText(const LayoutKey &key, const QStyleOptionViewItem &option) const;

    // What the layouts and text rectangles were made for; they start over
    // when any of it changes. A font compares equal on a screen of another
    // resolution and after the font database changed, which also starts
    // them over (`known` false).
    struct PaintContext
    {
        bool known = false;
        QFont font;
        QPointer<QStyle> style;
        qreal devicePixelRatio = 0;
        int dpi = 0;
    };
    void startOverIfChanged(const QStyleOptionViewItem &option, const QStyle *style, const QPainter *painter) const;

    mutable PaintContext context;
    mutable QCache<LayoutKey, LaidOutText> layouts;
    mutable QHash<quint64, QRect> textRects;   // text rectangle within a cell, by cell size
    mutable PanelProbe panelProbe;
};

#endif // TAVICON_TRAFFICDELEGATE_H
