#pragma once

// TCellTextLayout: one line of a grid cell's text, shaped once and drawn as often as the cell is
// painted. It draws exactly what QPainter::drawText draws for a single line centred vertically
// (Qt::TextSingleLine | Qt::AlignVCenter, line breaks and tabs shown as blanks), pixel for pixel,
// but without shaping the text again on every paint. A layout is made for one font and one paint
// device's resolution; Suits() says whether it can be drawn with others. It holds no error state:
// any text, also an empty one, can be laid out.

#include <QFont>
#include <QRect>
#include <QString>
#include <QTextLayout>

class QPainter;
class QPaintDevice;

class TCellTextLayout {
public:
    TCellTextLayout(const QString& text, const QFont& font, const QPaintDevice* device);
    TCellTextLayout(const TCellTextLayout&) = delete;
    TCellTextLayout& operator=(const TCellTextLayout&) = delete;

    // True when the layout was made for `font` on a device of `device`'s resolution.
    bool Suits(const QFont& font, const QPaintDevice* device) const;
    // The width of the line in whole pixels, as QFontMetrics::horizontalAdvance gives it.
    int Width() const { return width_; }
    // Draws the line into `rect`, centred vertically and placed by `horizontal` (left, right or
    // centre); the painter's clipping decides what of a wider line shows.
    void Draw(QPainter& painter, const QRect& rect, Qt::Alignment horizontal) const;

private:
    QTextLayout layout_;
    QFont font_;
    qreal pixelRatio_;
    int dpi_;
    int width_;
};
