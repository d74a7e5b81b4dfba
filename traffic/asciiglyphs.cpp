#include "traffic/asciiglyphs.h"

#include <QTextLayout>
#include <QTextLine>

#include <algorithm>

namespace {

// One line of `text` as an item view lays it out, and its glyph runs.
struct OneLine
{
    explicit OneLine(const QString &text, const QFont &font)
        : layout(text, font)
    {
        layout.beginLayout();
        line = layout.createLine();
        line.setLineWidth(1e6);
        layout.endLayout();
        runs = layout.glyphRuns();
    }
    QTextLayout layout;
    QTextLine line;
    QList<QGlyphRun> runs;
};

// Features a glyph run does not draw, or that make a text more than its glyphs.
bool drawnAsGlyphsOnly(const QFont &font)
{
    return !font.underline() && !font.overline() && !font.strikeOut() && font.letterSpacing() == 0
           && font.wordSpacing() == 0 && font.capitalization() == QFont::MixedCase
           && font.stretch() == QFont::AnyStretch;
}

} // namespace

void AsciiGlyphs::setFont(const QFont &newFont)
{
    font = newFont;
    usable = drawnAsGlyphsOnly(font);
    rawFont = QRawFont();
    ascentKnown = false;
    glyphs.fill(Glyph());
    pairs.assign(size_t(kCount) * kCount, Pair());
}

const AsciiGlyphs::Glyph &AsciiGlyphs::glyph(char16_t c)
{
    Glyph &known = glyphs[size_t(slot(c))];
    if (known.known != Known::No)
        return known;
    known.known = Known::Shaped;
    const OneLine one(QString(QChar(c)), font);
    if (one.runs.size() != 1 || one.runs.first().glyphIndexes().size() != 1)
        return known;
    const QGlyphRun &run = one.runs.first();
    if (rawFont.isValid() ? !(run.rawFont() == rawFont) : false)
        return known;
    const QPointF at = run.positions().first();
    if (!ascentKnown) {
        ascent = one.line.ascent();
        ascentKnown = true;
    }
    if (at.x() != 0 || at.y() != ascent || one.line.ascent() != ascent)
        return known;
    if (!rawFont.isValid())
        rawFont = run.rawFont();
    known.index = run.glyphIndexes().first();
    known.advance = one.line.naturalTextWidth();
    known.known = Known::Simple;
    return known;
}

const AsciiGlyphs::Pair &AsciiGlyphs::pair(char16_t c, char16_t d)
{
    Pair &known = pairs[size_t(slot(c)) * kCount + size_t(slot(d))];
    if (known.known != Known::No)
        return known;
    known.known = Known::Shaped;
    const OneLine two(QString(QChar(c)) + QChar(d), font);
    if (two.runs.size() != 1)
        return known;
    const QGlyphRun &run = two.runs.first();
    const QList<quint32> shapedIndexes = run.glyphIndexes();
    const QList<QPointF> shapedPositions = run.positions();
    if (!(run.rawFont() == rawFont) || shapedIndexes.size() != 2 || shapedIndexes.at(0) != glyph(c).index
        || shapedIndexes.at(1) != glyph(d).index || shapedPositions.at(0) != QPointF(0, ascent)
        || shapedPositions.at(1).y() != ascent)
        return known;
    known.step = shapedPositions.at(1).x();
    known.known = Known::Simple;
    return known;
}

// Puts the glyph of `c` at `at`, one step after the glyph of `previous`.
bool AsciiGlyphs::place(char16_t previous, char16_t c, qsizetype at)
{
    const Glyph &g = glyph(c);
    if (g.known != Known::Simple)
        return false;
    qreal x = 0;
    if (at > 0) {
        const Pair &step = pair(previous, c);
        if (step.known != Known::Simple)
            return false;
        x = positions.at(at - 1).x() + step.step;
    }
    indexes[at] = g.index;
    positions[at] = QPointF(x, ascent);
    return true;
}

bool AsciiGlyphs::glyphRun(const QString &text, int maxWidth, Qt::TextElideMode elideMode, bool wraps,
                           QGlyphRun *run)
{
    const qsizetype length = text.size();
    if (!usable || length == 0 || text.at(length - 1) == QLatin1Char(' '))
        return false;
    for (const QChar ch : text) {
        if (ch.unicode() < kFirst || ch.unicode() >= kFirst + kAscii)
            return false;
    }
    indexes.resize(length);
    positions.resize(length);
    for (qsizetype i = 0; i < length; ++i) {
        if (!place(i > 0 ? text.at(i - 1).unicode() : 0, text.at(i).unicode(), i))
            return false;
    }
    auto widthOf = [&](qsizetype i) {
        return i + 1 < length ? positions.at(i + 1).x() - positions.at(i).x()
                              : glyph(text.at(i).unicode()).advance;
    };
    if (positions.at(length - 1).x() + widthOf(length - 1) > maxWidth) {
        // The characters that fit before the ellipsis, the first one that
        // reaches the width left for them excluded.
        if (elideMode != Qt::ElideRight || glyph(kEllipsis).known != Known::Simple)
            return false;
        if (wraps && !std::all_of(text.cbegin(), text.cend(), [](QChar ch) { return ch.isLetterOrNumber(); }))
            return false;
        const qreal available = maxWidth - glyph(kEllipsis).advance;
        if (available < 0)
            return false;
        qsizetype kept = 0;
        qreal width = 0;
        for (qsizetype next = 0;;) {
            kept = next;
            width += widthOf(next++);
            if (next >= length || width >= available)
                break;
        }
        indexes.resize(kept + 1);
        positions.resize(kept + 1);
        if (!place(kept > 0 ? text.at(kept - 1).unicode() : 0, kEllipsis, kept))
            return false;
    }
    run->setRawFont(rawFont);
    run->setGlyphIndexes(indexes);
    run->setPositions(positions);
    return true;
}
