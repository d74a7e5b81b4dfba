#include "traffic/trafficdelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTextLayout>
#include <QTextLine>
#include <QTextOption>
#include <QWidget>

#include <memory>

namespace {

// Enough for the texts of several screens of rows and every common cell text.
constexpr int kCachedLayouts = 4096;

// Lines as an item view lays them out: each the full width, one under the
// other. With a height limit, the layout stops after the last line whose
// follower would not fit and `lastVisibleLine` names it (-1: all lines fit).
std::unique_ptr<QTextLayout> layOutText(const QString &text, const QFont &font, const QTextOption &option, int width,
                                        int maxHeight = -1, int *lastVisibleLine = nullptr)
{
    auto layout = std::make_unique<QTextLayout>(text, font);
    layout->setTextOption(option);
    if (lastVisibleLine)
        *lastVisibleLine = -1;
    qreal height = 0;
    layout->beginLayout();
    for (int i = 0;; ++i) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
        if (maxHeight > 0 && lastVisibleLine && height + line.height() > maxHeight) {
            *lastVisibleLine = layout->createLine().isValid() ? i : -1;
            break;
        }
    }
    layout->endLayout();
    return layout;
}

quint64 sizeKey(const QSize &size)
{
    return (quint64(quint32(size.width())) << 32) | quint32(size.height());
}

} // namespace

TrafficItemDelegate::TrafficItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
    , layouts(kCachedLayouts)
{
    // Fonts added or removed may change what a font that compares equal draws.
    connect(qGuiApp, &QGuiApplication::fontDatabaseChanged, this, [this] { context.known = false; });
}

void TrafficItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (!paintPlainText(painter, opt))
        QStyledItemDelegate::paint(painter, option, index);
}

// The steps of the style's own item painting for a cell holding one line of
// text: clip to the cell, panel, text in the text colour of the cell's state.
bool TrafficItemDelegate::paintPlainText(QPainter *painter, const QStyleOptionViewItem &opt) const
{
    const QWidget *widget = opt.widget;
    if (!widget)
        return false;
    const QStyle *style = widget->style();
    // A style sheet of bare declarations only sets colours; its style hands
    // item painting to the application style with the cell's text colour.
    const bool styleSheetStyle = style->inherits("QStyleSheetStyle");
    if (styleSheetStyle) {
        if (!qApp->styleSheet().isEmpty() || widget->styleSheet().contains(QLatin1Char('{')))
            return false;
        for (const QWidget *above = widget->parentWidget(); above; above = above->parentWidget()) {
            if (!above->styleSheet().isEmpty())
                return false;
        }
        style = QApplication::style();
    }
    if (opt.features & (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration))
        return false;
    if (opt.state & QStyle::State_Editing)
        return false;
    if (opt.text.isEmpty() || !opt.showDecorationSelected)
        return false;
    // Lines through or under the text are drawn by a layout, not by its glyphs.
    if (opt.font.underline() || opt.font.overline() || opt.font.strikeOut())
        return false;

    startOverIfChanged(opt, style, painter);
    auto cellText = textRects.constFind(sizeKey(opt.rect.size()));
    if (cellText == textRects.constEnd()) {
        QStyleOptionViewItem atOrigin = opt;
        atOrigin.rect.moveTopLeft(QPoint(0, 0));
        cellText = textRects.insert(sizeKey(opt.rect.size()),
                                    style->subElementRect(QStyle::SE_ItemViewItemText, &atOrigin, widget));
    }
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = cellText->translated(opt.rect.topLeft()).adjusted(margin, 0, -margin, 0);
    const LayoutKey textKey = layoutKey(opt, textRect);

    QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const bool selected = opt.state & QStyle::State_Selected;
    QColor textColour;
    if (selected)
        textColour = opt.palette.color(group, QPalette::HighlightedText);
    else
        textColour = styleSheetStyle ? opt.palette.text().color() : opt.palette.color(group, QPalette::Text);

    const LaidOutText *text = laidOutText(textKey, opt);
    drawCell(painter, opt, style, textColour, text->glyphs.constData(), text->glyphs.size(),
             QPointF(textRect.topLeft()) + text->offset);
    return true;
}

void TrafficItemDelegate::startOverIfChanged(const QStyleOptionViewItem &opt, const QStyle *style,
                                             const QPainter *painter) const
{
    // The font's resolution is its widget's, and follows it from screen to screen.
    const int dpi = opt.widget->logicalDpiY();
    const qreal devicePixelRatio = painter->device()->devicePixelRatioF();
    if (context.known && context.font == opt.font && context.style == style && context.dpi == dpi
        && context.devicePixelRatio == devicePixelRatio)
        return;
    layouts.clear();
    textRects.clear();
    context = {true, opt.font, const_cast<QStyle *>(style), devicePixelRatio, dpi};
}

void TrafficItemDelegate::drawCell(QPainter *painter, const QStyleOptionViewItem &opt, const QStyle *style,
                                   const QColor &textColour, const QGlyphRun *glyphs, qsizetype runs,
                                   const QPointF &textOrigin) const
{
    painter->save();
    if (painter->hasClipping())
        painter->setClipRegion(painter->clipRegion() & opt.rect);
    else
        painter->setClipRect(opt.rect);
    if (!panelDrawsNothing(opt, style))
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, opt.widget);
    painter->setPen(textColour);
    for (qsizetype i = 0; i < runs; ++i)
        painter->drawGlyphRun(textOrigin, glyphs[i]);
    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &opt, opt.widget);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        const QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        focus.backgroundColor =
            opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, opt.widget);
    }
    painter->restore();
}

