#include "app/ToolGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor RowFill(0xFF, 0xFF, 0xF4);
const QColor RowEdge(0x40, 0x40, 0x40);
const QColor AddGreen(0x10, 0x90, 0x20);
const QColor RemoveRed(0xD0, 0x20, 0x20);
const QColor ArrowBlue(0x20, 0x50, 0xC0);
const QColor BoardBrown(0x9A, 0x6A, 0x2A);

// A grid row as the glyphs show it: a pale bar with a dark edge in the lower part of the square.
void DrawRow(QPainter& painter, qreal top) {
    painter.setPen(QPen(RowEdge, 1));
    painter.setBrush(RowFill);
    painter.drawRect(QRectF(0.5, top + 0.5, 10, 4));
    painter.drawLine(QPointF(4.5, top + 0.5), QPointF(4.5, top + 4.5));
}

void DrawInsertRow(QPainter& painter) {
    DrawRow(painter, 6);
    painter.setPen(QPen(AddGreen, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(5.5, 0), QPointF(5.5, 5));
    painter.drawLine(QPointF(3, 2.5), QPointF(8, 2.5));
}

void DrawDeleteRow(QPainter& painter) {
    DrawRow(painter, 6);
    painter.setPen(QPen(RemoveRed, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(3.5, 0.8), QPointF(7.5, 4.8));
    painter.drawLine(QPointF(7.5, 0.8), QPointF(3.5, 4.8));
}

void DrawPasteRow(QPainter& painter) {
    painter.setPen(QPen(BoardBrown.darker(130), 1));
    painter.setBrush(BoardBrown);
    painter.drawRoundedRect(QRectF(1.5, 1.5, 8, 9), 1, 1);
    painter.setBrush(Qt::white);
    painter.setPen(QPen(RowEdge, 1));
    painter.drawRect(QRectF(3.5, 3.5, 4, 5));
    painter.setBrush(RowEdge);
    painter.drawRect(QRectF(3.5, 0.5, 4, 2));
}

// An arrow pointing down, turned over for up.
void DrawArrow(QPainter& painter, bool down) {
    if (!down) {
        painter.translate(0, ToolGlyphSize);
        painter.scale(1, -1);
    }
    QPainterPath arrow;
    arrow.moveTo(4, 0.5);
    arrow.lineTo(7, 0.5);
    arrow.lineTo(7, 5);
    arrow.lineTo(10, 5);
    arrow.lineTo(5.5, 10.5);
    arrow.lineTo(1, 5);
    arrow.lineTo(4, 5);
    arrow.closeSubpath();
    painter.setPen(QPen(ArrowBlue.darker(140), 1));
    painter.setBrush(ArrowBlue);
    painter.drawPath(arrow);
}

// A green arrow rising from a grid row: the feed going up to the site.
void DrawPublish(QPainter& painter) {
    DrawRow(painter, 6);
    painter.setPen(QPen(AddGreen, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(5.5, 1.5), QPointF(5.5, 7));
    painter.drawLine(QPointF(2.5, 4.5), QPointF(5.5, 1.5));
    painter.drawLine(QPointF(8.5, 4.5), QPointF(5.5, 1.5));
}

void Draw(QPainter& painter, TToolGlyph glyph) {
    switch (glyph) {
    case TToolGlyph::InsertRow:
        return DrawInsertRow(painter);
    case TToolGlyph::DeleteRow:
        return DrawDeleteRow(painter);
    case TToolGlyph::PasteRow:
        return DrawPasteRow(painter);
    case TToolGlyph::MoveDown:
        return DrawArrow(painter, true);
    case TToolGlyph::MoveUp:
        return DrawArrow(painter, false);
    case TToolGlyph::Publish:
        return DrawPublish(painter);
    }
}

QPixmap GlyphPixmap(TToolGlyph glyph, int ratio) {
    QPixmap pixmap(ToolGlyphSize * ratio, ToolGlyphSize * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, glyph);
    return pixmap;
}

} // namespace

QIcon ToolGlyph(TToolGlyph glyph) {
    QIcon icon;
    for (int ratio = 1; ratio <= 3; ++ratio)
        icon.addPixmap(GlyphPixmap(glyph, ratio));
    return icon;
}
