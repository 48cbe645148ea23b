#pragma once

// TXStringColumns and TXStringColumnItem: the settings of the string grid's columns, one item per
// column, owned by the grid (TXStringGrid::Columns()). An item keeps the colours, fonts and
// alignments its column is painted with and the cell editor that edits it; its caption and width
// are the grid's own row-0 cell and column width, read and written through the grid. Setters take
// effect at once (the column is repainted). Setting an editor that serves another grid throws
// ECellEditorError and leaves the column with the editor it had.

#include <QColor>
#include <QFont>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class TCellEditor;
class TXStringGrid;

// The settings of one grid column. Created by the grid (one per column); a new item takes the
// grid's fixed colour, colour and font of that moment, left alignments and no editor.
class TXStringColumnItem {
public:
    TXStringColumnItem(TXStringGrid* grid, int index);
    virtual ~TXStringColumnItem();
    TXStringColumnItem(const TXStringColumnItem&) = delete;
    TXStringColumnItem& operator=(const TXStringColumnItem&) = delete;

    TXStringGrid* Grid() const { return grid_; }
    int Index() const { return index_; }

    // Header (fixed-row) cells of the column. Colour setters repaint the column even when the
    // value is unchanged; alignment setters do nothing for an unchanged value.
    QColor HeaderColor() const { return headerColor_; }
    void SetHeaderColor(const QColor& color);
    const QFont& HeaderFont() const { return headerFont_; }
    void SetHeaderFont(const QFont& font);
    QColor HeaderFontColor() const { return headerFontColor_; }
    void SetHeaderFontColor(const QColor& color);
    Qt::Alignment HeaderAlignment() const { return headerAlignment_; }
    void SetHeaderAlignment(Qt::Alignment alignment);

    // Body cells (and, for the alignment, fixed-column cells in body rows).
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    const QFont& Font() const { return font_; }
    void SetFont(const QFont& font);
    QColor FontColor() const { return fontColor_; }
    void SetFontColor(const QColor& color);
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment alignment);

    // The column's cell editor, not owned; nullptr = the column cannot be edited. Setting attaches
    // the new editor to the grid (ECellEditorError when it serves another grid; the column then
    // keeps its editor) and detaches the old one.
    TCellEditor* Editor() const { return editor_; }
    void SetEditor(TCellEditor* editor);

    // The row-0 cell of the column.
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    QString CaptionQString() const;
    void SetCaptionQString(const QString& caption);

    // The grid's width of the column.
    int Width() const;
    void SetWidth(int width);

    // Copies colours, fonts, alignments and caption of `source` (possibly of another grid); the
    // editor becomes empty.
    void Assign(const TXStringColumnItem& source);

    // Places the editor over the cell (this column, ARow) when the cell is visible.
    virtual void ShowEditor(int ARow);

private:
    friend class TXStringColumns;
    void RepaintColumn() const;

    TXStringGrid* grid_;
    int index_;
    QColor headerColor_;
    QFont headerFont_;
    QColor headerFontColor_;
    Qt::Alignment headerAlignment_ = Qt::AlignLeft;
    QColor color_;
    QFont font_;
    QColor fontColor_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    TCellEditor* editor_ = nullptr;
};

// One item per grid column, always as many as the grid has columns; item i describes column i.
// Items are added with fresh settings when columns are added, destroyed when columns are removed
// and move with a moved column.
class TXStringColumns {
public:
    explicit TXStringColumns(TXStringGrid* grid);
    ~TXStringColumns();
    TXStringColumns(const TXStringColumns&) = delete;
    TXStringColumns& operator=(const TXStringColumns&) = delete;

    TXStringGrid* Grid() const { return grid_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TXStringColumnItem* Items(int index) const;
    TXStringColumnItem* operator[](int index) const { return Items(index); }

    // Item by item Assign from `source` (as many items as both have).
    void Assign(const TXStringColumns& source);

private:
    friend class TXStringGrid;
    void Insert(int first, int count);
    void Remove(int first, int count);
    void Move(int from, int to);
    void Renumber();

    TXStringGrid* grid_;
    std::vector<std::unique_ptr<TXStringColumnItem>> items_;
};
