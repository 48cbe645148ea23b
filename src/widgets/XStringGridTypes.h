#pragma once

// The plain types of the string grid: its options, the draw state of a cell, cell coordinates and
// blocks of cells. They carry no behaviour of their own; the
// grid (XStringGrid.h) gives them their meaning.

#include <QFlags>
#include <QRect>
#include <Qt>

#include <algorithm>
#include <string>

class QPainter;
class TCellEditor;
class TXStringGrid;

enum TGridOption {
    goFixedVertLine = 0x0001,
    goFixedHorzLine = 0x0002,
    goVertLine = 0x0004,
    goHorzLine = 0x0008,
    goRangeSelect = 0x0010,
    goColSizing = 0x0080,
    goEditing = 0x0400,
    goTabs = 0x0800,
    goRowSelect = 0x1000,
    goAlwaysShowEditor = 0x2000,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

enum TGridDrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

struct TGridCoord {
    int X = 0; // column
    int Y = 0; // row
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// A block of cells, columns Left..Right and rows Top..Bottom, all inclusive.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
    bool Contains(int col, int row) const {
        return col >= Left && col <= Right && row >= Top && row <= Bottom;
    }
    // The smallest block that holds both.
    TGridRect United(const TGridRect& other) const {
        return {std::min(Left, other.Left), std::min(Top, other.Top), std::max(Right, other.Right),
                std::max(Bottom, other.Bottom)};
    }
};

// Alignments of the grid are horizontal only: left, right or centre (left for anything else).
inline Qt::Alignment HorizontalPart(Qt::Alignment alignment) {
    if (alignment & Qt::AlignRight) return Qt::AlignRight;
    if (alignment & Qt::AlignHCenter) return Qt::AlignHCenter;
    return Qt::AlignLeft;
}
