#include "widgets/CellTextLayout.h"

#include <QPaintDevice>
#include <QPainter>

namespace {

// A single line shows line breaks and tabs as blanks, as QPainter::drawText does.
QString OnOneLine(QString text) {
    for (QChar& character : text)
        if (character == u'\n' || character == u'\r' || character == u'\t') character = u' ';
    return text;
}

} // namespace

TCellTextLayout::TCellTextLayout(const QString& text, const QFont& font, const QPaintDevice* device)
    : layout_(OnOneLine(text), font, device), font_(font), pixelRatio_(device->devicePixelRatio()),
      dpi_(device->logicalDpiY()) {
    layout_.setCacheEnabled(true);
    layout_.beginLayout();
    QTextLine line = layout_.createLine();
    if (line.isValid()) line.setPosition({0, 0});
    layout_.endLayout();
    width_ = line.isValid() ? qRound(line.horizontalAdvance()) : 0;
}

bool TCellTextLayout::Suits(const QFont& font, const QPaintDevice* device) const {
    return font == font_ && device->devicePixelRatio() == pixelRatio_ &&
           device->logicalDpiY() == dpi_;
}

// The offsets are those of QPainter::drawText: the line's unrounded height centred in the
// rectangle, its advance placed by the alignment.
void TCellTextLayout::Draw(QPainter& painter, const QRect& rect, Qt::Alignment horizontal) const {
    if (layout_.lineCount() == 0) return;
    const QTextLine line = layout_.lineAt(0);
    const qreal height = line.ascent() + line.descent();
    const qreal advance = line.horizontalAdvance();
    qreal x = 0;
    if (horizontal & Qt::AlignRight)
        x = rect.width() - advance;
    else if (horizontal & Qt::AlignHCenter)
        x = (rect.width() - advance) / 2;
    line.draw(&painter, QPointF(rect.x() + x, rect.y() + (rect.height() - height) / 2));
}
