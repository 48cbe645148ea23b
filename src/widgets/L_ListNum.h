#pragma once

// L_ListNum: the numbered list box, the combo edit's drop-down list.
//
// TCustomListNum: a list box that can show a shortcut label in front of each of its first 36 rows
// ("1" to "9", "0", "A" to "Z") and selects a row when its shortcut key is typed. The lower-case
// letters and the half-width katakana on the same keys of the Japanese kana layout select the
// same rows, so the keys work whatever the keyboard's mode.
//
// Rows are either standard list rows or, with SetOwnerDraw(true), drawn by the list itself with
// the label in a cell of its own, coloured by the four label colours below.

#include <QColor>
#include <QListWidget>

// The height in pixels of text set in `font`, the measure rows and bands are based on.
int FontPixelHeight(const QFont& font);

class TCustomListNum : public QListWidget {
    Q_OBJECT

public:
    // Rows that have a shortcut label.
    static constexpr int LabelledRows = 36;

    explicit TCustomListNum(QWidget* parent = nullptr);

    // The label of the 1-based `row`; empty beyond LabelledRows.
    static QString ShortcutLabel(int row);
    // The 1-based row that the typed character `key` stands for; 0 when it is no shortcut key.
    static int ShortcutRow(QChar key);

    // Owner-drawn rows show the labels; standard rows do not.
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool on);

    // The height of every row; 0 leaves it to the style.
    int RowHeight() const { return rowHeight_; }
    void SetRowHeight(int pixels);

    // Selects the row of a shortcut key and scrolls it to the top. Returns false when `key` is no
    // shortcut key; a key beyond the last row is still taken, without effect.
    bool SelectByShortcut(QChar key);

    // The width of the label cell of an owner-drawn row.
    int LabelCellWidth() const;

    QColor SelLabelFontColor{Qt::black};
    QColor SelLabelColor{255, 255, 0};
    QColor LabelFontColor{128, 128, 0};
    QColor LabelColor{Qt::white};

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class TRowDelegate;
    friend class TRowDelegate;

    void RaiseRowHeightToFont();

    bool ownerDraw_ = false;
    int rowHeight_ = 0;
};
