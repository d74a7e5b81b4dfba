#ifndef TAVICON_ASCIIGLYPHS_H
#define TAVICON_ASCIIGLYPHS_H

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>

#include <array>
#include <vector>

// Glyphs and pen positions of one-line texts of printable ASCII, as a text
// layout shapes them in a font, without shaping each new text: a character's
// glyph and the step to the next character are taken from layouts of single
// characters and of character pairs, made once each. A text too wide for its
// box is cut as QFontMetrics::elidedText cuts it on the right, with the
// font's ellipsis. A text whose characters or pairs a layout shapes otherwise
// (another font, a ligature, a glyph of its own) is left to a real layout.
class AsciiGlyphs
{
public:
    // Starts over in `font`; nothing is drawn as glyphs before.
    void setFont(const QFont &font);

    // The glyph run of `text` as shown in a box `maxWidth` wide, laid out
    // from x = 0 with the baseline at the line's ascent; false when the text
    // needs a layout of its own. A text too wide for a box that wraps words
    // is cut only when it is one word of letters and digits.
    bool glyphRun(const QString &text, int maxWidth, Qt::TextElideMode elideMode, bool wraps, QGlyphRun *run);

private:
    static constexpr int kFirst = 0x20;
    static constexpr int kAscii = 0x7f - kFirst;
    static constexpr int kCount = kAscii + 1;   // and the ellipsis
    static constexpr char16_t kEllipsis = 0x2026;
    enum class Known : signed char { No, Simple, Shaped };
    struct Glyph
    {
        Known known = Known::No;
        quint32 index = 0;
        qreal advance = 0;
    };
    struct Pair
    {
        Known known = Known::No;
        qreal step = 0;
    };

    static int slot(char16_t c) { return c == kEllipsis ? kAscii : c - kFirst; }
    const Glyph &glyph(char16_t c);
    const Pair &pair(char16_t c, char16_t d);
    bool place(char16_t previous, char16_t c, qsizetype at);

    QFont font;
    bool usable = false;
    QRawFont rawFont;
    qreal ascent = 0;
    bool ascentKnown = false;
    std::array<Glyph, kCount> glyphs;
    std::vector<Pair> pairs;
    QList<quint32> indexes;
    QList<QPointF> positions;
};

#endif // TAVICON_ASCIIGLYPHS_H