bool TrafficItemDelegate::panelDrawsNothing(const QStyleOptionViewItem &opt, const QStyle *style) const
{
    if ((opt.state & (QStyle::State_Selected | QStyle::State_MouseOver)) || opt.backgroundBrush.style() != Qt::NoBrush)
        return false;
    PanelProbe &probe = panelProbe;
    if (probe.style != style || probe.state != int(opt.state) || probe.features != int(opt.features)
        || probe.palette != opt.palette.cacheKey()) {
        QImage panel(8, 8, QImage::Format_ARGB32_Premultiplied);
        panel.fill(Qt::transparent);
        const QImage blank = panel;   // stays blank: drawing detaches the panel
        QStyleOptionViewItem plain = opt;
        plain.rect = panel.rect();
        {
            QPainter onPanel(&panel);
            style->drawPrimitive(QStyle::PE_PanelItemViewItem, &plain, &onPanel, opt.widget);
        }
        probe.drawsNothing = panel == blank;
        probe.style = const_cast<QStyle *>(style);
        probe.state = int(opt.state);
        probe.features = int(opt.features);
        probe.palette = opt.palette.cacheKey();
    }
    return probe.drawsNothing;
}

// The cell text laid out for its text rectangle as the style does it: lines
// wider than the rectangle are elided, and so is the last line shown when the
// next one would be less than half visible; lines above the rectangle are
// skipped.
TrafficItemDelegate::LayoutKey TrafficItemDelegate::layoutKey(const QStyleOptionViewItem &opt, const QRect &textRect)
{
    return {opt.text, textRect.size(), int(opt.displayAlignment), int(opt.textElideMode), int(opt.direction),
            bool(opt.features & QStyleOptionViewItem::WrapText)};
}

const TrafficItemDelegate::LaidOutText *TrafficItemDelegate::laidOutText(const LayoutKey &key,
                                                                         const QStyleOptionViewItem &opt) const
{
    if (const LaidOutText *known = layouts.object(key))
        return known;

    QTextOption textOption;
    textOption.setWrapMode(key.wrap ? QTextOption::WordWrap : QTextOption::ManualWrap);
    textOption.setTextDirection(opt.direction);
    textOption.setAlignment(QStyle::visualAlignment(opt.direction, opt.displayAlignment));

    // Laid out against the rectangle's top; only the vertical offset matters.
    const QRect box(QPoint(0, 0), key.size);
    const bool centred = opt.displayAlignment.testFlag(Qt::AlignVCenter);
    int lastVisibleLine = -1;
    auto probe = layOutText(key.text, opt.font, textOption, box.width(), centred ? box.height() : -1,
                                  &lastVisibleLine);
    const QRect layoutRect = QStyle::alignedRect(Qt::LayoutDirectionAuto, opt.displayAlignment,
                                                 probe->boundingRect().size().toSize(), box);
    QPointF offset(0, layoutRect.top());
    QString shown;
    qreal height = 0;
    const int lineCount = probe->lineCount();
    for (int i = 0; i < lineCount; ++i) {
        const QTextLine line = probe->lineAt(i);
        height += line.height();
        if (height + layoutRect.top() <= box.top()) {
            offset.ry() += line.height();
            continue;
        }
        const bool tooWide = line.naturalTextWidth() > box.width();
        bool elideLast = lastVisibleLine == i;
        if (!tooWide && i + 1 < lineCount) {
            const int nextHeight = int(height + probe->lineAt(i + 1).height() / 2);
            if (nextHeight + layoutRect.top() > box.height() + box.top())
                elideLast = true;
        }
        QString part = key.text.mid(line.textStart(), line.textLength());
        if (tooWide || elideLast) {
            if (elideLast) {
                if (part.endsWith(QChar::LineSeparator))
                    part.chop(1);
                part += QChar(0x2026);
            }
            shown += QFontMetrics(opt.font).elidedText(part, opt.textElideMode, box.width());
            if (i < lineCount - 1 && !shown.endsWith(QChar::LineSeparator))
                shown += QChar::LineSeparator;
        } else {
            shown += part;
        }
        if (height + layoutRect.top() >= box.bottom() || (lastVisibleLine >= 0 && lastVisibleLine == i))
            break;
    }

    auto entry = std::make_unique<LaidOutText>();
    // Shown as it is when it fits: the layout made to measure it is the one to draw.
    const bool complete = lastVisibleLine < 0 && probe->lineCount() > 0
                          && probe->lineAt(probe->lineCount() - 1).textStart()
                                     + probe->lineAt(probe->lineCount() - 1).textLength()
                                 == key.text.size();
    entry->glyphs = complete && shown == key.text ? probe->glyphRuns()
                                                  : layOutText(shown, opt.font, textOption, box.width())->glyphRuns();
    entry->offset = offset;
    const LaidOutText *result = entry.get();
    layouts.insert(key, entry.release());
    return result;
}
